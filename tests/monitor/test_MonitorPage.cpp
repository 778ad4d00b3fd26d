// The monitoring page: zoom controls of the live view, and the page mirroring
// the monitoring state.
#include "CaptureSystem.h"
#include "ErrorReport.h"
#include "FakeAviWriter.h"
#include "FakeCaptureDevice.h"
#include "FakeClock.h"
#include "FakeMessageService.h"
#include "MonitorPage.h"
#include "PictureView.h"
#include "RecordingController.h"
#include "TGlobal.h"
#include "Tdbhouse.h"
#include "TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Page : ::testing::Test {
    MonitorPage page;
    Page() {
        QImage picture(320, 240, QImage::Format_RGB888);
        picture.fill(Qt::gray);
        page.resize(900, 600);
        page.show();
        page.ImageEnView1->setPicture(picture);
        page.CheckBox3Click(true);
    }
};

TEST_F(Page, TheTrackBarZoomsWhenFitIsOffAndItsLabelShowsTheZoom) {
    page.CheckBox3->setChecked(false);
    page.TrackBar1->setValue(250);
    EXPECT_DOUBLE_EQ(page.ImageEnView1->zoom(), 250);
    EXPECT_EQ(page.Label27->text(), QStringLiteral("比例 (250%)"));
    EXPECT_EQ(page.ImageEnView1->pictureRect().size(), QSizeF(800, 600));
}

TEST_F(Page, DefaultZoomLeavesTheTrackBarAndItsLabelAlone) {
    page.CheckBox3->setChecked(false);
    page.TrackBar1->setValue(150);
    QTest::mouseClick(page.BitBtn2, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(page.ImageEnView1->zoom(), 100);
    EXPECT_EQ(page.TrackBar1->value(), 150);
    EXPECT_EQ(page.Label27->text(), QStringLiteral("比例 (150%)"));
}

TEST_F(Page, FitFollowsTheWindowAndUncheckingAppliesTheTrackBarAtOnce) {
    EXPECT_FALSE(page.TrackBar1->isEnabled());
    const double fitted = page.ImageEnView1->zoom();
    EXPECT_NE(fitted, 100);
    const QRectF r = page.ImageEnView1->pictureRect();
    EXPECT_TRUE(qFuzzyCompare(r.width(), page.ImageEnView1->width()) ||
                qFuzzyCompare(r.height(), page.ImageEnView1->height()));

    page.CheckBox3->setChecked(false);
    EXPECT_TRUE(page.TrackBar1->isEnabled());
    EXPECT_DOUBLE_EQ(page.ImageEnView1->zoom(), 100) << "the track bar stands at 100";
    EXPECT_EQ(page.Label27->text(), QStringLiteral("画面比例(100%)"));
}

TEST_F(Page, PictureControlsOpenOnlyWhileMonitoring) {
    int dialogs = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            ++dialogs;
            w->close();
        }
    });
    closer.start(10);
    QTest::mouseClick(page.BitBtn3, Qt::LeftButton);
    QTest::qWait(50);
    EXPECT_EQ(dialogs, 0);
}

TEST(PageBinding, ThePageShowsTheControllerStateAndForwardsClicks) {
    TempDir dir;
    TGlobal global(dir.file(QStringLiteral("kelvor")));
    Tdbhouse db;
    FakeClock clock;
    FakeMessageService messages;
    ErrorReport errors(clock);
    errors.setEchoToStderr(false);
    FakeAviWriter writer;
    CaptureSystem capture([] {
        CaptureSystem::DeviceList list;
        list.push_back(std::make_unique<FakeCaptureDevice>(
            QStringLiteral("USB Camera"),
            QList<VideoFormat>{{QStringLiteral("YUY2"), 160, 120, 640, 480}}));
        return list;
    });
    RecordingController rc(global, db, capture, writer, clock, messages, errors);
    MonitorPage page;
    page.bind(rc);
    global.strzxylj = dir.path();
    rc.refillDevices();
    EXPECT_EQ(page.ComboBox1->count(), 1);
    EXPECT_EQ(page.ComboBox1->currentText(), QStringLiteral("USB Camera"));
    ASSERT_EQ(page.ListBox2->count(), 1);
    EXPECT_EQ(page.ListBox2->item(0)->text(), QStringLiteral("YUY2 160x120 to 640x480"));

    page.CheckBox4->setChecked(false);
    EXPECT_FALSE(rc.defaultSize());
    page.ListBox2->setCurrentRow(0);
    EXPECT_EQ(page.Edit1->text(), QStringLiteral("640"));
    EXPECT_EQ(page.Edit2->text(), QStringLiteral("480"));

    QTest::mouseClick(page.SpeedButton3, Qt::LeftButton);
    EXPECT_TRUE(rc.monitoring());
    EXPECT_TRUE(page.SpeedButton3->isChecked());
    EXPECT_EQ(page.SpeedButton3->text(), QStringLiteral("停止监控"));
    QTest::mouseClick(page.SpeedButton3, Qt::LeftButton);
    EXPECT_FALSE(page.SpeedButton3->isChecked());
    EXPECT_EQ(page.SpeedButton3->text(), QStringLiteral("开始监控"));
}

} // namespace
