// The player part of the playback page on the offscreen platform, driving the
// controller over a fake media device.
#include "ErrorReport.h"
#include "FakeClock.h"
#include "FakeMci.h"
#include "FakeMessageService.h"
#include "FileListGrid.h"
#include "PlaybackController.h"
#include "PlayerPanel.h"
#include "TFrmDisplayScr.h"
#include "TempDir.h"
#include "media.h"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class Panel : public ::testing::Test {
protected:
    Panel() {
        errors.setEchoToStderr(false);
        mci.answers[QStringLiteral("status MyMp3 length")] = {0, QStringLiteral("5400000")};
        mci.answers[QStringLiteral("status MyMp3 position")] = {0, QStringLiteral("2700000")};
        mci.answers[QStringLiteral("status MyMp3 mode")] = {0, QStringLiteral("playing")};
        mci.answers[QStringLiteral("Where MyMp3 destination")] = {0, QStringLiteral("0 0 352 288")};
        panel.setController(player);
        panel.resize(640, 400);
        panel.show();
    }

    // Adds a file that exists and makes its row current.
    void addFile(const QString& name) {
        QFile file(dir.file(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        const int index = panel.sglist->AddPlayFile(file.fileName());
        panel.sglist->setCurrentCell(index + 1, 1);
    }
    template <typename T> T* find(const char* name) {
        return panel.findChild<T*>(QString::fromUtf8(name));
    }

    TempDir dir;
    FakeMci mci;
    Media media{mci, TFrmDisplayScr::nativeClientSize};
    FakeMessageService messages;
    FakeClock clock;
    ErrorReport errors{clock};
    PlayerPanel panel;
    PlaybackController player{media, messages, errors, panel};
};

TEST_F(Panel, HasTheControlsWithTheirHintsAndPlaces) {
    const struct {
        const char* name;
        const char* hint;
    } buttons[] = {
        {"playBtn", "播放/重新播放"}, {"pauseBtn", "暂停/继续"},
        {"stopBtn", "停止"},          {"prevBtn", "上一个"},
        {"BackBtn", "后退"},          {"StepBtn", "快进"},
        {"NextBtn", "下一个"},        {"EjectBtn", "弹出/关上CD-ROM"},
    };
    for (const auto& b : buttons) {
        auto* button = find<QToolButton>(b.name);
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.hint));
    }
    EXPECT_EQ(panel.lblTime->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(panel.lblTime->toolTip(), QStringLiteral("播放时间"));
    EXPECT_EQ(panel.bar->geometry(), QRect(41, PlayerPanel::kBarTop, 319, 6));
    EXPECT_EQ(panel.dot->size(), QSize(10, 10));
    EXPECT_EQ(panel.dot->x(), 41);
    for (int k = 0; k < 6; ++k) {
        auto* mark = find<QLabel>(QStringLiteral("Label%1").arg(6 + k).toUtf8().constData());
        auto* tick = find<QLabel>(QStringLiteral("Label%1").arg(18 + k).toUtf8().constData());
        ASSERT_TRUE(mark && tick) << k;
        EXPECT_EQ(mark->text(), QStringLiteral("00:00"));
        EXPECT_EQ(tick->text(), QStringLiteral("|"));
        EXPECT_EQ(tick->x(), 44 + 61 * k);
    }
    EXPECT_TRUE(panel.mnuShowPlaytime->isChecked());
    EXPECT_EQ(panel.sglist->objectName(), QStringLiteral("sglist"));
}

TEST_F(Panel, OnlyALeftPressOnATimeMarkMovesTheWindow) {
    QSignalSpy drag(&panel, &PlayerPanel::windowDragRequested);
    QTest::mousePress(panel.timeMarks[2], Qt::RightButton, {}, QPoint(3, 3));
    QTest::mousePress(panel.ticks[4], Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_EQ(drag.count(), 0);
    QTest::mousePress(panel.timeMarks[2], Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mousePress(panel.ticks[4], Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(drag.count(), 2);
}

TEST_F(Panel, PlayingFromTheButtonMirrorsTimeMarksAndKnob) {
    addFile(QStringLiteral("a.mp3"));
    addFile(QStringLiteral("b.mp3"));
    panel.sglist->setCurrentCell(1, 1);
    QTest::mouseClick(panel.playBtn, Qt::LeftButton);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join(u'|').toStdString();
    EXPECT_EQ(player.state(), PlaybackController::State::Playing);
    EXPECT_EQ(player.currentIndex(), 0);
    EXPECT_EQ(panel.timeMarks[1]->text(), QStringLiteral("18:00"));
    EXPECT_EQ(panel.timeMarks[5]->text(), QStringLiteral("90:00"));

    player.Timer2Timer(); // half-way
    EXPECT_EQ(panel.lblTime->text(), QStringLiteral("00:45:00"));
    EXPECT_EQ(panel.dot->x(), 41 + 154);

    mci.sent.clear();
    QTest::mouseClick(panel.bar, Qt::LeftButton, {}, QPoint(159, 3));
    ASSERT_FALSE(mci.commands().isEmpty());
    EXPECT_EQ(mci.commands().first(), QStringLiteral("seek MyMp3 to 2691262"));

    panel.mnuShowlesttime->trigger();
    EXPECT_EQ(panel.lblTime->toolTip(), QStringLiteral("剩余时间"));
    EXPECT_EQ(player.timeMode(), PlaybackController::TimeMode::RemainingTime);
    EXPECT_TRUE(panel.mnuShowlesttime->isChecked());

    // The fake answers "mode" by a table: after the close it must fail.
    mci.answers[QStringLiteral("status MyMp3 mode")] = {MciErrDeviceNotOpen, {}};
    QTest::mouseClick(panel.stopBtn, Qt::LeftButton);
    EXPECT_EQ(player.state(), PlaybackController::State::NotOpen);
    EXPECT_EQ(panel.lblTime->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(panel.timeMarks[5]->text(), QStringLiteral("00:00"));
    EXPECT_EQ(panel.dot->x(), 41);
}

TEST_F(Panel, DraggingTheKnobMovesItAndSeeksOnRelease) {
    addFile(QStringLiteral("a.mp3"));
    QTest::mouseClick(panel.playBtn, Qt::LeftButton);
    QTest::mousePress(panel.dot, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(105, 5), panel.dot->mapToGlobal(QPointF(105, 5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel.dot, &move);
    EXPECT_EQ(panel.dot->x(), 141);
    mci.sent.clear();
    QTest::mouseRelease(panel.dot, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_FALSE(mci.commands().isEmpty());
    EXPECT_EQ(mci.commands().first(), QStringLiteral("seek MyMp3 to 1747572"));
    EXPECT_EQ(player.state(), PlaybackController::State::Playing);
}

TEST_F(Panel, TheDisplayWindowShowsVideosAndItsCloseStopsPlayback) {
    TFrmDisplayScr window(media, messages);
    panel.attachDisplayWindow(window);
    addFile(QStringLiteral("a.mp3"));
    addFile(QStringLiteral("clip.avi"));
    // The player can only draw into a window that is on the screen.
    bool visibleAtOpen = false;
    mci.onSend = [&](const QString& command) {
        if (command.startsWith(QStringLiteral("open ")))
            visibleAtOpen = window.isVisible();
    };
    QTest::mouseClick(panel.playBtn, Qt::LeftButton);
    EXPECT_TRUE(visibleAtOpen);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.nativeSize(), QSize(352, 288));
    EXPECT_EQ(window.size(), QSize(358, 310));
    EXPECT_TRUE(mci.commands().contains(
        QStringLiteral("open %1 type MPEGVideo Alias MyMp3 parent %2 Style 1073741824 shareable")
            .arg(dir.file(QStringLiteral("clip.avi")))
            .arg(window.ScrPnl->winId())));

    Q_EMIT window.previousRequested(); // plays the audio entry: the window closes
    EXPECT_EQ(player.currentIndex(), 0);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(player.state(), PlaybackController::State::Playing);

    Q_EMIT window.nextRequested();
    EXPECT_TRUE(window.isVisible());
    window.close();
    EXPECT_EQ(player.state(), PlaybackController::State::NotOpen);
    EXPECT_EQ(panel.lblTime->text(), QStringLiteral("00:00:00"));
}

} // namespace
