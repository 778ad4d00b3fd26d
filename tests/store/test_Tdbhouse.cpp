// Tests of the data module against a copy of the database file the build
// makes: the statements, the Jet "top" rewrite, the query objects and the
// opening of the connection.

#include "DbQuery.h"
#include "JetSql.h"
#include "Statements.h"
#include "Tdbhouse.h"

#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <ostream>
#include <utility>
#include <vector>

namespace {

const QString kBuiltDb = QStringLiteral(KELVOR_TEST_DB_FILE);

// Lays out <programFolder>dat/dzxcb.mdb as a copy of the build-made file.
bool installDatabase(const QString& programFolder) {
    return QDir().mkpath(programFolder + QStringLiteral("dat")) &&
           QFile::copy(kBuiltDb, Tdbhouse::databasePath(programFolder));
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

void insertAvib(Tdbhouse& db, const QDateTime& sj, int wjid,
                const QString& strpath = QStringLiteral("/rec/x.avi")) {
    DbQuery& q = db.qavi;
    q.close();
    q.clearSql();
    q.addSql(kInsertAvib);
    q.setDateTime(QStringLiteral("sj"), sj);
    q.setDate(QStringLiteral("drq"), sj.date());
    q.setText(QStringLiteral("wjmc"), sj.toString(QStringLiteral("yyMMddHHmmss")) + ".avi");
    q.setText(QStringLiteral("strpath"), strpath);
    q.setSmallInt(QStringLiteral("wjid"), wjid);
    q.execSql();
}

void insertBjb(Tdbhouse& db, const QDateTime& bjsj, const QString& sendbz = QStringLiteral("N")) {
    DbQuery& q = db.qbj;
    q.close();
    q.clearSql();
    q.addSql(kInsertBjb);
    q.setText(QStringLiteral("strpath"), QStringLiteral("/alarm/a.jpg"));
    q.setDateTime(QStringLiteral("bjsj"), bjsj);
    q.setDate(QStringLiteral("drq"), bjsj.date());
    q.setText(QStringLiteral("sendbz"), sendbz);
    q.execSql();
}

// The iid of every row, walking from the first to the last.
std::vector<int> iidsOf(DbQuery& q) {
    std::vector<int> iids;
    for (; !q.eof(); q.next())
        iids.push_back(q.integer(QStringLiteral("iid")));
    return iids;
}

QDateTime at(int y, int m, int d, int h = 12, int min = 0, int s = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min, s));
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(installDatabase(m_dir.folder()));
        ASSERT_TRUE(m_db.open(m_dir.folder())) << m_db.lastError().toStdString();
    }

    // Runs one of the listings through the given query object.
    std::vector<int> list(DbQuery& q, const char* statement,
                          const std::function<void(DbQuery&)>& bind) {
        q.close();
        q.clearSql();
        q.addSql(statement);
        bind(q);
        q.open();
        return iidsOf(q);
    }

    TempDir m_dir;
    Tdbhouse m_db;
};

// --- every statement against the schema ----------------------------------------

struct StatementCase {
    const char* statement;
    std::function<void(DbQuery&)> bind;
    QStringList columns; // empty: a statement that changes rows
};

TEST_F(StoreTest, EveryStatementRunsAgainstTheSchema) {
    const QDateTime now = at(2024, 5, 6, 7, 8, 9);
    const QStringList avibColumns = {"iid", "sj", "drq", "wjmc", "strpath", "wjid"};
    const QStringList bjbColumns = {"iid", "strpath", "bjsj", "drq", "sendbz", "pxid"};
    auto dateRange = [now](DbQuery& q) {
        q.setDate("rq0", now.date());
        q.setDate("rq1", now.date());
    };
    // In this order every selection finds at least one row.
    const std::vector<StatementCase> cases = {
        {kInsertAvib,
         [now](DbQuery& q) {
             q.setDateTime("sj", now);
             q.setDate("drq", now.date());
             q.setText("wjmc", "240506070809.avi");
             q.setText("strpath", "/rec/240506070809.avi");
             q.setSmallInt("wjid", 0);
         },
         {}},
        {kUpdateAvibWjid,
         [](DbQuery& q) {
             q.setSmallInt("wjid1", 1);
             q.setSmallInt("wjid2", 0);
         },
         {}},
        {kSelectAvibByDate,
         [&](DbQuery& q) {
             q.setSmallInt("wjid", 1);
             dateRange(q);
         },
         avibColumns},
        {kDeleteAvibByWjid, [](DbQuery& q) { q.setSmallInt("wjid", 7); }, {}},
        {kSelectTop5Avib, [](DbQuery& q) { q.setSmallInt("wjid", 1); }, avibColumns},
        {kDeleteAvibByIid, [](DbQuery& q) { q.setInt("iid", 999); }, {}},
        {kSelectTop2Avib, [](DbQuery& q) { q.setSmallInt("wjid", 1); }, avibColumns},
        {kInsertBjb,
         [now](DbQuery& q) {
             q.setText("strpath", "/alarm/240506070809.jpg");
             q.setDateTime("bjsj", now);
             q.setDate("drq", now.date());
             q.setText("sendbz", "N");
         },
         {}},
        {kCountBjbBySendbz, [](DbQuery& q) { q.setText("t0", "N"); }, {"expr1001"}},
        {kSelectTop20Bjb, [](DbQuery& q) { q.setText("sendbz", "N"); }, bjbColumns},
        {kUpdateBjbSendbz,
         [](DbQuery& q) {
             q.setText("t0", "Y");
             q.setInt("iid", 1);
         },
         {}},
        {kSelectBjbByDate, dateRange, bjbColumns},
        {kUpdateBjbPxid,
         [](DbQuery& q) {
             q.setInt("pxid", 1);
             q.setInt("iid", 1);
         },
         {}},
        {kSelectAllBjb, [](DbQuery&) {}, bjbColumns},
        {kDeleteAllBjb, [](DbQuery&) {}, {}},
    };

    for (const StatementCase& c : cases) {
        SCOPED_TRACE(c.statement);
        DbQuery& q = m_db.qup;
        q.close();
        q.clearSql();
        q.addSql(c.statement);
        c.bind(q);
        try {
            if (c.columns.isEmpty()) {
                q.execSql();
                continue;
            }
            q.open();
            ASSERT_FALSE(q.eof());
            for (const QString& column : c.columns)
                EXPECT_NO_THROW(q.field(column)) << column.toStdString();
        } catch (const DbError& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

// --- row limits ------------------------------------------------------------------

struct TopCase {
    const char* statement;
    int limit;
    int finished; // finished rows in the table, besides the open ones
};

void PrintTo(const TopCase& c, std::ostream* os) {
    *os << '"' << c.statement << "\" with " << c.finished << " finished rows";
}

class TopTest : public StoreTest, public ::testing::WithParamInterface<TopCase> {};

TEST_P(TopTest, GivesTheOldestFinishedRowsInIidOrder) {
    const TopCase c = GetParam();
    // Open rows first, between and last, so that neither the filter nor the
    // order can be skipped unnoticed.
    std::vector<int> finishedIids;
    insertAvib(m_db, at(2024, 1, 1), 0); // iid 1
    for (int i = 0; i < c.finished; ++i) {
        insertAvib(m_db, at(2024, 1, 2 + i), 1); // iid 2 + 2i
        insertAvib(m_db, at(2024, 1, 2 + i, 13), 0);
        finishedIids.push_back(2 + 2 * i);
    }
    const std::vector<int> expected(
        finishedIids.begin(),
        finishedIids.begin() + std::min<std::ptrdiff_t>(c.limit, std::ssize(finishedIids)));

    auto finishedOnly = [](DbQuery& q) {
        q.setSmallInt("wjid", 1);
    };
    EXPECT_EQ(list(m_db.qyp, c.statement, finishedOnly), expected);
    EXPECT_EQ(m_db.qyp.recordCount(), std::ssize(expected));

    const QString handWritten =
        QStringLiteral("select * from avib where wjid= :wjid order by iid limit %1").arg(c.limit);
    EXPECT_EQ(list(m_db.qcx9, qPrintable(handWritten), finishedOnly), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, TopTest,
    ::testing::Values(TopCase{kSelectTop5Avib, 5, 7}, TopCase{kSelectTop5Avib, 5, 5},
                      TopCase{kSelectTop5Avib, 5, 3}, TopCase{kSelectTop2Avib, 2, 7},
                      TopCase{kSelectTop2Avib, 2, 1}, TopCase{kSelectTop2Avib, 2, 0}));

TEST_F(StoreTest, Top20GivesTheOldestUnsentSnapshots) {
    std::vector<int> unsent;
    int iid = 0;
    for (int i = 0; i < 30; ++i) {
        const bool sent = i % 4 == 0;
        insertBjb(m_db, at(2024, 2, 1, 0, i), sent ? "Y" : "N");
        ++iid;
        if (!sent)
            unsent.push_back(iid);
    }
    unsent.resize(20);
    EXPECT_EQ(list(m_db.qcxbj, kSelectTop20Bjb, [](DbQuery& q) { q.setText("sendbz", "N"); }),
              unsent);
}

TEST_F(StoreTest, CountIsReadThroughItsAlias) {
    for (const char* sendbz : {"N", "Y", "N", "N", "Y"})
        insertBjb(m_db, at(2024, 2, 1), sendbz);

    const std::vector<std::pair<const char*, int>> cases = {{"N", 3}, {"Y", 2}, {"X", 0}};
    for (const auto& [t0, count] : cases) {
        DbQuery& q = m_db.qpdbj;
        q.close();
        q.clearSql();
        q.addSql(kCountBjbBySendbz);
        q.setText("t0", t0);
        q.open();
        ASSERT_FALSE(q.eof());
        EXPECT_EQ(q.integer("expr1001"), count) << t0;
    }
}

// --- date listings ---------------------------------------------------------------

struct RangeCase {
    QDate rq0;
    QDate rq1;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << c.rq0.toString(Qt::ISODate).toStdString() << ".."
        << c.rq1.toString(Qt::ISODate).toStdString();
}

class DateRangeTest : public StoreTest, public ::testing::WithParamInterface<RangeCase> {};

// Rows on the day before, on both ends, and on the day after; both listings
// give exactly the rows on the ends, late and early in the day alike. The
// ranges cross a month of one digit into one of two, and a year end, where a
// form without leading zeros would not compare as text.
TEST_P(DateRangeTest, IncludesBothEndsAndNothingElse) {
    const auto [rq0, rq1] = GetParam();
    const QTime late(23, 59, 59), early(0, 0, 0);
    std::vector<int> inRange;
    int iid = 0;
    for (const QDateTime& t : {QDateTime(rq0.addDays(-1), late), QDateTime(rq0, early),
                               QDateTime(rq1, late), QDateTime(rq1.addDays(1), early)}) {
        insertAvib(m_db, t, 1);
        insertBjb(m_db, t);
        ++iid;
        if (t.date() >= rq0 && t.date() <= rq1)
            inRange.push_back(iid);
    }
    insertAvib(m_db, QDateTime(rq0, late), 0); // still recording: never listed
    insertBjb(m_db, QDateTime(rq0, late));
    inRange.push_back(++iid);

    auto range = [&](DbQuery& q) {
        q.setDate("rq0", rq0);
        q.setDate("rq1", rq1);
    };
    EXPECT_EQ(list(m_db.qlistbj, kSelectBjbByDate, range), inRange);
    inRange.pop_back();
    EXPECT_EQ(list(m_db.qcx, kSelectAvibByDate,
                   [&](DbQuery& q) {
                       q.setSmallInt("wjid", 1);
                       range(q);
                   }),
              inRange);
}

INSTANTIATE_TEST_SUITE_P(Ranges, DateRangeTest,
                         ::testing::Values(RangeCase{QDate(2024, 3, 9), QDate(2024, 3, 10)},
                                           RangeCase{QDate(2024, 3, 9), QDate(2024, 3, 9)},
                                           RangeCase{QDate(2023, 9, 30), QDate(2023, 10, 1)},
                                           RangeCase{QDate(2023, 12, 31), QDate(2024, 1, 1)}));

// --- statements that change rows -------------------------------------------------

TEST_F(StoreTest, UpdateOfWjidClosesEveryOpenRecording) {
    for (int wjid : {0, 1, 0, 0, 1})
        insertAvib(m_db, at(2024, 4, 1), wjid);

    DbQuery& q = m_db.qup;
    q.close();
    q.clearSql();
    q.addSql(kUpdateAvibWjid);
    q.setSmallInt("wjid1", 1);
    q.setSmallInt("wjid2", 0);
    EXPECT_EQ(q.execSql(), 3);

    auto wjid = [](int value) {
        return [value](DbQuery& d) {
            d.setSmallInt("wjid", value);
        };
    };
    EXPECT_TRUE(list(m_db.qyp, kSelectTop5Avib, wjid(0)).empty());
    EXPECT_EQ(list(m_db.qyp, kSelectTop5Avib, wjid(1)), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(StoreTest, DeletesRemoveOnlyTheirRows) {
    for (int wjid : {1, 0, 1, 1})
        insertAvib(m_db, at(2024, 4, 1), wjid);
    auto finished = [](DbQuery& q) {
        q.setSmallInt("wjid", 1);
    };

    DbQuery& del = m_db.qdel;
    del.close();
    del.clearSql();
    del.addSql(kDeleteAvibByIid);
    del.setInt("iid", 3);
    EXPECT_EQ(del.execSql(), 1);
    EXPECT_EQ(list(m_db.qyp, kSelectTop5Avib, finished), (std::vector<int>{1, 4}));

    DbQuery& up = m_db.qup;
    up.close();
    up.clearSql();
    up.addSql(kDeleteAvibByWjid);
    up.setSmallInt("wjid", 1);
    EXPECT_EQ(up.execSql(), 2);
    EXPECT_TRUE(list(m_db.qyp, kSelectTop5Avib, finished).empty());
    EXPECT_EQ(list(m_db.qyp, kSelectTop5Avib, [](DbQuery& q) { q.setSmallInt("wjid", 0); }),
              (std::vector<int>{2}));
}

// A listing renumbers pxid from 1 in iid order while walking its own rows;
// rows outside the listed days keep the numbers of the earlier listing.
TEST_F(StoreTest, ListingRenumbersPxidInIidOrder) {
    const QDate d1(2024, 6, 1), d2(2024, 6, 2), d3(2024, 6, 3);
    for (const QDate& d : {d2, d1, d2, d3, d1, d2}) // iid 1..6
        insertBjb(m_db, QDateTime(d, QTime(8, 0)));

    auto renumber = [this](const QDate& rq0, const QDate& rq1) {
        DbQuery& listing = m_db.qlistbj;
        listing.close();
        listing.clearSql();
        listing.addSql(kSelectBjbByDate);
        listing.setDate("rq0", rq0);
        listing.setDate("rq1", rq1);
        listing.open();
        for (int pxid = 1; !listing.eof(); listing.next(), ++pxid) {
            DbQuery& up = m_db.qup;
            up.close();
            up.clearSql();
            up.addSql(kUpdateBjbPxid);
            up.setInt("pxid", pxid);
            up.setInt("iid", listing.integer("iid"));
            up.execSql();
        }
    };
    auto pxids = [this] {
        DbQuery& q = m_db.qlistbj;
        q.close();
        q.clearSql();
        q.addSql(kSelectAllBjb);
        q.open();
        std::vector<std::pair<int, int>> rows;
        for (; !q.eof(); q.next())
            rows.emplace_back(q.integer("iid"), q.isNull("pxid") ? -1 : q.integer("pxid"));
        return rows;
    };

    for (const auto& [iid, pxid] : pxids())
        EXPECT_EQ(pxid, -1) << "never listed, iid " << iid;

    renumber(d1, d2); // iid 4 (on d3) stays unnumbered
    renumber(d2, d2);
    const std::vector<std::pair<int, int>> expected = {{1, 1},  {2, 2}, {3, 2},
                                                       {4, -1}, {5, 4}, {6, 3}};
    EXPECT_EQ(pxids(), expected);
}

// --- values through the typed setters and readers --------------------------------

TEST_F(StoreTest, DatesAndDateTimesRoundTripInTheirStoredForm) {
    struct Case {
        QDateTime sj;
        const char* storedSj;
        const char* storedDrq;
    };
    const std::vector<Case> cases = {
        {at(2024, 2, 29, 0, 0, 0), "2024-02-29 00:00:00", "2024-02-29"},
        {at(2023, 12, 31, 23, 59, 59), "2023-12-31 23:59:59", "2023-12-31"},
        {at(2001, 1, 2, 3, 4, 5), "2001-01-02 03:04:05", "2001-01-02"},
    };
    const QString path = QStringLiteral("/录像 文件/#1 100%/240229000000.avi");
    for (const Case& c : cases)
        insertAvib(m_db, c.sj, 1, path);
    // Milliseconds are not stored.
    insertAvib(m_db, QDateTime(QDate(2024, 7, 1), QTime(9, 30, 15, 999)), 1, path);

    DbQuery& q = m_db.qcx;
    q.close();
    q.clearSql();
    q.addSql("select * from avib order by iid");
    q.open();
    for (const Case& c : cases) {
        ASSERT_FALSE(q.eof());
        EXPECT_EQ(q.text("sj"), QString::fromLatin1(c.storedSj));
        EXPECT_EQ(q.text("drq"), QString::fromLatin1(c.storedDrq));
        EXPECT_EQ(q.dateTime("sj"), c.sj);
        EXPECT_EQ(q.date("drq"), c.sj.date());
        EXPECT_EQ(q.text("strpath"), path);
        EXPECT_EQ(q.integer("wjid"), 1);
        q.next();
    }
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.dateTime("sj"), at(2024, 7, 1, 9, 30, 15));
}

TEST_F(StoreTest, NullColumnsReadAsEmptyValues) {
    DbQuery& q = m_db.qcx;
    q.close();
    q.clearSql();
    q.addSql("insert into bjb(strpath) values(:strpath)");
    q.setText("strpath", "/a.jpg");
    q.execSql();
    q.clearSql();
    q.addSql(kSelectAllBjb);
    q.open();
    ASSERT_FALSE(q.eof());
    EXPECT_TRUE(q.isNull("pxid"));
    EXPECT_EQ(q.integer("pxid"), 0);
    EXPECT_FALSE(q.date("drq").isValid());
    EXPECT_FALSE(q.dateTime("bjsj").isValid());
    EXPECT_TRUE(q.text("sendbz").isEmpty());
}

// --- the Jet rewrite --------------------------------------------------------------

TEST(JetSql, RewritesTopIntoLimitAndLeavesOtherStatements) {
    const std::vector<std::pair<QString, QString>> cases = {
        {kSelectTop5Avib, "select * from avib where wjid= :wjid order by iid limit 5"},
        {kSelectTop2Avib, "select * from avib where wjid= :wjid  order by iid limit 2"},
        {kSelectTop20Bjb, "select * from bjb where sendbz= :sendbz  order by iid limit 20"},
        {"SELECT TOP 20 * FROM bjb ORDER BY iid", "SELECT * FROM bjb ORDER BY iid limit 20"},
        {"Select Top 100 iid from avib ", "Select iid from avib limit 100"},
        // Not a row limit.
        {"select top from t", "select top from t"},
        {"select * from avib where wjmc='top 5'", "select * from avib where wjmc='top 5'"},
    };
    for (const auto& [jet, sqlite] : cases)
        EXPECT_EQ(toSqlite(jet), sqlite) << jet.toStdString();

    for (const char* unchanged :
         {kInsertAvib, kUpdateAvibWjid, kSelectAvibByDate, kDeleteAvibByWjid, kDeleteAvibByIid,
          kInsertBjb, kCountBjbBySendbz, kUpdateBjbSendbz, kSelectBjbByDate, kUpdateBjbPxid,
          kDeleteAllBjb, kSelectAllBjb})
        EXPECT_EQ(toSqlite(unchanged), QString::fromUtf8(unchanged));
}

// --- opening the connection ------------------------------------------------------

TEST(TdbhouseOpen, MissingFileFailsAndCreatesNothing) {
    TempDir dir;
    Tdbhouse db;
    EXPECT_FALSE(db.open(dir.folder()));
    EXPECT_FALSE(db.isOpen());
    EXPECT_FALSE(db.lastError().isEmpty());
    EXPECT_TRUE(entriesOf(dir.path()).isEmpty()) << "no dat folder";

    ASSERT_TRUE(QDir(dir.path()).mkdir("dat"));
    EXPECT_FALSE(db.open(dir.folder()));
    EXPECT_TRUE(entriesOf(dir.file("dat")).isEmpty()) << "no database file";
}

TEST(TdbhouseOpen, FileThatIsNoDatabaseFails) {
    TempDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.file("dat")));
    QFile file(Tdbhouse::databasePath(dir.folder()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();

    Tdbhouse db;
    EXPECT_FALSE(db.open(dir.folder()));
    EXPECT_FALSE(db.isOpen());
}

// The path reaches SQLite as a URI; each of these characters means something
// there unless it is encoded.
TEST(TdbhouseOpen, OpensFoldersWithAwkwardNames) {
    for (const char* name : {"with blanks", "录像 数据", "a#b", "what?", "100%done", "x%20y"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        const QString folder = dir.file(QString::fromUtf8(name)) + '/';
        ASSERT_TRUE(installDatabase(folder));

        Tdbhouse db;
        ASSERT_TRUE(db.open(folder)) << db.lastError().toStdString();
        insertAvib(db, at(2024, 1, 1), 1);
        DbQuery& q = db.qyp;
        q.close();
        q.clearSql();
        q.addSql(kSelectTop5Avib);
        q.setSmallInt("wjid", 1);
        q.open();
        EXPECT_EQ(q.recordCount(), 1);
        // Nothing was made beside the program folder.
        EXPECT_EQ(entriesOf(dir.path()), QStringList{QString::fromUtf8(name)});
    }
}

TEST(TdbhouseOpen, BuiltFileAndOpenConnectionUseTheWalJournal) {
    auto journalMode = [](const QSqlDatabase& connection) {
        QSqlQuery q(connection);
        EXPECT_TRUE(q.exec("PRAGMA journal_mode"));
        EXPECT_TRUE(q.next());
        return q.value(0).toString();
    };

    TempDir dir;
    ASSERT_TRUE(installDatabase(dir.folder()));
    {
        const QString name = QStringLiteral("plain_reader");
        {
            QSqlDatabase plain = QSqlDatabase::addDatabase("QSQLITE", name);
            plain.setDatabaseName(Tdbhouse::databasePath(dir.folder()));
            ASSERT_TRUE(plain.open());
            EXPECT_EQ(journalMode(plain), "wal") << "as the build made it";
            plain.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    Tdbhouse db;
    ASSERT_TRUE(db.open(dir.folder()));
    EXPECT_EQ(journalMode(db.adoacccon), "wal");
}

TEST(TdbhouseOpen, ReopeningReplacesTheConnection) {
    TempDir good;
    TempDir missing;
    ASSERT_TRUE(installDatabase(good.folder()));
    Tdbhouse db;
    ASSERT_TRUE(db.open(good.folder()));
    ASSERT_TRUE(db.open(good.folder()));
    EXPECT_NO_THROW(insertAvib(db, at(2024, 1, 1), 1));

    EXPECT_FALSE(db.open(missing.folder()));
    EXPECT_FALSE(db.isOpen());
    EXPECT_THROW(insertAvib(db, at(2024, 1, 1), 1), DbError);
}

TEST(TdbhouseOpen, InstancesKeepTheirOwnConnections) {
    TempDir dirA, dirB;
    ASSERT_TRUE(installDatabase(dirA.folder()));
    ASSERT_TRUE(installDatabase(dirB.folder()));
    Tdbhouse a, b;
    ASSERT_TRUE(a.open(dirA.folder()));
    ASSERT_TRUE(b.open(dirB.folder()));
    EXPECT_NE(a.adoacccon.connectionName(), b.adoacccon.connectionName());

    insertAvib(a, at(2024, 1, 1), 1);
    insertAvib(a, at(2024, 1, 2), 1);
    for (auto [db, rows] : {std::pair<Tdbhouse*, int>{&a, 2}, std::pair<Tdbhouse*, int>{&b, 0}}) {
        DbQuery& q = db->qyp;
        q.close();
        q.clearSql();
        q.addSql(kSelectTop5Avib);
        q.setSmallInt("wjid", 1);
        q.open();
        EXPECT_EQ(q.recordCount(), rows);
    }
}

// --- failures ---------------------------------------------------------------------

TEST(DbQueryErrors, StatementOnAClosedConnectionThrows) {
    Tdbhouse db; // never opened
    EXPECT_THROW(insertAvib(db, at(2024, 1, 1), 0), DbError);

    DbQuery& q = db.qcx;
    q.close();
    q.clearSql();
    q.addSql(kSelectAllBjb);
    EXPECT_THROW(q.open(), DbError);
    EXPECT_FALSE(q.isOpen());
    EXPECT_TRUE(q.eof());
}

struct FailureCase {
    const char* what;
    std::function<void(DbQuery&)> action;
    const char* messagePart; // text the message must carry
};

// Each action starts on an open listing of one row; after the failure the
// query is closed, so a caller that guards the step cannot read stale rows.
TEST_F(StoreTest, FailuresThrowAndLeaveTheQueryClosed) {
    insertAvib(m_db, at(2024, 1, 1), 1);
    insertBjb(m_db, at(2024, 1, 1));
    auto restate = [](const char* sql) {
        return [sql](DbQuery& q) {
            q.clearSql();
            q.addSql(sql);
        };
    };
    const std::vector<FailureCase> cases = {
        {"statement the database rejects",
         [&](DbQuery& q) {
             restate("select * from nosuchtable")(q);
             q.open();
         },
         "no such table"},
        {"unknown column in a statement",
         [&](DbQuery& q) {
             restate("update avib set nosuchcolumn= :v")(q);
             q.setInt("v", 1);
             q.execSql();
         },
         "no such column"},
        {"parameter the statement does not have",
         [&](DbQuery& q) {
             restate(kDeleteAvibByIid)(q);
             q.setInt("wjid", 1);
         },
         "wjid"},
        {"parameter not set",
         [&](DbQuery& q) {
             restate(kSelectAvibByDate)(q);
             q.setSmallInt("wjid", 1);
             q.setDate("rq0", QDate(2024, 1, 1));
             q.open();
         },
         "not set"},
        {"small integer out of range",
         [&](DbQuery& q) {
             restate(kDeleteAvibByWjid)(q);
             q.setSmallInt("wjid", 40000);
             q.execSql();
         },
         "40000"},
        {"violates the one-character sendbz",
         [&](DbQuery& q) {
             restate(kUpdateBjbSendbz)(q);
             q.setText("t0", "NO");
             q.setInt("iid", 1);
             q.execSql();
         },
         "CHECK"},
        {"empty statement",
         [](DbQuery& q) {
             q.clearSql();
             q.execSql();
         },
         "no statement"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        DbQuery& q = m_db.qcx;
        q.close();
        q.clearSql();
        q.addSql(kSelectTop5Avib);
        q.setSmallInt("wjid", 1);
        q.open();
        ASSERT_EQ(q.recordCount(), 1);
        try {
            c.action(q);
            ADD_FAILURE() << "no DbError";
        } catch (const DbError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.messagePart), Qt::CaseInsensitive))
                << e.what();
        }
        EXPECT_FALSE(q.isOpen());
        EXPECT_TRUE(q.eof());
    }
}

TEST_F(StoreTest, ReadingWithoutARowOrColumnThrows) {
    insertAvib(m_db, at(2024, 1, 1), 1);
    DbQuery& q = m_db.qyp;
    q.close();
    q.clearSql();
    q.addSql(kSelectTop5Avib);
    q.setSmallInt("wjid", 1);
    EXPECT_THROW(q.field("iid"), DbError) << "not open yet";
    q.open();
    EXPECT_THROW(q.field("nosuchcolumn"), DbError);
    EXPECT_EQ(q.integer("IID"), 1) << "names are matched without regard to case";
    q.next();
    ASSERT_TRUE(q.eof());
    EXPECT_THROW(q.field("iid"), DbError);
    q.first();
    EXPECT_EQ(q.integer("iid"), 1);
}

} // namespace
