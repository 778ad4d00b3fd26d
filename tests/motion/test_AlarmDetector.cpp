// The motion alarm's ticks with a fake camera, a fixed clock and a comparer
// the test sets, against a copy of the real database file.
#include "AlarmDetector.h"
#include "CaptureSystem.h"
#include "ErrorReport.h"
#include "FakeAviWriter.h"
#include "FakeCaptureDevice.h"
#include "FakeClock.h"
#include "FakeMessageService.h"
#include "GuardedTick.h"
#include "RecordingController.h"
#include "Similarity.h"
#include "TGlobal.h"
#include "Tdbhouse.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Snapshot {
    QString strpath, bjsj, drq, sendbz;
};

struct Alarms : ::testing::Test {
    TempDir dir;
    TGlobal global{dir.file(QStringLiteral("kelvor"))};
    Tdbhouse db;
    FakeClock clock{QDateTime(QDate(2021, 3, 5), QTime(8, 7, 9))};
    FakeMessageService messages;
    ErrorReport errors{clock};
    FakeAviWriter writer;
    FakeCaptureDevice* camera = nullptr;
    CaptureSystem capture{[this] {
        CaptureSystem::DeviceList list;
        auto cam = std::make_unique<FakeCaptureDevice>(QStringLiteral("USB Camera"));
        camera = cam.get();
        list.push_back(std::move(cam));
        return list;
    }};
    RecordingController rc{global, db, capture, writer, clock, messages, errors};
    AlarmDetector detector{global, db, rc, clock, errors, dir.folder()};
    double comparerValue = 1.0;
    std::vector<std::pair<QSize, QSize>> compared;

    Alarms() {
        errors.setEchoToStderr(false);
        layOutProgramFolder(dir, {"avi", "sourcejpg"});
        EXPECT_TRUE(db.open(dir.folder()));
        global.strzxylj = dir.file(QStringLiteral("avi"));
        global.strsfbj = QStringLiteral("1");
        rc.setRotationPauseMs(0);
        rc.refillDevices();
        detector.setComparer([this](const QImage& a, const QImage& b) {
            compared.emplace_back(a.size(), b.size());
            return comparerValue;
        });
    }

    // Monitoring with one frame delivered, then a reference taken.
    void monitorWithReference() {
        rc.pressSpeedButton3();
        pushFrame();
        detector.tytTimer();
        ASSERT_TRUE(detector.HasReference);
    }
    void pushFrame(QColor c = QColor(40, 60, 80)) {
        camera->push(c);
        QCoreApplication::processEvents();
    }
    std::vector<Snapshot> rows() {
        std::vector<Snapshot> out;
        DbQuery& q = db.qlistbj;
        q.close();
        q.clearSql();
        q.addSql(QStringLiteral("select * from bjb order by iid"));
        q.open();
        for (; !q.eof(); q.next())
            out.push_back({q.text(QStringLiteral("strpath")), q.text(QStringLiteral("bjsj")),
                           q.text(QStringLiteral("drq")), q.text(QStringLiteral("sendbz"))});
        q.close();
        return out;
    }
    QStringList snapshotFiles() const {
        return QDir(dir.file(QStringLiteral("sourcejpg"))).entryList(QDir::Files, QDir::Name);
    }
};

TEST_F(Alarms, WithoutAReferenceTheSimilarityIs100AndNothingIsWritten) {
    comparerValue = 0;
    detector.tbjTimer();
    EXPECT_DOUBLE_EQ(detector.similarity, 100);
    EXPECT_TRUE(compared.empty());
    EXPECT_TRUE(snapshotFiles().isEmpty());
    EXPECT_TRUE(rows().empty());
}

TEST_F(Alarms, OnlyASimilarityBelow93Alarms) {
    monitorWithReference();
    struct Case {
        double value;
        bool alarm;
    };
    int expected = 0;
    for (const Case c : {Case{0.93, false}, Case{0.9299, true}, Case{1.0, false}, Case{0.5, true},
                         Case{0.930001, false}}) {
        comparerValue = c.value;
        detector.tbjTimer();
        expected += c.alarm;
        EXPECT_EQ(int(rows().size()), expected) << c.value;
    }
}

TEST_F(Alarms, EachAlarmLeavesABmpAJpegAndARowNamingTheJpeg) {
    monitorWithReference();
    comparerValue = 0.5;
    detector.tbjTimer();
    EXPECT_EQ(snapshotFiles(), (QStringList{"2103050807092.bmp", "2103050807092.jpg"}));
    const auto r = rows();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].strpath, dir.file(QStringLiteral("sourcejpg/2103050807092.jpg")));
    EXPECT_EQ(r[0].bjsj, QStringLiteral("2021-03-05 08:07:09"));
    EXPECT_EQ(r[0].drq, QStringLiteral("2021-03-05"));
    EXPECT_EQ(r[0].sendbz, QStringLiteral("N"));
    const QImage jpg(r[0].strpath);
    EXPECT_EQ(jpg.size(), QSize(320, 240));
}

TEST_F(Alarms, TheCounterStartsAt2AndGrowsAcrossMonitoringRuns) {
    monitorWithReference();
    comparerValue = 0.5;
    detector.tbjTimer();
    clock.advanceSecs(1);
    detector.tbjTimer();
    rc.pressSpeedButton3(); // stop
    rc.pressSpeedButton3(); // a new run
    pushFrame();
    clock.advanceSecs(1);
    detector.tbjTimer();
    EXPECT_EQ(detector.AlarmCounter, 4);
    const auto r = rows();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_TRUE(r[0].strpath.endsWith(QStringLiteral("/2103050807092.jpg")));
    EXPECT_TRUE(r[1].strpath.endsWith(QStringLiteral("/2103050807103.jpg")));
    EXPECT_TRUE(r[2].strpath.endsWith(QStringLiteral("/2103050807114.jpg")));
}

TEST_F(Alarms, NothingHappensUnlessSnapshotsAreSwitchedOn) {
    monitorWithReference();
    comparerValue = 0;
    for (const char* flag : {"0", "", "true", " 1"}) {
        global.strsfbj = QString::fromUtf8(flag);
        detector.tbjTimer();
    }
    EXPECT_TRUE(compared.empty());
    EXPECT_TRUE(rows().empty());
}

TEST_F(Alarms, AStoppedCameraOnAChangedSceneAlarmsOnEveryTick) {
    monitorWithReference();
    rc.pressSpeedButton3(); // stop: the view keeps its last picture
    comparerValue = 0.4;
    for (int i = 0; i < 3; ++i) {
        clock.advanceSecs(1);
        detector.tbjTimer();
    }
    EXPECT_EQ(rows().size(), 3u);
    detector.tytTimer();
    EXPECT_EQ(detector.reference().size(), QSize(320, 240)) << "no renewal while stopped";
}

TEST_F(Alarms, ReferenceAndCurrentOfDifferentSizesAreComparedAtTheCurrentSize) {
    monitorWithReference(); // reference at 320 x 240
    rc.pressSpeedButton3();
    rc.CheckBox4Click(false);
    rc.setCaptureSizeTexts(QStringLiteral("160"), QStringLiteral("120"));
    rc.pressSpeedButton3();
    pushFrame();
    detector.tbjTimer();
    ASSERT_EQ(compared.size(), 1u);
    EXPECT_EQ(compared[0].first, QSize(160, 120));
    EXPECT_EQ(compared[0].second, QSize(160, 120));
}

TEST_F(Alarms, TheRealMeasureAlarmsOnAnObjectAndNotOnTheSameScene) {
    detector.setComparer(pictureSimilarity);
    monitorWithReference();
    pushFrame();
    detector.tbjTimer();
    EXPECT_DOUBLE_EQ(detector.similarity, 100) << "the same picture";
    QImage intruder(320, 240, QImage::Format_RGB888);
    intruder.fill(QColor(40, 60, 80));
    for (int y = 60; y < 200; ++y)
        for (int x = 100; x < 220; ++x)
            intruder.setPixelColor(x, y, QColor(200, 200, 200));
    camera->push(intruder);
    QCoreApplication::processEvents();
    detector.tbjTimer();
    EXPECT_LT(detector.similarity, 93);
    EXPECT_EQ(rows().size(), 1u);
}

TEST_F(Alarms, ADiskErrorIsReportedOnceAndDetectionResumes) {
    monitorWithReference();
    comparerValue = 0.5;
    QTimer tbj;
    tbj.setInterval(500);
    tbj.start();
    QDir(dir.file(QStringLiteral("sourcejpg"))).removeRecursively();
    for (int i = 0; i < 4; ++i)
        runGuardedTick(tbj, QStringLiteral("tbjTimer"), errors, [this] { detector.tbjTimer(); });
    EXPECT_TRUE(tbj.isActive());
    ASSERT_EQ(errors.entries().size(), 1);
    EXPECT_EQ(errors.entries()[0].count, 4);
    EXPECT_TRUE(rows().empty());

    QDir(dir.path()).mkdir(QStringLiteral("sourcejpg"));
    runGuardedTick(tbj, QStringLiteral("tbjTimer"), errors, [this] { detector.tbjTimer(); });
    EXPECT_EQ(rows().size(), 1u);
    EXPECT_EQ(detector.referenceTimer()->interval(), 10000);
    EXPECT_TRUE(detector.referenceTimer()->isActive());
}

} // namespace
