// Monitoring and recording driven with a fake camera, a fake AVI writer and a
// fixed clock, against a copy of the real database file.
#include "CaptureSystem.h"
#include "ErrorReport.h"
#include "FakeAviWriter.h"
#include "FakeCaptureDevice.h"
#include "FakeClock.h"
#include "FakeMessageService.h"
#include "FrameStamp.h"
#include "RecordingController.h"
#include "TGlobal.h"
#include "Tdbhouse.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QList<VideoFormat> kWebcamFormats{
    {QStringLiteral("YUY2"), 640, 480, 640, 480},
    {QStringLiteral("YUY2"), 160, 120, 640, 480},
    {QStringLiteral("MJPG"), 1280, 720, 1280, 720},
};

struct Row {
    QString sj, drq, wjmc, strpath;
    int wjid;
};

struct FakeRing final : FrameRingPort {
    void feed(const QImage& previous) override { fed.push_back(previous); }
    std::vector<QImage> fed;
};

struct Recording : ::testing::Test {
    TempDir dir;
    TGlobal global{dir.file(QStringLiteral("kelvor"))};
    Tdbhouse db;
    FakeClock clock{QDateTime(QDate(2026, 3, 10), QTime(9, 30, 5))};
    FakeMessageService messages;
    ErrorReport errors{clock};
    FakeAviWriter writer;
    std::vector<FakeCaptureDevice*> devices; // of the latest enumeration
    bool secondCamera = true;
    CaptureSystem capture{[this] {
        devices.clear();
        CaptureSystem::DeviceList list;
        auto cam =
            std::make_unique<FakeCaptureDevice>(QStringLiteral("USB Camera"), kWebcamFormats);
        devices.push_back(cam.get());
        list.push_back(std::move(cam));
        if (secondCamera) {
            auto other = std::make_unique<FakeCaptureDevice>(
                QStringLiteral("Other Camera"),
                QList<VideoFormat>{{QStringLiteral("MJPG"), 320, 240, 320, 240}});
            devices.push_back(other.get());
            list.push_back(std::move(other));
        }
        return list;
    }};
    RecordingController rc{global, db, capture, writer, clock, messages, errors};

    Recording() {
        errors.setEchoToStderr(false);
        layOutProgramFolder(dir, {"avi"});
        EXPECT_TRUE(db.open(dir.folder()));
        global.strzxylj = dir.file(QStringLiteral("avi"));
        rc.setRotationPauseMs(0);
        rc.refillDevices();
    }

    std::vector<Row> rows() {
        std::vector<Row> out;
        DbQuery& q = db.qcx;
        q.close();
        q.clearSql();
        q.addSql(QStringLiteral("select * from avib order by iid"));
        q.open();
        for (; !q.eof(); q.next())
            out.push_back({q.text(QStringLiteral("sj")), q.text(QStringLiteral("drq")),
                           q.text(QStringLiteral("wjmc")), q.text(QStringLiteral("strpath")),
                           q.integer(QStringLiteral("wjid"))});
        q.close();
        return out;
    }
    QString settingsText() const {
        QFile f(global.settingsPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    FakeCaptureDevice& camera() { return *devices.at(0); }
    // Waits until the posted frame event has run.
    void deliverFrame(QColor c = QColor(40, 60, 80)) {
        const int before = framesSeen;
        camera().push(c);
        ASSERT_TRUE(QTest::qWaitFor([&] { return framesSeen > before; }, 5000));
    }
    int framesSeen = 0;
    void countFrames() {
        QObject::connect(&rc, &RecordingController::pictureChanged, &rc, [this] { ++framesSeen; });
    }
};

TEST_F(Recording, ActivationListsTheDevicesAndTheFirstDevicesFormatsThenDisconnects) {
    EXPECT_EQ(rc.deviceNames(), (QStringList{"USB Camera", "Other Camera"}));
    EXPECT_EQ(rc.deviceIndex(), 0);
    EXPECT_EQ(rc.formatLines(), (QStringList{"YUY2 640x480 to 640x480", "YUY2 160x120 to 640x480",
                                             "MJPG 1280x720 to 1280x720"}));
    EXPECT_FALSE(capture.connected());

    rc.ComboBox1Change(1);
    EXPECT_EQ(rc.formatLines(), QStringList{"MJPG 320x240 to 320x240"});
    EXPECT_EQ(global.strdrive, QStringLiteral("Other Camera"));

    rc.SpeedButton9Click();
    EXPECT_EQ(rc.deviceIndex(), -1) << "reloading selects nothing";
    EXPECT_EQ(rc.deviceNames().size(), 2);
}

TEST_F(Recording, AFormatLineGivesItsMaximumSize) {
    struct Case {
        int row;
        const char* w;
        const char* h;
    };
    for (const Case c : {Case{1, "640", "480"}, Case{2, "1280", "720"}}) {
        rc.ListBox2Click(c.row);
        EXPECT_EQ(rc.widthText(), QString::fromUtf8(c.w));
        EXPECT_EQ(rc.heightText(), QString::fromUtf8(c.h));
    }
}

TEST_F(Recording, StartNamesTheFileByTheClockInsertsAnOpenRowAndCapturesAt320By240) {
    rc.pressSpeedButton3();
    ASSERT_TRUE(rc.monitoring());
    const QString path = dir.file(QStringLiteral("avi/260310093005.avi"));
    EXPECT_EQ(writer.created, QStringList{path + QStringLiteral("|msvc")});
    const auto r = rows();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].sj, QStringLiteral("2026-03-10 09:30:05"));
    EXPECT_EQ(r[0].drq, QStringLiteral("2026-03-10"));
    EXPECT_EQ(r[0].wjmc, QStringLiteral("260310093005.avi"));
    EXPECT_EQ(r[0].strpath, path);
    EXPECT_EQ(r[0].wjid, 0);
    EXPECT_EQ(rc.widthText(), QStringLiteral("0"));
    EXPECT_EQ(rc.heightText(), QStringLiteral("0"));
    EXPECT_TRUE(settingsText().contains(QStringLiteral("strw1=0\nstrh1=0\n")));
    EXPECT_TRUE(camera().streaming());
    EXPECT_EQ(camera().size, QSize(320, 240));
    EXPECT_EQ(rc.caption(), QStringLiteral("停止监控"));
    EXPECT_EQ(rc.indicator(), RecordingController::Indicator::Lime);

    rc.pressSpeedButton3();
    EXPECT_FALSE(rc.monitoring());
    EXPECT_EQ(rows()[0].wjid, 1);
    EXPECT_EQ(writer.closes, 1);
    EXPECT_FALSE(capture.connected());
    EXPECT_EQ(rc.caption(), QStringLiteral("开始监控"));
    EXPECT_EQ(rc.indicator(), RecordingController::Indicator::Red);
}

TEST_F(Recording, TheCaptureSizeComesFromTheFieldsUnlessTheDefaultBoxIsTicked) {
    struct Case {
        const char* w;
        const char* h;
        QSize captured;
        const char* stored;
    };
    rc.CheckBox4Click(false);
    for (const Case c : {Case{"800", "600", {800, 600}, "strw1=800\nstrh1=600\n"},
                         Case{"abc", "600", {640, 480}, "strw1=640\nstrh1=480\n"},
                         Case{"", "", {640, 480}, "strw1=640\nstrh1=480\n"},
                         Case{"0", "0", {320, 240}, "strw1=0\nstrh1=0\n"}}) {
        SCOPED_TRACE(c.w);
        rc.setCaptureSizeTexts(QString::fromUtf8(c.w), QString::fromUtf8(c.h));
        rc.pressSpeedButton3();
        EXPECT_EQ(camera().size, c.captured);
        EXPECT_TRUE(settingsText().contains(QString::fromUtf8(c.stored)));
        EXPECT_TRUE(settingsText().contains(QStringLiteral("strfbl=0\n")));
        rc.pressSpeedButton3();
    }
}

TEST_F(Recording, AStopClosesEveryOpenRowNotOnlyItsOwn) {
    // A row left open by a run that ended without a stop.
    DbQuery& q = db.qavi;
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("insert into avib(wjmc,wjid) values('leftover.avi',0)"));
    q.execSql();
    rc.pressSpeedButton3();
    rc.pressSpeedButton3();
    const auto r = rows();
    ASSERT_EQ(r.size(), 2u);
    for (const Row& row : r)
        EXPECT_EQ(row.wjid, 1) << row.wjmc.toStdString();
}

TEST_F(Recording, WithoutSavingVideoARowIsStillInsertedAndNothingIsWritten) {
    global.strsfbcsp = QStringLiteral("0");
    countFrames();
    rc.pressSpeedButton3();
    deliverFrame();
    EXPECT_TRUE(writer.created.isEmpty());
    EXPECT_TRUE(writer.frames.empty());
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_FALSE(rows()[0].strpath.isEmpty());
    EXPECT_FALSE(rc.picture().isNull()) << "frames are still shown";
    rc.pressSpeedButton3();
    EXPECT_EQ(rows()[0].wjid, 1);
    EXPECT_EQ(writer.closes, 0);
}

TEST_F(Recording, AFileThatCannotBeCreatedEmptiesTheFolderSettingAndMonitoringGoesOn) {
    writer.failCreate = true;
    rc.pressSpeedButton3();
    EXPECT_EQ(messages.shown,
              QStringList{QStringLiteral("系统对电脑环境进行了初始化，请退出软件再进入")});
    EXPECT_TRUE(global.strzxylj.isEmpty());
    EXPECT_TRUE(settingsText().contains(QStringLiteral("strzxylj=\n")));
    EXPECT_TRUE(rc.monitoring());
    EXPECT_TRUE(camera().streaming());
    ASSERT_EQ(rows().size(), 1u);

    writer.failCreate = false;
    rc.pressSpeedButton3();
    rc.pressSpeedButton3();
    EXPECT_EQ(rows().back().strpath, QStringLiteral("/260310093005.avi"))
        << "until a restart the path is built on the empty folder";
}

TEST_F(Recording, RotationStartsANewRecordingAlsoWhenStopped) {
    rc.tjsTimer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rc.monitoring(); }));
    EXPECT_EQ(writer.created.size(), 1);

    clock.advanceSecs(2600);
    rc.tjsTimer();
    EXPECT_FALSE(rc.monitoring()) << "closed during the pause";
    EXPECT_EQ(rows()[0].wjid, 1);
    EXPECT_EQ(writer.closes, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rc.monitoring(); }));
    ASSERT_EQ(writer.created.size(), 2);
    EXPECT_TRUE(writer.created[1].contains(QStringLiteral("260310101325.avi")));
    ASSERT_EQ(rows().size(), 2u);
    EXPECT_EQ(rows()[1].wjid, 0);
    EXPECT_EQ(rc.caption(), QStringLiteral("停止监控"));
    EXPECT_EQ(rc.rotationTimer()->interval(), 2600000);
    EXPECT_TRUE(rc.rotationTimer()->isActive());
}

TEST_F(Recording, AFormatListingWhileMonitoringStopsThePictureButNotMonitoring) {
    rc.pressSpeedButton3();
    rc.ComboBox1Change(0);
    EXPECT_TRUE(rc.monitoring());
    EXPECT_FALSE(capture.connected());
    EXPECT_TRUE(writer.isOpen());
}

TEST_F(Recording, EachFrameIsStampedRecordedAndTheRingGetsThePreviousPicture) {
    FakeRing ring;
    rc.setFrameRing(&ring);
    global.strjp = QStringLiteral("1");
    countFrames();
    rc.pressSpeedButton3();
    deliverFrame(QColor(0, 0, 0));
    deliverFrame(QColor(0, 0, 200));
    ASSERT_EQ(writer.frames.size(), 2u);
    EXPECT_EQ(writer.frames[1].image.size(), QSize(320, 240));

    // The stamp is white pixels in the top-left corner and nowhere else.
    const QImage& rec = writer.frames[0].image;
    int white = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 160; ++x)
            white += rec.pixelColor(x, y) == QColor(255, 255, 255);
    EXPECT_GT(white, 20);
    EXPECT_EQ(rec.pixelColor(300, 200), QColor(0, 0, 0));

    ASSERT_EQ(ring.fed.size(), 2u);
    EXPECT_TRUE(ring.fed[0].isNull()) << "before the first frame the view was empty";
    EXPECT_EQ(ring.fed[1].pixelColor(300, 200), QColor(0, 0, 0)) << "the previous frame";

    global.strjp = QStringLiteral("0");
    deliverFrame();
    EXPECT_EQ(ring.fed.size(), 2u);
    rc.pressSpeedButton3();
}

TEST_F(Recording, TheDefaultSizeBoxWritesTheSettingsOnlyWhenItChanges) {
    rc.setDefaultSizeBox(true);
    EXPECT_TRUE(settingsText().isEmpty());
    rc.setDefaultSizeBox(false);
    EXPECT_TRUE(settingsText().contains(QStringLiteral("strfbl=0\n")));
    EXPECT_FALSE(rc.defaultSize());
}

TEST_F(Recording, ASettingsFileThatCannotBeWrittenShowsItsErrorAndGoesOn) {
    QDir(dir.path()).mkdir(QStringLiteral("kelvor.ini"));
    rc.CheckBox4Click(false);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0], QStringLiteral("Unable to write to ") + global.settingsPath());
    EXPECT_EQ(global.strfbl, QStringLiteral("0"));
}

TEST(FrameStampText, DateAndTimeWithoutTheTimeAtMidnight) {
    struct Case {
        QDateTime t;
        const char* text;
    };
    for (const Case& c :
         {Case{QDateTime(QDate(2018, 6, 1), QTime(9, 5, 7)), "2018-06-01 9:05:07"},
          Case{QDateTime(QDate(2018, 6, 1), QTime(23, 59, 59)), "2018-06-01 23:59:59"},
          Case{QDateTime(QDate(2018, 6, 2), QTime(0, 0, 0)), "2018-06-02"},
          Case{QDateTime(QDate(2018, 6, 2), QTime(0, 0, 1)), "2018-06-02 0:00:01"}})
        EXPECT_EQ(frameStampText(c.t), QString::fromUtf8(c.text));
}

} // namespace
