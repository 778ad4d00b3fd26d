#include "DbQuery.h"

#include "JetSql.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <limits>
#include <utility>

DbError::DbError(const QString& message) : std::runtime_error(message.toStdString()) {}

QString DbError::message() const {
    return QString::fromUtf8(what());
}

namespace {

bool isNameStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool isNamePart(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// The ":name" words of a statement, outside quoted literals, in order of
// first appearance and without repeats.
QStringList parseParameterNames(const QString& sql) {
    QStringList names;
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            continue;
        }
        if (c != QLatin1Char(':') || i + 1 >= sql.size() || !isNameStart(sql.at(i + 1)))
            continue;
        qsizetype end = i + 1;
        while (end < sql.size() && isNamePart(sql.at(end)))
            ++end;
        const QString name = sql.mid(i + 1, end - i - 1);
        if (!names.contains(name, Qt::CaseInsensitive))
            names << name;
        i = end - 1;
    }
    return names;
}

} // namespace

DbQuery::DbQuery(QString connectionName) : m_connection(std::move(connectionName)) {}

void DbQuery::close() {
    m_open = false;
    m_columns.clear();
    m_rows.clear();
    m_row = 0;
}

void DbQuery::clearSql() {
    close();
    m_sql.clear();
    m_paramNames.clear();
    m_params.clear();
}

void DbQuery::addSql(const QString& text) {
    close();
    if (!m_sql.isEmpty())
        m_sql += QLatin1Char('\n');
    m_sql += text;
    m_paramNames = parseParameterNames(m_sql);
    m_params.clear();
}

void DbQuery::setParam(const QString& name, const QVariant& value) {
    if (!m_paramNames.contains(name, Qt::CaseInsensitive))
        throw DbError(statementError(QStringLiteral("no parameter :%1").arg(name)));
    m_params.insert(name.toLower(), value);
}

void DbQuery::setText(const QString& name, const QString& value) {
    // A null string would be stored as NULL; the program means empty text.
    setParam(name, value.isNull() ? QString::fromLatin1("") : value);
}

void DbQuery::setDate(const QString& name, const QDate& value) {
    setParam(name, value.isValid() ? QVariant(value.toString(QLatin1String(kDateFormat)))
                                   : QVariant(QMetaType::fromType<QString>()));
}

void DbQuery::setDateTime(const QString& name, const QDateTime& value) {
    setParam(name, value.isValid() ? QVariant(value.toString(QLatin1String(kDateTimeFormat)))
                                   : QVariant(QMetaType::fromType<QString>()));
}

void DbQuery::setSmallInt(const QString& name, int value) {
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        throw DbError(statementError(
            QStringLiteral("%1 does not fit the small integer :%2").arg(value).arg(name)));
    setParam(name, QVariant(value));
}

void DbQuery::setInt(const QString& name, int value) {
    setParam(name, QVariant(value));
}

QString DbQuery::statementError(const QString& driverText) const {
    return QStringLiteral("%1 [statement \"%2\"]").arg(driverText, m_sql);
}

// Prepares and runs the statement with every parameter bound. The query is
// closed before, so a failure leaves it closed.
QSqlQuery DbQuery::run() {
    close();
    if (m_sql.trimmed().isEmpty())
        throw DbError(statementError(QStringLiteral("no statement text")));
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.isValid() || !db.isOpen())
        throw DbError(statementError(QStringLiteral("no open database connection")));
    for (const QString& name : std::as_const(m_paramNames)) {
        if (!m_params.contains(name.toLower()))
            throw DbError(statementError(QStringLiteral("parameter :%1 is not set").arg(name)));
    }

    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(toSqlite(m_sql)))
        throw DbError(statementError(query.lastError().text()));
    for (const QString& name : std::as_const(m_paramNames))
        query.bindValue(QLatin1Char(':') + name, m_params.value(name.toLower()));
    if (!query.exec())
        throw DbError(statementError(query.lastError().text()));
    return query;
}

int DbQuery::execSql() {
    QSqlQuery query = run();
    const int changed = query.numRowsAffected();
    query.finish();
    return changed;
}

void DbQuery::open() {
    QSqlQuery query = run();
    const QSqlRecord record = query.record();
    QHash<QString, int> columns;
    for (int i = 0; i < record.count(); ++i)
        columns.insert(record.fieldName(i).toLower(), i);

    std::vector<QList<QVariant>> rows;
    while (query.next()) {
        QList<QVariant> row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row << query.value(i);
        rows.push_back(std::move(row));
    }
    // next() returns false both at the end and on a failed step.
    if (query.lastError().isValid())
        throw DbError(statementError(query.lastError().text()));
    query.finish();

    m_columns = std::move(columns);
    m_rows = std::move(rows);
    m_row = 0;
    m_open = true;
}

void DbQuery::requireOpen() const {
    if (!m_open)
        throw DbError(statementError(QStringLiteral("the query is not open")));
}

bool DbQuery::eof() const {
    return !m_open || m_row >= recordCount();
}

void DbQuery::next() {
    requireOpen();
    if (m_row < recordCount())
        ++m_row;
}

void DbQuery::first() {
    requireOpen();
    m_row = 0;
}

int DbQuery::recordCount() const {
    return static_cast<int>(m_rows.size());
}

void DbQuery::moveTo(int row) {
    requireOpen();
    if (row < 0 || row > recordCount())
        throw DbError(statementError(QStringLiteral("no row %1").arg(row)));
    m_row = row;
}

QVariant DbQuery::field(const QString& name) const {
    requireOpen();
    const auto column = m_columns.constFind(name.toLower());
    if (column == m_columns.cend())
        throw DbError(statementError(QStringLiteral("no column %1").arg(name)));
    if (eof())
        throw DbError(statementError(QStringLiteral("no current row")));
    return m_rows[static_cast<size_t>(m_row)].at(*column);
}

bool DbQuery::isNull(const QString& name) const {
    return field(name).isNull();
}

QString DbQuery::text(const QString& name) const {
    const QVariant value = field(name);
    return value.isNull() ? QString() : value.toString();
}

QDate DbQuery::date(const QString& name) const {
    const QString value = text(name);
    if (value.isEmpty())
        return {};
    const QDate result = QDate::fromString(value, QLatin1String(kDateFormat));
    if (!result.isValid())
        throw DbError(statementError(QStringLiteral("%1 \"%2\" is not a date").arg(name, value)));
    return result;
}

QDateTime DbQuery::dateTime(const QString& name) const {
    const QString value = text(name);
    if (value.isEmpty())
        return {};
    const QDateTime result = QDateTime::fromString(value, QLatin1String(kDateTimeFormat));
    if (!result.isValid())
        throw DbError(
            statementError(QStringLiteral("%1 \"%2\" is not a date-time").arg(name, value)));
    return result;
}

int DbQuery::integer(const QString& name) const {
    const QVariant value = field(name);
    if (value.isNull())
        return 0;
    bool ok = false;
    const int result = value.toInt(&ok);
    if (!ok)
        throw DbError(statementError(
            QStringLiteral("%1 \"%2\" is not an integer").arg(name, value.toString())));
    return result;
}
