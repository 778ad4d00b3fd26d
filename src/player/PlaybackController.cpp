#include "PlaybackController.h"

#include "ErrorReport.h"
#include "GuardedTick.h"
#include "MessageService.h"
#include "PlayList.h"
#include "media.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <exception>

namespace {

const QString kOk = QStringLiteral("ok");
const QString kFullName = QStringLiteral("全名");

QString pad2(qint64 n) {
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

QStringList zeroMarks() {
    return QStringList(6, PlaybackController::zeroMark());
}

} // namespace

QString PlaybackController::timeModeCaption(TimeMode mode) {
    return mode == TimeMode::PlayTime ? QStringLiteral("播放时间") : QStringLiteral("剩余时间");
}

PlaybackController::PlaybackController(Media& media, MessageService& messages, ErrorReport& errors,
                                       PlaybackListPort& list, QObject* parent)
    : QObject(parent), m_media(media), m_messages(messages), m_errors(errors), m_list(list),
      m_marks(zeroMarks()) {
    m_timer2.setObjectName(QStringLiteral("Timer2"));
    m_timer2.setInterval(kTimer2Interval);
    // The tick is guarded but does not restart the timer: the refresh stops
    // it itself at the end of a file. While a message box is open (its event
    // loop runs timers) the tick waits, so it never runs inside an action.
    connect(&m_timer2, &QTimer::timeout, this, [this] {
        if (m_messageDepth > 0)
            return;
        runGuarded(QStringLiteral("Timer2Timer"), m_errors, [this] { Timer2Timer(); });
    });
}

PlaybackController::~PlaybackController() = default;

bool PlaybackController::guarded(const QString& name, const std::function<void()>& action) {
    return runGuarded(name, m_errors, action);
}

// ------------------------------------------------------------ arithmetic

qint64 PlaybackController::roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    auto result = static_cast<qint64>(lower);
    if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0))
        ++result;
    return result;
}

QString PlaybackController::formatTime(qint64 ms) {
    const qint64 v = std::max<qint64>(ms, 0);
    const qint64 hours = v / 3600000;
    const qint64 minutes = (v - hours * 3600000) / 60000;
    const qint64 seconds =
        roundHalfEven(static_cast<double>(v - hours * 3600000 - minutes * 60000) / 1000.0);
    return pad2(hours) + QLatin1Char(':') + pad2(minutes) + QLatin1Char(':') + pad2(seconds);
}

QStringList PlaybackController::markTexts(qint64 lengthMs) {
    QStringList marks;
    for (int i = 1; i <= 5; ++i) {
        const qint64 x = lengthMs * i / 5;
        const qint64 minutes = x / 60000;
        const qint64 seconds = (x - minutes * 60000) / 1000;
        marks << pad2(minutes) + QLatin1Char(':') + pad2(seconds);
    }
    return marks;
}

int PlaybackController::nextIndex(int current, int count) {
    if (current == -1)
        return 0;
    return current < count - 1 ? current + 1 : 0;
}

int PlaybackController::previousIndex(int current, int count) {
    if (current == -1)
        return 0;
    if (current == 0 || current - 1 > count - 1)
        return count - 1;
    return current - 1;
}

int PlaybackController::jumpFrames(int lengthMs, int lengthFrames) {
    if (lengthMs <= 0)
        return 0;
    return static_cast<int>(roundHalfEven(static_cast<double>(kJumpMs) / lengthMs * lengthFrames));
}

int PlaybackController::volumePercent(int volume) {
    return (51 - volume) * 100 / 51;
}

// ------------------------------------------------------------ display state

void PlaybackController::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void PlaybackController::setTimeText(const QString& text) {
    if (m_timeText == text)
        return;
    m_timeText = text;
    Q_EMIT timeTextChanged(text);
}

void PlaybackController::setMarks(const QStringList& marks) {
    if (m_marks == marks)
        return;
    m_marks = marks;
    Q_EMIT timeMarksChanged(marks);
}

void PlaybackController::setKnob(int left) {
    if (m_knobLeft == left)
        return;
    m_knobLeft = left;
    Q_EMIT knobMoved(left);
}

void PlaybackController::resetTimeDisplay() {
    setTimeText(zeroTime());
    setMarks(zeroMarks());
}

void PlaybackController::closeVideoWindow() {
    if (m_video && m_video->isShown())
        m_video->closeWindow();
}

bool PlaybackController::showReply(const QString& reply) {
    if (reply == kOk)
        return true;
    ShowInfo(reply);
    return false;
}

// ------------------------------------------------------------ PlayerPort

void PlaybackController::setUp() {
    m_timer2.stop();
    setState(State::NotOpen);
    m_current = -1;
    m_deviceOpen = false;
    m_openVideo = false;
    m_dragging = false;
    m_door = Door::Closed;
    setKnob(kBarLeft);
    mnuShowPlaytimeClick(TimeMode::PlayTime);
}

void PlaybackController::RefreshMode() {
    if (m_media.send(QStringLiteral("status ") + alias() + QStringLiteral(" mode"), true) != 0) {
        m_modeText.clear();
        resetTimeDisplay();
        return;
    }
    m_modeText = m_media.reply();
}

void PlaybackController::filesDropped(const QStringList& paths) {
    int first = -1;
    for (auto it = paths.crbegin(); it != paths.crend(); ++it) {
        if (!PlayList::isMediaFile(*it))
            continue;
        const int index = m_list.AddPlayFile(*it);
        if (first < 0)
            first = index;
    }
    if (first < 0)
        return;
    PlayList& list = m_list.playList();
    list.setMarked(first, true);
    list.setCurrentPosition(first);
    m_current = first;
    PlayBtnClick(false);
}

// ------------------------------------------------------------ operations

void PlaybackController::ShowInfo(const QString& text) {
    ++m_messageDepth;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{m_messageDepth};
    m_messages.show(text, MessageService::Icon::Information);
}

bool PlaybackController::OpenCurrentFile() {
    const PlayList& list = m_list.playList();
    const QString path = list.EntryPath(m_current);
    const bool video = list.IsVideoEntry(m_current);
    QString reply;
    if (video && m_video) {
        reply = m_media.MciOpenInWindow(m_video->pictureWindow(), alias(), path, deviceType());
    } else {
        closeVideoWindow();
        reply = m_media.MciOpen(alias(), path, deviceType());
    }
    if (!showReply(reply))
        return false;

    m_deviceOpen = true;
    m_openVideo = video && m_video;
    RefreshMode();
    m_lengthMs = m_media.MciLengthMs(alias());
    m_lengthFrames = m_media.MciLengthFrames(alias());
    if (m_lengthMs <= 0 || m_lengthFrames <= 0) {
        // Every position would divide by the length: such a file is not
        // playable here.
        ShowInfo(QStringLiteral("无法播放: 设备报告的长度无效 (%1 毫秒, %2 帧)\n\n%3")
                     .arg(m_lengthMs)
                     .arg(m_lengthFrames)
                     .arg(path));
        CloseMedia();
        return false;
    }

    if (m_openVideo) {
        const int cx = m_media.MciWhere(alias(), QStringLiteral("Cx"));
        const int cy = m_media.MciWhere(alias(), QStringLiteral("Cy"));
        m_video->presentVideo(QSize(cx, cy), m_list.GetListCell(kFullName, m_current + 1));
    }
    setState(State::Stopped);
    // A volume out of range is refused by the command layer; the device then
    // keeps its own.
    m_media.MciSetVolume(alias(), volumePercent(m_volume));
    return true;
}

bool PlaybackController::StartPlay() {
    if (!showReply(m_media.MciPlay(alias())))
        return false;
    m_timer2.start();
    m_media.send(QStringLiteral("set all audio all on"), false, m_callbackWindow);
    if (m_deviceOpen)
        showReply(m_media.MciSetSource(alias(), QStringLiteral("stereo")));
    setState(State::Playing);
    RefreshMode();
    return true;
}

void PlaybackController::PausePlay() {
    showReply(m_media.MciPause(alias()));
    m_timer2.stop();
    RefreshMode();
    setState(State::Paused);
}

void PlaybackController::ResumePlay() {
    if (!showReply(m_media.MciResume(alias())))
        return;
    m_timer2.start();
    RefreshMode();
    setState(State::Playing);
}

void PlaybackController::StopPlay() {
    showReply(m_media.MciStop(alias()));
    m_timer2.stop();
    RefreshMode();
    setState(State::Stopped);
}

void PlaybackController::CloseMedia() {
    if (!m_deviceOpen)
        return;
    showReply(m_media.MciClose(alias()));
    m_timer2.stop();
    m_deviceOpen = false;
    m_openVideo = false;
    RefreshMode();
    // A drag cannot outlive the file it seeks in.
    m_dragging = false;
    setKnob(kBarLeft);
    setState(State::NotOpen);
    m_list.repaintList();
}

void PlaybackController::SeekTo(int frame) {
    showReply(m_media.MciSeek(alias(), frame));
    RefreshMode();
}

void PlaybackController::UpdateTimeMarks() {
    QStringList marks = m_marks;
    const QStringList texts = markTexts(m_lengthMs);
    for (int i = 0; i < texts.size(); ++i)
        marks[i + 1] = texts[i];
    setMarks(marks);
}

void PlaybackController::Timer2Timer() {
    if (m_state == State::NotOpen || m_lengthFrames <= 0)
        return;
    const int position = m_media.MciPosition(alias());
    if (position < 0)
        return; // the device did not answer; keep what is shown
    const qint64 p = std::min(position, m_lengthFrames);
    const qint64 t = roundHalfEven(static_cast<double>(p) / m_lengthFrames * m_lengthMs);
    if (!m_dragging)
        setKnob(kBarLeft +
                static_cast<int>(roundHalfEven(static_cast<double>((kBarWidth - kKnobWidth) * p) /
                                               m_lengthFrames)));
    setTimeText(formatTime(m_timeMode == TimeMode::PlayTime ? t : m_lengthMs - t));
    // A device may stop one frame short of its reported length.
    if (p >= m_lengthFrames - 1) {
        StopPlay();
        CloseMedia();
    }
}

// ------------------------------------------------------------ user actions

void PlaybackController::PlayBtnClick(bool fromPlayButton) {
    if (m_list.playList().isEmpty())
        return;
    m_timer2.stop();
    // Also when a failed open left a device open without a state.
    CloseMedia();
    if (fromPlayButton)
        m_current = m_list.currentRow() - 1;
    if (m_current < 0 || m_current >= m_list.playList().count())
        return;

    const QString file = m_list.GetListCell(kFullName, m_current + 1);
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        ShowInfo(QStringLiteral("文件未找到:") + QStringLiteral("\n\n") +
                 m_list.playList().entry(m_current));
        closeVideoWindow();
        return;
    }

    QString stage;
    try {
        stage = QStringLiteral("0:open error");
        if (!OpenCurrentFile())
            return;
        stage = QStringLiteral("1:updateTimerBar error");
        UpdateTimeMarks();
        stage = QStringLiteral("2:play error");
        if (!StartPlay())
            return;
        stage = QStringLiteral("3");
        m_list.repaintList();
        setState(State::Playing);
        stage = QStringLiteral("4");
        m_list.setCurrentRow(m_current + 1);
    } catch (const std::exception& e) {
        ShowInfo(QStringLiteral("openfiel-No:") + stage + QStringLiteral(", ") +
                 QStringLiteral("E:") + QString::fromUtf8(e.what()));
        // A file whose open failed half-way is not left open.
        if (m_state == State::NotOpen)
            CloseMedia();
    }
}

void PlaybackController::PausebtnClick() {
    if (m_state == State::Playing)
        PausePlay();
    else if (m_state == State::Paused)
        ResumePlay();
}

void PlaybackController::StopBtnClick() {
    if (m_state == State::Stopped || m_state == State::NotOpen)
        return;
    StopPlay();
    Timer2Timer();
    CloseMedia();
    closeVideoWindow();
}

void PlaybackController::PrevBtnClick() {
    const int count = m_list.playList().count();
    if (count == 0)
        return;
    m_current = previousIndex(m_current, count);
    PlayBtnClick(false);
}

void PlaybackController::NextBtnClick() {
    const int count = m_list.playList().count();
    if (count == 0)
        return;
    m_current = nextIndex(m_current, count);
    PlayBtnClick(false);
}

void PlaybackController::BackBtnClick() {
    jump(false);
}

void PlaybackController::StepBtnClick() {
    jump(true);
}

void PlaybackController::jump(bool forward) {
    if (m_state == State::NotOpen)
        return;
    const State before = m_state;
    m_timer2.stop();
    const qint64 p = std::max(m_media.MciPosition(alias()), 0);
    const qint64 d = jumpFrames(m_lengthMs, m_lengthFrames);
    qint64 target = 0;
    if (forward)
        target = p + d >= m_lengthFrames ? m_lengthFrames : p + d;
    else
        target = p - d < 0 ? 1 : p - d;
    SeekTo(static_cast<int>(target));
    Timer2Timer();
    resumeAfterSeek(before);
}

void PlaybackController::resumeAfterSeek(State before) {
    if (m_state == State::NotOpen)
        return;
    if (before == State::Playing) {
        StartPlay();
    } else if (before == State::Paused) {
        if (StartPlay())
            PausePlay();
    }
}

void PlaybackController::barMouseDown(Qt::MouseButton button, int x) {
    constexpr int h = kKnobWidth / 2;
    if (m_state == State::NotOpen || button != Qt::LeftButton || x < h || x > kBarWidth - h)
        return;
    const State before = m_state;
    m_timer2.stop();
    const qint64 target = static_cast<qint64>(x - h) * m_lengthFrames / (kBarWidth - kKnobWidth);
    SeekTo(static_cast<int>(target));
    Timer2Timer();
    resumeAfterSeek(before);
}

void PlaybackController::dotMouseDown(Qt::MouseButton button, int x) {
    if (button != Qt::LeftButton || m_dragging || m_state == State::NotOpen)
        return;
    m_dragSavedState = m_state;
    if (m_dragSavedState == State::Playing)
        m_timer2.stop();
    setState(State::Stopped);
    m_dragging = true;
    m_grabX = x;
}

void PlaybackController::dotMouseMove(int x) {
    if (!m_dragging || m_state != State::Stopped)
        return;
    const int left = m_knobLeft + x - m_grabX;
    if (left >= kBarLeft && left < kBarLeft + kBarWidth - kKnobWidth)
        setKnob(left);
}

void PlaybackController::dotMouseUp(Qt::MouseButton button, int /*x*/) {
    if (button != Qt::LeftButton || !m_dragging || m_state != State::Stopped)
        return;
    m_dragging = false;
    const qint64 target =
        static_cast<qint64>(m_knobLeft - kBarLeft) * m_lengthFrames / (kBarWidth - kKnobWidth);
    SeekTo(static_cast<int>(target));
    if (m_dragSavedState == State::Playing) {
        StartPlay();
    } else if (m_dragSavedState == State::Paused) {
        if (StartPlay())
            PausePlay();
    }
}

void PlaybackController::mnuShowPlaytimeClick(TimeMode mode) {
    m_timeMode = mode;
    Q_EMIT timeModeChanged(mode, timeModeCaption(mode));
}

void PlaybackController::EjectBtnClick() {
    const bool open = m_door == Door::Closed;
    m_media.send(open ? QStringLiteral("set cdaudio door open")
                      : QStringLiteral("set cdaudio door closed"),
                 false, m_callbackWindow);
    m_door = open ? Door::Open : Door::Closed;
}

void PlaybackController::displayWindowClosed() {
    if (m_state != State::NotOpen || m_deviceOpen)
        CloseMedia();
}

bool PlaybackController::handleKey(int key, Qt::KeyboardModifiers modifiers) {
    if (!modifiers.testFlag(Qt::ControlModifier))
        return false;
    switch (key) {
    case Qt::Key_Left:
        PrevBtnClick();
        return true;
    case Qt::Key_Right:
        NextBtnClick();
        return true;
    case Qt::Key_PageUp:
        BackBtnClick();
        return true;
    case Qt::Key_PageDown:
        StepBtnClick();
        return true;
    default:
        return false;
    }
}
