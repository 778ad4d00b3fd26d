#include "JetSql.h"

#include <QRegularExpression>

QString toSqlite(const QString& jetStatement) {
    static const QRegularExpression topClause(QStringLiteral(R"(^(\s*select)\s+top\s+(\d+)(\s+))"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = topClause.match(jetStatement);
    if (!match.hasMatch())
        return jetStatement;

    QString result = match.captured(1) + match.captured(3) + jetStatement.mid(match.capturedEnd());
    if (!result.isEmpty() && !result.back().isSpace())
        result += QLatin1Char(' ');
    return result + QLatin1String("limit ") + match.captured(2);
}
