#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <stdexcept>
#include <vector>

class QSqlQuery;

// A statement that could not be carried out: no open connection, a statement
// the database rejects, a parameter or column name the statement does not
// have, a value that does not fit its column, or a read with no current row.
// what() is the UTF-8 text of message(), which carries the driver's text.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message);

    QString message() const;
};

// A named query object on one database connection, used in the same order
// everywhere:
//
//     q.close();
//     q.clearSql();
//     q.addSql(kSelectAvibByDate);
//     q.setSmallInt("wjid", 1);
//     q.setDate("rq0", from);
//     q.setDate("rq1", to);
//     q.open();                 // or q.execSql() for statements that change rows
//     for (; !q.eof(); q.next())
//         use(q.text("strpath"), q.dateTime("sj"));
//
// The statement text is in the Jet dialect; toSqlite() rewrites it when it
// runs. Parameters are the ":name" words of the text, set by name (case does
// not matter) with the type of their column: dates as "yyyy-MM-dd" text,
// date-times as "yyyy-MM-dd HH:mm:ss" text, small and 32-bit integers,
// texts as text. Changing the text drops the values set so far, and every
// parameter must be set before the statement runs.
//
// open() reads all rows of the result at once and releases the statement, so
// the rows stay as they were while other query objects change the tables
// (a listing may renumber the rows it walks). Columns are read by name, case
// not mattering.
//
// Every failure throws DbError; a query that failed to run is left closed.
//
// The query finds its connection by name on each run and keeps nothing of it
// in between, so it may outlive the connection. User-interface thread only,
// like the connection.
class DbQuery {
public:
    explicit DbQuery(QString connectionName);
    DbQuery(const DbQuery&) = delete;
    DbQuery& operator=(const DbQuery&) = delete;

    QString connectionName() const { return m_connection; }

    // Drops the rows of the last open(); no effect on a closed query.
    void close();
    bool isOpen() const { return m_open; }

    // The statement text; changing it closes the query and drops the
    // parameter values. addSql() adds a line.
    void clearSql();
    void addSql(const QString& text);
    void addSql(const char* text) { addSql(QString::fromUtf8(text)); }
    QString sql() const { return m_sql; }
    // The parameter names of the text, in order of first appearance.
    QStringList parameterNames() const { return m_paramNames; }

    // An invalid date or date-time is bound as NULL.
    void setText(const QString& name, const QString& value);
    void setDate(const QString& name, const QDate& value);
    void setDateTime(const QString& name, const QDateTime& value);
    void setSmallInt(const QString& name, int value); // -32768..32767
    void setInt(const QString& name, int value);

    // Runs a statement that changes rows; returns the number of rows changed.
    int execSql();
    // Runs a selection and stands on its first row (eof() when there is none).
    void open();

    // Moving on a closed query is a DbError; eof() of a closed query is true.
    bool eof() const;
    void next();
    void first();
    int recordCount() const;
    // The current row, 0 for the first; recordCount() at the end.
    int recNo() const { return m_row; }
    void moveTo(int row);

    // Values of the current row. NULL reads as an empty text, an invalid
    // date or date-time and 0. A text that is not a date or date-time in the
    // stored form, or not an integer, is a DbError.
    QVariant field(const QString& name) const;
    bool isNull(const QString& name) const;
    QString text(const QString& name) const;
    QDate date(const QString& name) const;
    QDateTime dateTime(const QString& name) const;
    int integer(const QString& name) const;

    static constexpr const char* kDateFormat = "yyyy-MM-dd";
    static constexpr const char* kDateTimeFormat = "yyyy-MM-dd HH:mm:ss";

private:
    void setParam(const QString& name, const QVariant& value);
    QSqlQuery run();
    QString statementError(const QString& driverText) const;
    void requireOpen() const;

    QString m_connection;
    QString m_sql;
    QStringList m_paramNames;
    QHash<QString, QVariant> m_params; // by lower-case name

    bool m_open = false;
    QHash<QString, int> m_columns; // lower-case name -> index
    std::vector<QList<QVariant>> m_rows;
    int m_row = 0;
};
