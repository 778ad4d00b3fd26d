#pragma once

#include "ShellPorts.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class ErrorReport;
class Media;
class MessageService;
class PlayList;

// The play list as the controller reaches it: the path list and the grid
// `sglist` that shows it (grid row = entry index + 1). FileListGrid behind
// the player panel is the real one.
class PlaybackListPort {
public:
    virtual ~PlaybackListPort() = default;
    virtual PlayList& playList() = 0;
    virtual int AddPlayFile(const QString& path) = 0;
    virtual QString GetListCell(const QString& key, int row) const = 0;
    // The grid's current row (1 when none) and moving it.
    virtual int currentRow() const = 0;
    virtual void setCurrentRow(int row) = 0;
    virtual void repaintList() = 0;
};

// The video display window as the controller uses it. closeWindow() must
// end in displayWindowClosed() on the controller when the window was open,
// as closing the real window does.
class VideoWindowPort {
public:
    virtual ~VideoWindowPort() = default;
    virtual bool isShown() const = 0;
    virtual void closeWindow() = 0;
    // The native window the device draws the picture into.
    virtual quintptr pictureWindow() = 0;
    // A video was opened: store its size, size a hidden window to fit it,
    // set the title, show the window and lay it out.
    virtual void presentVideo(QSize native, const QString& title) = 0;
};

// The transport of the playback page: plays the play-list entry the user
// chose through one media device under the alias "MyMp3", pauses, resumes,
// stops (which always closes the file), steps to the previous or next
// entry, jumps 20 seconds, seeks from the position bar and its knob, and
// keeps the time display up to date with `Timer2` (500 ms, running only
// while playing).
//
// The controller owns the state the player part of the page shows; the page
// (PlayerPanel) mirrors it through the signals and forwards the user's
// actions. Geometry of the bar and knob is the page's fixed design: the bar
// at x 41, 319 pixels wide, a knob 10 pixels wide; knobLeft() is in the
// page's coordinates.
//
// Positions and seek targets are frames: after an open the device works in
// frames. A device that reports a length of 0 or less is not playable: the
// controller says so, closes it and stays not open. The end of a file is
// seen when the position comes within one frame of the length.
//
// Failures of the device are shown with ShowInfo (the application title and
// the information icon); nothing the device answers throws out of an action
// except a reply that is not a number, which play reports as
// "openfiel-No:<stage>, E:<text>" and the other actions pass to the caller
// (the page runs them through guarded()). `Timer2`'s ticks are guarded
// (errors go to the error report) and skipped while a message box is open.
//
// User-interface thread only. Media, messages, errors and the list must
// outlive the controller; the video window may be null.
class PlaybackController final : public QObject, public PlayerPort {
    Q_OBJECT
public:
    enum class State { NotOpen, Stopped, Paused, Playing };
    enum class TimeMode { PlayTime, RemainingTime };
    enum class Door { Closed, Open };

    static constexpr int kBarLeft = 41;
    static constexpr int kBarWidth = 319;
    static constexpr int kKnobWidth = 10;
    static constexpr int kTimer2Interval = 500;
    static constexpr int kDefaultVolume = 23;
    static constexpr int kJumpMs = 20000;
    static QString alias() { return QStringLiteral("MyMp3"); }
    static QString deviceType() { return QStringLiteral("MPEGVideo"); }
    static QString zeroTime() { return QStringLiteral("00:00:00"); }
    static QString zeroMark() { return QStringLiteral("00:00"); }
    // The hint of lblTime, which is also the caption of the chosen item of
    // PopupMenu2.
    static QString timeModeCaption(TimeMode mode);

    PlaybackController(Media& media, MessageService& messages, ErrorReport& errors,
                       PlaybackListPort& list, QObject* parent = nullptr);
    ~PlaybackController() override;

    void setVideoWindow(VideoWindowPort* window) { m_video = window; }
    // The stored "Volume" (0..51); the device plays at (51 - Volume) * 100 / 51 %.
    void setVolume(int volume) { m_volume = volume; }
    int volume() const { return m_volume; }
    // The window passed as callback window with the commands the controller
    // sends itself ("set all audio all on", the CD door).
    void setCallbackWindow(quintptr window) { m_callbackWindow = window; }

    // Runs an action inside a guard that sends an error to the error report;
    // false when it failed.
    bool guarded(const QString& name, const std::function<void()>& action);

    // State shown by the page.
    State state() const { return m_state; }
    int currentIndex() const { return m_current; }
    // For whoever picks the entry itself (the search) and then plays it with
    // PlayBtnClick(false).
    void setCurrentIndex(int index) { m_current = index; }
    bool deviceOpen() const { return m_deviceOpen; }
    // Whether the open device shows a video entry (for the video window).
    bool videoActive() const { return m_deviceOpen && m_openVideo; }
    int lengthMs() const { return m_lengthMs; }
    int lengthFrames() const { return m_lengthFrames; }
    bool dragging() const { return m_dragging; }
    int knobLeft() const { return m_knobLeft; }
    TimeMode timeMode() const { return m_timeMode; }
    QString timeHint() const { return timeModeCaption(m_timeMode); }
    Door door() const { return m_door; }
    QString timeText() const { return m_timeText; }
    // The texts of Label6 to Label11.
    const QStringList& timeMarks() const { return m_marks; }
    // The last answer to "status MyMp3 mode".
    QString modeText() const { return m_modeText; }
    QTimer& Timer2() { return m_timer2; }

    // PlayerPort.
    void setUp() override;
    void RefreshMode() override;
    // Adds the audio and video files among `paths`, taken from the last to
    // the first, and plays the first one added. Other files are skipped.
    void filesDropped(const QStringList& paths) override;

    // Operations.
    void ShowInfo(const QString& text);
    bool OpenCurrentFile();
    bool StartPlay();
    void PausePlay();
    void ResumePlay();
    void StopPlay();
    void CloseMedia();
    void SeekTo(int frame);
    void UpdateTimeMarks();
    void Timer2Timer();

    // User actions. PlayBtnClick(true) plays the grid's current row; other
    // callers play the current entry unchanged (false).
    void PlayBtnClick(bool fromPlayButton);
    void PausebtnClick();
    void StopBtnClick();
    void PrevBtnClick();
    void NextBtnClick();
    void BackBtnClick(); // 20 seconds back
    void StepBtnClick(); // 20 seconds forward
    // x relative to the bar.
    void barMouseDown(Qt::MouseButton button, int x);
    // x relative to the knob.
    void dotMouseDown(Qt::MouseButton button, int x);
    void dotMouseMove(int x);
    void dotMouseUp(Qt::MouseButton button, int x);
    void mnuShowPlaytimeClick(TimeMode mode);
    void EjectBtnClick();
    // The video display window was closed: any open file is closed.
    void displayWindowClosed();
    // Ctrl+Left, Ctrl+Right, Ctrl+Page Up, Ctrl+Page Down; true when the key
    // was one of them.
    bool handleKey(int key, Qt::KeyboardModifiers modifiers) override;

    // The arithmetic, exposed for tests.
    // Nearest integer, halves to even.
    static qint64 roundHalfEven(double value);
    // "hh:mm:ss" with the seconds rounded (59.6 s shows as 60).
    static QString formatTime(qint64 ms);
    // The texts of Label7 to Label11 for a length.
    static QStringList markTexts(qint64 lengthMs);
    static int nextIndex(int current, int count);
    static int previousIndex(int current, int count);
    static int jumpFrames(int lengthMs, int lengthFrames);
    static int volumePercent(int volume);

Q_SIGNALS:
    void stateChanged(PlaybackController::State state);
    void timeTextChanged(const QString& text);
    void timeMarksChanged(const QStringList& marks); // Label6 .. Label11
    void knobMoved(int left);
    void timeModeChanged(PlaybackController::TimeMode mode, const QString& hint);

private:
    void setState(State state);
    void setTimeText(const QString& text);
    void setMarks(const QStringList& marks);
    void setKnob(int left);
    void resetTimeDisplay();
    void closeVideoWindow();
    void jump(bool forward);
    // After a seek: back to playing or paused as before, unless the refresh
    // saw the end and closed the file.
    void resumeAfterSeek(State before);
    bool showReply(const QString& reply);

    Media& m_media;
    MessageService& m_messages;
    ErrorReport& m_errors;
    PlaybackListPort& m_list;
    VideoWindowPort* m_video = nullptr;
    QTimer m_timer2;

    State m_state = State::NotOpen;
    int m_current = -1;
    bool m_deviceOpen = false;
    bool m_openVideo = false;
    int m_lengthMs = 0;
    int m_lengthFrames = 0;
    bool m_dragging = false;
    int m_grabX = 0;
    State m_dragSavedState = State::NotOpen;
    int m_knobLeft = kBarLeft;
    TimeMode m_timeMode = TimeMode::PlayTime;
    Door m_door = Door::Closed;
    QString m_timeText = zeroTime();
    QStringList m_marks;
    QString m_modeText;
    int m_volume = kDefaultVolume;
    quintptr m_callbackWindow = 0;
    int m_messageDepth = 0;
};
