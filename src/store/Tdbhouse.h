#pragma once

#include "DbQuery.h"

#include <QSqlDatabase>
#include <QString>

// The data module: the program's one database connection and the query
// objects through which every part of the program issues its statements
// (Statements.h).
//
// The database is the file "dat/dzxcb.mdb" in the program folder, an SQLite
// file that the build makes and the installation ships. The program never
// creates it: open() opens an existing file read-write and fails, creating
// nothing, when the file or its folder is missing. Without an open
// connection every statement throws DbError when it runs.
//
// One connection, used only on the user-interface thread; statements run
// synchronously, one at a time, each ending before its caller goes on. The
// query objects are shared between callers only in sequence. Each instance
// registers its connection under a name of its own, so several instances
// may coexist (tests do).
class Tdbhouse {
public:
    Tdbhouse();
    ~Tdbhouse();
    Tdbhouse(const Tdbhouse&) = delete;
    Tdbhouse& operator=(const Tdbhouse&) = delete;

    // Closes the connection, clears it, then opens the database file of the
    // program folder (which ends in '/') and switches it to the WAL journal.
    // Returns false on any failure, lastError() then tells why.
    bool open(const QString& programFolder);
    bool isOpen() const { return adoacccon.isOpen(); }
    void close();
    QString lastError() const { return m_lastError; }

    // programFolder + "dat/dzxcb.mdb".
    static QString databasePath(const QString& programFolder);

private:
    // Declared first: everything below is bound to it.
    const QString m_connectionName;
    QString m_lastError;

public:
    QSqlDatabase adoacccon;

    DbQuery qavi;    // insert into avib
    DbQuery qup;     // updates of avib.wjid and bjb.pxid, delete from avib by flag
    DbQuery qcx;     // date listing of avib
    DbQuery qbj;     // insert into bjb
    DbQuery qpdbj;   // count of unsent snapshots
    DbQuery qcxbj;   // up to 20 unsent snapshots
    DbQuery qupbj;   // update of bjb.sendbz
    DbQuery qlistbj; // listings of bjb; its current row is the one the alarm grid shows
    DbQuery qyp;     // the 5 oldest finished recordings
    DbQuery qdel;    // delete from avib by iid, delete of all of bjb
    DbQuery qcx9;    // the 2 oldest finished recordings
};
