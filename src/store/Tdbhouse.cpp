#include "Tdbhouse.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <atomic>

namespace {

QString uniqueConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("kelvor_dbhouse_%1").arg(++counter);
}

// An SQLite URI that opens an existing file read-write and never creates it.
// The path is percent-encoded so that blanks, '#', '?', '%' and non-ASCII
// names reach the file system unchanged.
QString readWriteUri(const QString& path) {
    const QByteArray encoded =
        QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath(), QByteArrayLiteral("/"));
    return QStringLiteral("file:") + QString::fromLatin1(encoded) + QStringLiteral("?mode=rw");
}

} // namespace

Tdbhouse::Tdbhouse()
    : m_connectionName(uniqueConnectionName()),
      adoacccon(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName)),
      qavi(m_connectionName), qup(m_connectionName), qcx(m_connectionName), qbj(m_connectionName),
      qpdbj(m_connectionName), qcxbj(m_connectionName), qupbj(m_connectionName),
      qlistbj(m_connectionName), qyp(m_connectionName), qdel(m_connectionName),
      qcx9(m_connectionName) {}

Tdbhouse::~Tdbhouse() {
    close();
    // Drop our handle first, or Qt warns that the connection is still in use.
    adoacccon = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void Tdbhouse::close() {
    for (DbQuery* query :
         {&qavi, &qup, &qcx, &qbj, &qpdbj, &qcxbj, &qupbj, &qlistbj, &qyp, &qdel, &qcx9})
        query->close();
    adoacccon.close();
}

QString Tdbhouse::databasePath(const QString& programFolder) {
    return programFolder + QStringLiteral("dat/dzxcb.mdb");
}

bool Tdbhouse::open(const QString& programFolder) {
    close();
    adoacccon.setDatabaseName(QString());
    adoacccon.setConnectOptions();
    m_lastError.clear();

    if (!adoacccon.isValid()) {
        m_lastError = QStringLiteral("the SQLite driver is not available");
        return false;
    }
    adoacccon.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    adoacccon.setDatabaseName(readWriteUri(databasePath(programFolder)));
    if (!adoacccon.open()) {
        m_lastError = adoacccon.lastError().text();
        return false;
    }

    // The journal mode is kept in the file; setting it again is also the first
    // read of the file, so a file that is not a database fails here and not
    // at the first statement.
    QSqlQuery pragma(adoacccon);
    if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !pragma.next() ||
        pragma.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        m_lastError = pragma.lastError().isValid()
                          ? pragma.lastError().text()
                          : QStringLiteral("the database cannot use the WAL journal");
        pragma.finish();
        adoacccon.close();
        return false;
    }
    pragma.finish();
    return true;
}
