// kelvor_mkdb <schema.sql> <output.mdb>
//
// Build-time tool that makes the empty database the program ships with.
// It replaces any existing output, runs each statement of the schema file
// in order, switches the file to the WAL journal and exits with status 0.
// On any error it prints a message on standard error, removes the partial
// output and exits non-zero, so that the build stops.
//
// The schema file holds plain statements separated by ';' with "--"
// comments; neither may appear inside a literal.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

const QString kConnection = QStringLiteral("kelvor_mkdb");

int fail(const QString& message) {
    std::fprintf(stderr, "kelvor_mkdb: %s\n", qUtf8Printable(message));
    return 1;
}

// Drops "--" comments and splits the rest on ';', skipping empty pieces.
QStringList splitStatements(const QString& script) {
    QString code;
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const qsizetype dash = line.indexOf(QLatin1String("--"));
        code += (dash < 0 ? line : line.left(dash)) + QLatin1Char('\n');
    }
    QStringList statements;
    const QStringList pieces = code.split(QLatin1Char(';'));
    for (const QString& piece : pieces) {
        const QString statement = piece.trimmed();
        if (!statement.isEmpty())
            statements << statement;
    }
    return statements;
}

bool removeDatabaseFiles(const QString& path) {
    // A left-over journal would be taken for part of the new file.
    for (const QString& suffix :
         {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")}) {
        const QString file = path + suffix;
        if (QFileInfo::exists(file) && !QFile::remove(file))
            return false;
    }
    return true;
}

int build(const QString& schemaPath, const QString& outputPath) {
    QFile schemaFile(schemaPath);
    if (!schemaFile.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("cannot read %1: %2").arg(schemaPath, schemaFile.errorString()));
    const QStringList statements = splitStatements(QString::fromUtf8(schemaFile.readAll()));
    if (statements.isEmpty())
        return fail(QStringLiteral("%1 holds no statement").arg(schemaPath));

    if (!removeDatabaseFiles(outputPath))
        return fail(QStringLiteral("cannot replace %1").arg(outputPath));
    if (!QDir().mkpath(QFileInfo(outputPath).absolutePath()))
        return fail(QStringLiteral("cannot make the folder of %1").arg(outputPath));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
    db.setDatabaseName(outputPath);
    if (!db.open())
        return fail(QStringLiteral("cannot create %1: %2").arg(outputPath, db.lastError().text()));

    QSqlQuery query(db);
    for (const QString& statement : statements) {
        if (!query.exec(statement))
            return fail(
                QStringLiteral("%1\nin statement:\n%2").arg(query.lastError().text(), statement));
    }
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.next() ||
        query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        return fail(
            QStringLiteral("cannot switch to the WAL journal: %1").arg(query.lastError().text()));
    query.finish();
    db.close();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: kelvor_mkdb <schema.sql> <output.mdb>\n");
        return 2;
    }
    const QString outputPath = args.at(2);
    const int status = build(args.at(1), outputPath);
    QSqlDatabase::removeDatabase(kConnection);
    if (status != 0)
        removeDatabaseFiles(outputPath);
    return status;
}
