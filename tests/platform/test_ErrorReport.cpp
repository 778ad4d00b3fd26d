// The general error report, the guarded timer tick and the folder helpers.
#include "ErrorReport.h"
#include "ErrorReportWindow.h"
#include "FakeClock.h"
#include "Folders.h"
#include "GuardedTick.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

struct Report : ::testing::Test {
    FakeClock clock;
    ErrorReport report{clock};
    Report() { report.setEchoToStderr(false); }
};

TEST_F(Report, KeepsEachDistinctErrorOnceWithItsTimesAndCount) {
    const QDateTime t0 = clock.now();
    report.report(QStringLiteral("tbjTimer"), QStringLiteral("disk full"));
    clock.advanceSecs(5);
    report.report(QStringLiteral("tsendTimer"), QStringLiteral("no route"));
    for (int i = 0; i < 999; ++i) {
        clock.advanceSecs(1);
        report.report(QStringLiteral("tbjTimer"), QStringLiteral("disk full"));
    }
    ASSERT_EQ(report.entries().size(), 2);
    const auto& first = report.entries()[0];
    EXPECT_EQ(first.text, QStringLiteral("tbjTimer: disk full"));
    EXPECT_EQ(first.count, 1000);
    EXPECT_EQ(first.first, t0);
    EXPECT_EQ(first.last, clock.now());
    EXPECT_EQ(report.entries()[1].count, 1);
}

TEST_F(Report, WindowShowsAFloodAsOneLineAndComesUpWithoutBlocking) {
    ErrorReportWindow window(report);
    EXPECT_FALSE(window.isVisible());
    for (int i = 0; i < 500; ++i)
        report.report(QStringLiteral("tbjTimer"), QStringLiteral("disk full"));
    report.report(QStringLiteral("tjsTimer"), QStringLiteral("cannot create file"));
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(window.list()->topLevelItemCount(), 2);
    EXPECT_EQ(window.list()->topLevelItem(0)->text(3), QStringLiteral("500"));
    EXPECT_EQ(window.list()->topLevelItem(1)->text(0),
              QStringLiteral("tjsTimer: cannot create file"));
}

TEST_F(Report, GuardedTickReportsTheErrorAndStartsTheTimerAgain) {
    QTimer timer;
    timer.setInterval(500);
    timer.start();
    int runs = 0;
    auto failing = [&] {
        ++runs;
        EXPECT_FALSE(timer.isActive()) << "the timer is stopped while its tick runs";
        throw std::runtime_error("snapshot folder missing");
    };
    runGuardedTick(timer, QStringLiteral("tbjTimer"), report, failing);
    runGuardedTick(timer, QStringLiteral("tbjTimer"), report, [] { throw 42; });
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(timer.isActive());
    ASSERT_EQ(report.entries().size(), 2);
    EXPECT_EQ(report.entries()[0].text, QStringLiteral("tbjTimer: snapshot folder missing"));
    EXPECT_EQ(report.entries()[1].text, QStringLiteral("tbjTimer: unknown error"));
}

TEST_F(Report, ConnectedTickKeepsTickingAfterErrors) {
    QTimer timer;
    timer.setInterval(1);
    int runs = 0;
    connectGuardedTick(timer, QStringLiteral("tytTimer"), report, [&] {
        ++runs;
        throw std::runtime_error("camera gone");
    });
    timer.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return runs >= 3; }, 5000));
    EXPECT_GE(runs, 3);
    EXPECT_TRUE(timer.isActive());
    ASSERT_EQ(report.entries().size(), 1);
    EXPECT_EQ(report.entries()[0].count, runs);
}

TEST(Folders, MakeFolderIsOneLevelDeep) {
    TempDir dir;
    EXPECT_TRUE(makeFolder(dir.file(QStringLiteral("avi"))));
    EXPECT_TRUE(makeFolder(dir.file(QStringLiteral("avi")))) << "an existing folder is fine";
    EXPECT_FALSE(makeFolder(dir.file(QStringLiteral("missing/avi"))));
    EXPECT_FALSE(QDir(dir.file(QStringLiteral("missing"))).exists());
    EXPECT_FALSE(makeFolder(QString()));
}

TEST(Folders, RecreateFolderLeavesItEmpty) {
    TempDir dir;
    const QString staging = dir.file(QStringLiteral("bjjpg"));
    QDir().mkpath(staging + QStringLiteral("/sub"));
    QFile f(staging + QStringLiteral("/old.jpg"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    recreateFolder(staging);
    EXPECT_TRUE(QDir(staging).exists());
    EXPECT_TRUE(QDir(staging).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
    recreateFolder(dir.file(QStringLiteral("zipfile")));
    EXPECT_TRUE(QDir(dir.file(QStringLiteral("zipfile"))).exists());
}

TEST(Folders, ProgramFolderEndsInASlash) {
    EXPECT_EQ(programFolderOf(QStringLiteral("/opt/kelvor/kelvor")),
              QStringLiteral("/opt/kelvor/"));
    EXPECT_EQ(programFolderOf(QStringLiteral("/kelvor")), QStringLiteral("/"));
}

} // namespace
