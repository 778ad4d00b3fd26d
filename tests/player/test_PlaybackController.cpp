// The playback controller against a scripted media device, a play list
// without a grid, a stand-in video window and recorded message boxes.
#include "ErrorReport.h"
#include "FakeClock.h"
#include "FakeMessageService.h"
#include "Mci.h"
#include "PlayList.h"
#include "PlaybackController.h"
#include "TempDir.h"
#include "media.h"

#include <QFile>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using State = PlaybackController::State;
using TimeMode = PlaybackController::TimeMode;

// A media device with one alias that keeps its own state: open, time
// format, position (held in frames) and mode. The test moves the position.
class ScriptedDevice final : public Mci {
public:
    int mciSendStringA(const QString& command, char* reply, int replySize,
                       quintptr /*callbackWindow*/) override {
        sent << command;
        QString answer;
        const int code = run(command, answer);
        if (reply && replySize > 0) {
            const QByteArray bytes = (code == 0 ? answer : QString()).toUtf8();
            const auto n = std::min<qsizetype>(bytes.size(), replySize - 1);
            std::memcpy(reply, bytes.constData(), static_cast<size_t>(n));
            reply[n] = '\0';
        }
        return code;
    }
    bool mciGetErrorStringA(int code, char* buffer, int size) override {
        const QByteArray text = QStringLiteral("error %1").arg(code).toUtf8();
        const auto n = std::min<qsizetype>(text.size(), size - 1);
        std::memcpy(buffer, text.constData(), static_cast<size_t>(n));
        buffer[n] = '\0';
        return true;
    }

    // Commands sent since the last call, and forget them.
    QStringList take() {
        QStringList out = sent;
        sent.clear();
        return out;
    }
    // The transport commands only: no queries, time formats or audio
    // settings.
    static QStringList actions(const QStringList& commands) {
        QStringList out;
        for (const QString& c : commands)
            if (!c.startsWith(QLatin1String("status")) &&
                !c.startsWith(QLatin1String("where"), Qt::CaseInsensitive) &&
                !c.startsWith(QLatin1String("set MyMp3")) &&
                !c.startsWith(QLatin1String("set all")) &&
                !c.startsWith(QLatin1String("setaudio"), Qt::CaseInsensitive))
                out << c;
        return out;
    }

    QStringList sent;
    bool open = false;
    bool frames = false;
    int position = 0;
    QString mode = QStringLiteral("stopped");
    int lengthMs = 5400000;
    int lengthFrames = 135000;
    QString lengthReply;   // replaces the length reply when set
    QString positionReply; // replaces the position reply when set
    bool openFails = false;
    bool playFails = false;
    quintptr parent = 0;

private:
    int run(const QString& command, QString& answer) {
        const QStringList w = command.split(QLatin1Char(' '));
        const QString verb = w.value(0).toLower();
        if (verb == QLatin1String("open")) {
            if (openFails)
                return MciErrNotPlayable;
            if (open)
                return MciErrDuplicateAlias;
            const int at = w.indexOf(QStringLiteral("parent"));
            parent = at > 0 ? w.value(at + 1).toULongLong() : 0;
            open = true;
            frames = false;
            position = 0;
            mode = QStringLiteral("stopped");
            return 0;
        }
        if (w.value(1) == QLatin1String("all") || w.value(1) == QLatin1String("cdaudio"))
            return 0;
        if (!open)
            return MciErrDeviceNotOpen;
        const QString what = w.value(2).toLower();
        if (verb == QLatin1String("play")) {
            if (playFails)
                return MciErrPlayerFailure;
            mode = QStringLiteral("playing");
        } else if (verb == QLatin1String("pause")) {
            mode = QStringLiteral("paused");
        } else if (verb == QLatin1String("resume")) {
            mode = QStringLiteral("playing");
        } else if (verb == QLatin1String("stop")) {
            mode = QStringLiteral("stopped");
        } else if (verb == QLatin1String("close")) {
            open = false;
        } else if (verb == QLatin1String("seek")) {
            position = w.value(3).toInt();
            mode = QStringLiteral("stopped");
        } else if (verb == QLatin1String("set")) {
            frames = w.value(4) == QLatin1String("frames");
        } else if (verb == QLatin1String("status")) {
            if (what == QLatin1String("mode"))
                answer = mode;
            else if (what == QLatin1String("length"))
                answer = !lengthReply.isEmpty() ? lengthReply
                                                : QString::number(frames ? lengthFrames : lengthMs);
            else if (what == QLatin1String("position"))
                answer = !positionReply.isEmpty() ? positionReply : QString::number(position);
        } else if (verb == QLatin1String("where")) {
            answer = QStringLiteral("0 0 352 288");
        }
        return 0;
    }
};

// The play list without a grid: the "全名" cell of a row is its entry's path.
class ListStandIn final : public PlaybackListPort {
public:
    PlayList& playList() override { return list; }
    int AddPlayFile(const QString& path) override {
        added << path;
        return list.append(path);
    }
    QString GetListCell(const QString& key, int gridRow) const override {
        return key == QStringLiteral("全名") ? list.EntryPath(gridRow - 1) : QString();
    }
    int currentRow() const override { return row; }
    void setCurrentRow(int r) override { row = r; }
    void repaintList() override { ++repaints; }

    PlayList list;
    QStringList added;
    int row = 1;
    int repaints = 0;
};

// The video window: closing a shown window tells the controller, as the
// real one does.
class VideoStandIn final : public VideoWindowPort {
public:
    bool isShown() const override { return shown; }
    void closeWindow() override {
        shown = false;
        ++closes;
        if (controller)
            controller->displayWindowClosed();
    }
    quintptr pictureWindow() override { return 77; }
    void presentVideo(QSize n, const QString& t) override {
        native = n;
        title = t;
        shown = true;
    }

    PlaybackController* controller = nullptr;
    bool shown = false;
    int closes = 0;
    QSize native;
    QString title;
};

class Player : public ::testing::Test {
protected:
    Player() {
        errors.setEchoToStderr(false);
        video.controller = &player;
        player.setVideoWindow(&video);
        for (const QString& name :
             {QStringLiteral("a.avi"), QStringLiteral("b.mp3"), QStringLiteral("c.avi")}) {
            QFile file(dir.file(name));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            list.AddPlayFile(file.fileName());
        }
        list.added.clear();
    }

    // Plays grid row `row` as the play button does and forgets the commands.
    void playRow(int row) {
        list.row = row;
        player.PlayBtnClick(true);
        device.take();
    }
    QString path(int index) const { return list.list.EntryPath(index); }
    // One timeout of Timer2, as the event loop delivers it.
    void tick() { QMetaObject::invokeMethod(&player.Timer2(), "timeout", Qt::DirectConnection); }

    TempDir dir;
    ScriptedDevice device;
    Media media{device};
    FakeMessageService messages;
    FakeClock clock;
    ErrorReport errors{clock};
    ListStandIn list;
    VideoStandIn video;
    PlaybackController player{media, messages, errors, list};
};

// ------------------------------------------------------------ arithmetic

TEST(PlaybackArithmetic, TimeDisplayRoundsSecondsHalfToEven) {
    const struct {
        qint64 ms;
        const char* shown;
    } cases[] = {
        {0, "00:00:00"},          {359600, "00:05:60"}, // 5 min 59.6 s
        {5400000, "01:30:00"},    {58500, "00:00:58"},  // a half rounds to the even second
        {59500, "00:00:60"},      {3599999, "00:59:60"},
        {360000000, "100:00:00"}, {-40, "00:00:00"}, // never a negative remaining time
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaybackController::formatTime(c.ms), QString::fromUtf8(c.shown)) << c.ms;
}

TEST(PlaybackArithmetic, TimeMarksAreFifthsInMinutesAndSeconds) {
    EXPECT_EQ(PlaybackController::markTexts(5400000),
              (QStringList{"18:00", "36:00", "54:00", "72:00", "90:00"}));
    EXPECT_EQ(PlaybackController::markTexts(7000),
              (QStringList{"00:01", "00:02", "00:04", "00:05", "00:07"}));
    EXPECT_EQ(PlaybackController::markTexts(36000000).last(), QStringLiteral("600:00"));
}

TEST(PlaybackArithmetic, NextAndPreviousWrap) {
    const struct {
        int current, count, next, previous;
    } cases[] = {
        {-1, 3, 0, 0}, {0, 3, 1, 2}, {1, 3, 2, 0}, {2, 3, 0, 1}, {0, 1, 0, 0}, {5, 3, 0, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlaybackController::nextIndex(c.current, c.count), c.next) << c.current;
        EXPECT_EQ(PlaybackController::previousIndex(c.current, c.count), c.previous) << c.current;
    }
}

TEST(PlaybackArithmetic, JumpStepAndVolume) {
    EXPECT_EQ(PlaybackController::jumpFrames(5400000, 135000), 500);
    EXPECT_EQ(PlaybackController::jumpFrames(40000, 5), 2); // 2.5 to even
    EXPECT_EQ(PlaybackController::jumpFrames(40000, 7), 4); // 3.5 to even
    EXPECT_EQ(PlaybackController::jumpFrames(0, 7), 0);
    EXPECT_EQ(PlaybackController::volumePercent(23), 54);
    EXPECT_EQ(PlaybackController::volumePercent(0), 100);
    EXPECT_EQ(PlaybackController::volumePercent(51), 0);
}

// ------------------------------------------------------------ playing

TEST_F(Player, StartsNotOpenAndRefreshModeResetsTheDisplay) {
    EXPECT_EQ(player.state(), State::NotOpen);
    EXPECT_EQ(player.currentIndex(), -1);
    EXPECT_FALSE(player.Timer2().isActive());
    EXPECT_EQ(player.Timer2().interval(), 500);
    player.RefreshMode();
    EXPECT_EQ(device.take(), QStringList{"status MyMp3 mode"});
    EXPECT_EQ(player.timeText(), QStringLiteral("00:00:00"));
    EXPECT_EQ(player.timeMarks(), QStringList(6, QStringLiteral("00:00")));
}

TEST_F(Player, PlayingAnAudioRowSendsTheOpenSequenceAndShowsTheMarks) {
    video.shown = true;
    list.row = 2;
    player.PlayBtnClick(true);
    EXPECT_EQ(device.take(), (QStringList{
                                 "open " + path(1) + " type MPEGVideo Alias MyMp3",
                                 "status MyMp3 mode",
                                 "set MyMp3 time format milliseconds",
                                 "status MyMp3 length",
                                 "set MyMp3 time format frames",
                                 "status MyMp3 length",
                                 "setaudio MyMp3 Volume to 540",
                                 "play MyMp3",
                                 "set all audio all on",
                                 "Setaudio MyMp3 source to stereo",
                                 "status MyMp3 mode",
                             }));
    EXPECT_EQ(video.closes, 1); // an audio entry closes the video window
    EXPECT_EQ(player.state(), State::Playing);
    EXPECT_EQ(player.currentIndex(), 1);
    EXPECT_EQ(list.row, 2);
    EXPECT_TRUE(player.Timer2().isActive());
    EXPECT_EQ(player.lengthMs(), 5400000);
    EXPECT_EQ(player.lengthFrames(), 135000);
    EXPECT_EQ(player.timeMarks(),
              (QStringList{"00:00", "18:00", "36:00", "54:00", "72:00", "90:00"}));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(Player, AVideoRowOpensInThePictureWindowAndPresentsIt) {
    playRow(1);
    EXPECT_EQ(device.parent, 77u);
    EXPECT_EQ(video.native, QSize(352, 288));
    EXPECT_EQ(video.title, path(0));
    EXPECT_TRUE(player.videoActive());
    EXPECT_EQ(video.closes, 0);
}

TEST_F(Player, PlayingTwiceRestartsFromTheBeginning) {
    playRow(1);
    device.position = 9000;
    player.PlayBtnClick(true);
    const QStringList sent = ScriptedDevice::actions(device.take());
    ASSERT_EQ(sent.size(), 3);
    EXPECT_EQ(sent[2], QStringLiteral("play MyMp3"));
    EXPECT_EQ(sent[0], QStringLiteral("Close MyMp3"));
    EXPECT_TRUE(sent[1].startsWith(QStringLiteral("open ")));
    EXPECT_EQ(device.position, 0);
    EXPECT_EQ(player.state(), State::Playing);
}

TEST_F(Player, AMissingFileIsReportedAndNothingOpens) {
    QFile::remove(path(2));
    video.shown = true;
    playRow(3);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0], QStringLiteral("文件未找到:\n\n3   .") + path(2));
    EXPECT_EQ(messages.icons[0], MessageService::Icon::Information);
    EXPECT_EQ(player.state(), State::NotOpen);
    EXPECT_FALSE(device.open);
    EXPECT_EQ(video.closes, 1);
}

TEST_F(Player, FailuresOfOpenPlayAndRepliesLeaveAConsistentState) {
    device.openFails = true;
    playRow(2);
    EXPECT_EQ(messages.shown, QStringList{"error 261"});
    EXPECT_EQ(player.state(), State::NotOpen);

    messages.shown.clear();
    device.openFails = false;
    device.playFails = true;
    playRow(2);
    EXPECT_EQ(messages.shown, QStringList{"error 267"});
    EXPECT_EQ(player.state(), State::Stopped); // open, not playing
    EXPECT_FALSE(player.Timer2().isActive());

    // A reply that is no number: reported with its stage, and the device is
    // not left open for the next play to trip over.
    messages.shown.clear();
    device.playFails = false;
    device.lengthReply = QStringLiteral("abc");
    playRow(2);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].startsWith(QStringLiteral("openfiel-No:0:open error, E:")))
        << messages.shown[0].toStdString();
    EXPECT_FALSE(device.open);
    device.lengthReply.clear();
    messages.shown.clear();
    playRow(2);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(player.state(), State::Playing);
}

TEST_F(Player, ALengthOfZeroOrLessIsNotPlayable) {
    for (const auto& [ms, frames] : {std::pair{0, 0}, std::pair{-1, -1}, std::pair{4000, 0}}) {
        messages.shown.clear();
        device.lengthMs = ms;
        device.lengthFrames = frames;
        playRow(2);
        ASSERT_EQ(messages.shown.size(), 1) << ms;
        EXPECT_TRUE(messages.shown[0].startsWith(QStringLiteral("无法播放"))) << ms;
        EXPECT_EQ(player.state(), State::NotOpen);
        EXPECT_FALSE(device.open);
        player.Timer2Timer();
        player.StepBtnClick();
        player.barMouseDown(Qt::LeftButton, 100);
        EXPECT_TRUE(device.take().isEmpty());
    }
}

// ------------------------------------------------------------ refresh

TEST_F(Player, RefreshMovesTheKnobAndShowsPlayOrRemainingTime) {
    playRow(2);
    device.position = 67500; // half-way through 90 minutes
    player.Timer2Timer();
    EXPECT_EQ(player.knobLeft(), 41 + 154); // 309 * 0.5 = 154.5 to even
    EXPECT_EQ(player.timeText(), QStringLiteral("00:45:00"));

    device.position = 8990; // 359 600 ms
    player.Timer2Timer();
    EXPECT_EQ(player.timeText(), QStringLiteral("00:05:60"));

    player.mnuShowPlaytimeClick(TimeMode::RemainingTime);
    EXPECT_EQ(player.timeHint(), QStringLiteral("剩余时间"));
    device.position = 0;
    player.Timer2Timer();
    EXPECT_EQ(player.timeText(), QStringLiteral("01:30:00"));
    EXPECT_EQ(player.state(), State::Playing);
}

TEST_F(Player, TheEndIsSeenWithinOneFrameAndClosesTheFile) {
    const struct {
        int position;
        bool ended;
    } cases[] = {{134998, false}, {134999, true}, {135000, true}};
    for (const auto& c : cases) {
        playRow(2);
        device.position = c.position;
        player.Timer2Timer();
        EXPECT_EQ(player.state() == State::NotOpen, c.ended) << c.position;
        EXPECT_EQ(device.open, !c.ended) << c.position;
        if (c.ended) {
            EXPECT_FALSE(player.Timer2().isActive());
            EXPECT_EQ(player.knobLeft(), 41);
            EXPECT_EQ(player.timeText(), QStringLiteral("00:00:00"));
        }
    }
}

TEST_F(Player, TheTimerTickIsGuardedAndDoesNotRestartAfterTheEnd) {
    playRow(2);
    device.position = 135000;
    tick();
    EXPECT_EQ(player.state(), State::NotOpen);
    EXPECT_FALSE(player.Timer2().isActive());

    // A position that is no number goes to the error report; the timer
    // keeps running.
    playRow(2);
    device.positionReply = QStringLiteral("1:02");
    tick();
    ASSERT_EQ(errors.entries().size(), 1);
    EXPECT_EQ(player.state(), State::Playing);
    EXPECT_TRUE(player.Timer2().isActive());
    EXPECT_TRUE(messages.shown.isEmpty());
}

// ------------------------------------------------------------ transport

TEST_F(Player, PauseResumesAndStopClosesEverything) {
    playRow(1);
    player.PausebtnClick();
    EXPECT_EQ(player.state(), State::Paused);
    EXPECT_FALSE(player.Timer2().isActive());
    player.PausebtnClick();
    EXPECT_EQ(player.state(), State::Playing);
    EXPECT_TRUE(player.Timer2().isActive());
    player.PausebtnClick();
    device.take();

    player.StopBtnClick(); // while paused
    EXPECT_EQ(ScriptedDevice::actions(device.take()), (QStringList{"Stop MyMp3", "Close MyMp3"}));
    EXPECT_EQ(player.state(), State::NotOpen);
    EXPECT_FALSE(video.shown);
    EXPECT_EQ(player.timeText(), QStringLiteral("00:00:00"));

    player.StopBtnClick();
    player.PausebtnClick();
    EXPECT_TRUE(device.take().isEmpty());
}

TEST_F(Player, ARefusedPauseIsShownAndStillPauses) {
    playRow(2);
    device.open = false; // the device went away
    player.PausebtnClick();
    EXPECT_EQ(messages.shown, QStringList{"error 259"});
    EXPECT_EQ(player.state(), State::Paused);
    messages.shown.clear();
    player.PausebtnClick(); // resume refused: nothing changes
    EXPECT_EQ(messages.shown, QStringList{"error 259"});
    EXPECT_EQ(player.state(), State::Paused);
}

TEST_F(Player, NextAndPreviousWrapAndPlayWithoutReadingTheGrid) {
    player.NextBtnClick(); // from -1
    EXPECT_EQ(player.currentIndex(), 0);
    EXPECT_EQ(list.row, 1);
    player.PrevBtnClick();
    EXPECT_EQ(player.currentIndex(), 2);
    EXPECT_EQ(list.row, 3);
    list.row = 1; // not read
    player.NextBtnClick();
    EXPECT_EQ(player.currentIndex(), 0);
    EXPECT_EQ(player.state(), State::Playing);
    player.setCurrentIndex(1); // as the search picks an entry
    player.PlayBtnClick(false);
    EXPECT_EQ(list.row, 2);

    ListStandIn empty;
    PlaybackController idle{media, messages, errors, empty};
    device.take();
    idle.NextBtnClick();
    idle.PlayBtnClick(true);
    EXPECT_TRUE(device.take().isEmpty());
}

TEST_F(Player, KeysStepAndJump) {
    EXPECT_FALSE(player.handleKey(Qt::Key_Right, Qt::NoModifier));
    EXPECT_TRUE(player.handleKey(Qt::Key_Right, Qt::ControlModifier));
    EXPECT_EQ(player.currentIndex(), 0);
    EXPECT_TRUE(player.handleKey(Qt::Key_Left, Qt::ControlModifier));
    EXPECT_EQ(player.currentIndex(), 2);
    device.take();
    device.position = 1000;
    EXPECT_TRUE(player.handleKey(Qt::Key_PageDown, Qt::ControlModifier));
    EXPECT_TRUE(device.sent.contains(QStringLiteral("seek MyMp3 to 1500")));
    EXPECT_TRUE(player.handleKey(Qt::Key_PageUp, Qt::ControlModifier));
    EXPECT_TRUE(device.sent.contains(QStringLiteral("seek MyMp3 to 1000")));
    EXPECT_FALSE(player.handleKey(Qt::Key_Up, Qt::ControlModifier));
}

// ------------------------------------------------------------ seeking

TEST_F(Player, JumpsKeepTheStateAndStopAtTheBounds) {
    const struct {
        const char* name;
        State before;
        bool forward;
        int position;
        int target;
        QStringList after; // actions after the seek
        State state;
    } cases[] = {
        {"back near start", State::Playing, false, 300, 1, {"play MyMp3"}, State::Playing},
        {"back", State::Playing, false, 5000, 4500, {"play MyMp3"}, State::Playing},
        {"forward paused",
         State::Paused,
         true,
         5000,
         5500,
         {"play MyMp3", "Pause MyMp3"},
         State::Paused},
        {"forward stopped", State::Stopped, true, 5000, 5500, {}, State::Stopped},
        // The seek lands on the end: the refresh closes the file and nothing
        // is played on a closed device.
        {"forward near end",
         State::Playing,
         true,
         134800,
         135000,
         {"Stop MyMp3", "Close MyMp3"},
         State::NotOpen},
    };
    for (const auto& c : cases) {
        playRow(2);
        if (c.before == State::Paused)
            player.PausePlay();
        if (c.before == State::Stopped)
            player.StopPlay();
        device.position = c.position;
        device.take();
        const bool forward = c.forward;
        forward ? player.StepBtnClick() : player.BackBtnClick();
        QStringList expected{QStringLiteral("seek MyMp3 to %1").arg(c.target)};
        expected += c.after;
        EXPECT_EQ(ScriptedDevice::actions(device.take()), expected) << c.name;
        EXPECT_EQ(player.state(), c.state) << c.name;
        EXPECT_EQ(player.Timer2().isActive(), c.state == State::Playing) << c.name;
        EXPECT_TRUE(messages.shown.isEmpty()) << c.name;
    }
}

TEST_F(Player, BarClicksSeekWithinTheBarOnly) {
    device.lengthFrames = 30900;
    const struct {
        Qt::MouseButton button;
        int x;
        int target; // -1: nothing sent
    } cases[] = {
        {Qt::LeftButton, 4, -1},      {Qt::LeftButton, 5, 0},    {Qt::LeftButton, 159, 15400},
        {Qt::LeftButton, 313, 30800}, {Qt::LeftButton, 315, -1}, {Qt::RightButton, 159, -1},
    };
    for (const auto& c : cases) {
        playRow(2);
        player.barMouseDown(c.button, c.x);
        const QStringList sent = ScriptedDevice::actions(device.take());
        if (c.target < 0) {
            EXPECT_TRUE(sent.isEmpty()) << c.x;
            continue;
        }
        EXPECT_EQ(sent,
                  (QStringList{QStringLiteral("seek MyMp3 to %1").arg(c.target), "play MyMp3"}))
            << c.x;
        EXPECT_EQ(player.state(), State::Playing);
    }
    player.CloseMedia();
    device.take();
    player.barMouseDown(Qt::LeftButton, 100);
    EXPECT_TRUE(device.take().isEmpty());
}

TEST_F(Player, DraggingTheKnobSeeksOnReleaseAndRestoresTheState) {
    device.lengthFrames = 30900;
    playRow(2);
    player.dotMouseDown(Qt::LeftButton, 3);
    EXPECT_TRUE(player.dragging());
    EXPECT_EQ(player.state(), State::Stopped);
    EXPECT_FALSE(player.Timer2().isActive());
    player.dotMouseMove(103); // +100
    EXPECT_EQ(player.knobLeft(), 141);
    player.dotMouseMove(3 + 400); // beyond the bar: not applied
    EXPECT_EQ(player.knobLeft(), 141);
    device.position = 20000;
    player.Timer2Timer(); // a refresh during the drag leaves the knob
    EXPECT_EQ(player.knobLeft(), 141);
    device.take();
    player.dotMouseUp(Qt::LeftButton, 3);
    EXPECT_FALSE(player.dragging());
    EXPECT_EQ(ScriptedDevice::actions(device.take()).value(0),
              QStringLiteral("seek MyMp3 to 10000"));
    EXPECT_EQ(player.state(), State::Playing);
    EXPECT_TRUE(player.Timer2().isActive());

    // A paused file stays paused; closing the file ends a drag.
    player.PausePlay();
    player.dotMouseDown(Qt::LeftButton, 0);
    player.dotMouseMove(-200); // left of the bar: not applied
    EXPECT_EQ(player.knobLeft(), 141);
    player.dotMouseUp(Qt::LeftButton, 0);
    EXPECT_EQ(player.state(), State::Paused);
    player.dotMouseDown(Qt::LeftButton, 0);
    player.displayWindowClosed();
    EXPECT_FALSE(player.dragging());
    EXPECT_EQ(player.state(), State::NotOpen);
}

// ------------------------------------------------------------ other actions

TEST_F(Player, ClosingTheVideoWindowClosesTheDeviceAndResetsTheDisplay) {
    playRow(1);
    device.position = 30000;
    player.Timer2Timer();
    video.closeWindow();
    EXPECT_FALSE(device.open);
    EXPECT_EQ(player.state(), State::NotOpen);
    EXPECT_EQ(player.timeText(), QStringLiteral("00:00:00"));
    EXPECT_EQ(player.knobLeft(), 41);
    EXPECT_EQ(player.timeMarks(), QStringList(6, QStringLiteral("00:00")));
}

TEST_F(Player, ADropAddsMediaFilesFromTheLastAndPlaysTheFirstAdded) {
    const QString a = dir.file(QStringLiteral("d.avi"));
    const QString c = dir.file(QStringLiteral("e.mp3"));
    for (const QString& name : {a, c}) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    player.filesDropped({a, dir.file(QStringLiteral("b.txt")), c});
    EXPECT_EQ(list.added, (QStringList{c, a}));
    EXPECT_EQ(player.currentIndex(), 3);
    EXPECT_TRUE(list.list.isMarked(3));
    EXPECT_EQ(list.list.currentPosition(), 3);
    EXPECT_EQ(player.state(), State::Playing);
    EXPECT_TRUE(device.sent.contains("open " + c + " type MPEGVideo Alias MyMp3"));

    device.take();
    player.filesDropped({dir.file(QStringLiteral("notes.txt"))});
    EXPECT_TRUE(device.take().isEmpty());
    EXPECT_EQ(list.list.count(), 5);
}

TEST_F(Player, EjectTogglesTheDoor) {
    player.EjectBtnClick();
    player.EjectBtnClick();
    EXPECT_EQ(device.take(), (QStringList{"set cdaudio door open", "set cdaudio door closed"}));
    EXPECT_EQ(player.door(), PlaybackController::Door::Closed);
}

TEST_F(Player, AVolumeOutOfRangeIsIgnored) {
    player.setVolume(60);
    playRow(2);
    EXPECT_EQ(player.state(), State::Playing);
    EXPECT_TRUE(messages.shown.isEmpty());
}

} // namespace
