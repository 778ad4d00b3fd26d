#include "MciService.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QObject>
#include <QRect>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <mpv/client.h>

namespace {

// Frames per second of a file that has no video.
constexpr double kAudioFrameRate = 25.0;

QString lower(const QString& word) {
    return word.toLower();
}

bool isWord(const QString& word, const char* expected) {
    return word.compare(QLatin1String(expected), Qt::CaseInsensitive) == 0;
}

// Splits a command into words at blanks; a word that starts with a double
// quote runs to the next double quote, which may enclose blanks. False for
// a quote that is not closed.
bool splitWords(const QString& command, QStringList& words) {
    int i = 0;
    const int n = static_cast<int>(command.size());
    while (i < n) {
        while (i < n && command.at(i).isSpace())
            ++i;
        if (i >= n)
            break;
        if (command.at(i) == QLatin1Char('"')) {
            const auto end = command.indexOf(QLatin1Char('"'), i + 1);
            if (end < 0)
                return false;
            words << command.mid(i + 1, end - i - 1);
            i = static_cast<int>(end) + 1;
        } else {
            const int start = i;
            while (i < n && !command.at(i).isSpace())
                ++i;
            words << command.mid(start, i - start);
        }
    }
    return true;
}

std::optional<qint64> toInteger(const QString& word) {
    bool ok = false;
    const qint64 value = word.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

MciServiceOptions MciServiceOptions::fromEnvironment() {
    MciServiceOptions options;
    if (!qEnvironmentVariableIsEmpty("KELVOR_MCI_NULL_OUTPUT")) {
        options.videoOutput = "null";
        options.audioOutput = "null";
    }
    return options;
}

// One command as sent: the verb, the device name and the words after it
// ("wait" and "notify" removed).
struct MciService::Command {
    QString verb;       // lower case
    QString device;     // as written
    QStringList args;   // as written
    QStringList lowers; // args in lower case
};

// One open device: a libmpv player with one file loaded. Its QObject is the
// target of the posts that libmpv's wakeup callback makes; a post that
// arrives after the device was closed is dropped with it.
class MciService::Device final : public QObject {
public:
    enum class Mode { Stopped, Playing, Paused };

    explicit Device(const MciServiceOptions& options) : m_options(options) {}

    ~Device() override {
        if (!m_mpv)
            return;
        // After this returns libmpv no longer calls into this object.
        mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
        mpv_terminate_destroy(m_mpv);
    }

    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    int load(const QString& path, std::optional<qint64> parentWindow) {
        // libmpv parses numbers with the C library; it refuses to start
        // under a locale with a decimal comma.
        std::setlocale(LC_NUMERIC, "C");
        m_mpv = mpv_create();
        if (!m_mpv)
            return MciErrPlayerFailure;
        if (!m_options.videoOutput.isEmpty())
            mpv_set_option_string(m_mpv, "vo", m_options.videoOutput.constData());
        else if (parentWindow)
            // Only these outputs draw into a given window; on a display
            // without OpenGL mpv would otherwise fall back to one that opens
            // a window of its own.
            mpv_set_option_string(m_mpv, "vo", "gpu,xv,x11");
        if (!m_options.audioOutput.isEmpty())
            mpv_set_option_string(m_mpv, "ao", m_options.audioOutput.constData());
        // Opened stopped at the start; at the end the last picture stays and
        // the player waits, as a media device does.
        mpv_set_option_string(m_mpv, "pause", "yes");
        mpv_set_option_string(m_mpv, "keep-open", "yes");
        mpv_set_option_string(m_mpv, "idle", "yes");
        mpv_set_option_string(m_mpv, "hr-seek", "yes");
        // Cover pictures of audio files would open a window of their own.
        mpv_set_option_string(m_mpv, "audio-display", "no");
        // Without a sound device a file still plays (in silence) rather
        // than stand still.
        mpv_set_option_string(m_mpv, "audio-fallback-to-null", "yes");
        mpv_set_option_string(m_mpv, "force-window", "no");
        mpv_set_option_string(m_mpv, "osd-level", "0");
        mpv_set_option_string(m_mpv, "input-default-bindings", "no");
        mpv_set_option_string(m_mpv, "input-vo-keyboard", "no");
        mpv_set_option_string(m_mpv, "input-cursor", "no");
        mpv_set_option_string(m_mpv, "ytdl", "no");
        mpv_set_option_string(m_mpv, "load-stats-overlay", "no");
        mpv_set_option_string(m_mpv, "load-osd-console", "no");
        mpv_set_option_string(m_mpv, "load-auto-profiles", "no");
        if (parentWindow) {
            int64_t wid = *parentWindow;
            mpv_set_option(m_mpv, "wid", MPV_FORMAT_INT64, &wid);
        }
        // Only fatal messages: libmpv reports each output it probes and
        // passes over as an error.
        mpv_request_log_messages(m_mpv, "fatal");
        if (mpv_initialize(m_mpv) < 0)
            return MciErrPlayerFailure;
        mpv_set_wakeup_callback(m_mpv, &Device::wakeup, this);

        const QByteArray file = path.toUtf8();
        const char* load[] = {"loadfile", file.constData(), nullptr};
        if (mpv_command(m_mpv, load) < 0)
            return MciErrNotPlayable;
        bool loaded = false;
        const bool settled = waitFor(
            [&](const mpv_event& e) {
                loaded = e.event_id == MPV_EVENT_FILE_LOADED;
                return loaded || e.event_id == MPV_EVENT_END_FILE ||
                       e.event_id == MPV_EVENT_SHUTDOWN;
            },
            m_options.loadTimeoutMs);
        if (!settled || !loaded)
            return MciErrNotPlayable;

        m_duration = std::max(0.0, doubleProperty("duration").value_or(0.0));
        const std::optional<QString> albumArt = stringProperty("current-tracks/video/albumart");
        m_hasVideo = albumArt && *albumArt != QLatin1String("yes");
        if (m_hasVideo) {
            const double fps = doubleProperty("container-fps").value_or(0.0);
            m_frameRate = fps > 0 ? fps : kAudioFrameRate;
            m_width = static_cast<int>(intProperty("width").value_or(0));
            m_height = static_cast<int>(intProperty("height").value_or(0));
        }
        return MciOk;
    }

    // Length and position in the current time format.
    qint64 length() const { return toUnits(m_duration); }
    qint64 position() const { return toUnits(positionSeconds()); }
    qint64 unitsOf(double seconds) const { return toUnits(seconds); }
    double secondsOf(qint64 units) const {
        return m_frames ? static_cast<double>(units) / m_frameRate
                        : static_cast<double>(units) / 1000.0;
    }
    double duration() const { return m_duration; }

    Mode mode() {
        if (m_mode == Mode::Playing && !m_held && eofReached())
            m_mode = Mode::Stopped;
        return m_mode;
    }

    int play() {
        // A device parked at its end has nothing left to play.
        if (m_held && *m_held >= m_duration) {
            m_mode = Mode::Stopped;
            return MciOk;
        }
        m_held.reset();
        m_mode = Mode::Playing;
        return setFlag("pause", false);
    }
    int pause() {
        if (mode() == Mode::Playing) {
            m_mode = Mode::Paused;
            return setFlag("pause", true);
        }
        return MciOk;
    }
    int resume() {
        if (m_mode == Mode::Paused) {
            m_mode = Mode::Playing;
            return setFlag("pause", false);
        }
        return MciOk;
    }
    int stop() {
        m_mode = Mode::Stopped;
        return setFlag("pause", true);
    }

    // Parks the device at `seconds`, stopped, and waits until the player
    // shows that place. Until it plays again the device reports exactly
    // that place, even when the player settles on the frame before it.
    int seek(double seconds) {
        drainEvents();
        const int rc = stop();
        if (rc != MciOk)
            return rc;
        m_held = seconds;
        const QByteArray target = QByteArray::number(seconds, 'f', 6);
        const char* cmd[] = {"seek", target.constData(), "absolute+exact", nullptr};
        if (mpv_command(m_mpv, cmd) < 0)
            return MciErrPlayerFailure;
        bool seen = false;
        waitFor(
            [&](const mpv_event& e) {
                seen = seen || e.event_id == MPV_EVENT_SEEK;
                return (seen && e.event_id == MPV_EVENT_PLAYBACK_RESTART) ||
                       e.event_id == MPV_EVENT_END_FILE;
            },
            m_options.seekTimeoutMs);
        return MciOk;
    }

    void setFramesFormat(bool frames) { m_frames = frames; }
    bool framesFormat() const { return m_frames; }

    int setMute(bool mute) { return setFlag("mute", mute); }

    int setVolume(int volume) {
        double percent = volume / 10.0;
        if (mpv_set_property(m_mpv, "volume", MPV_FORMAT_DOUBLE, &percent) < 0)
            return MciErrPlayerFailure;
        m_volume = volume;
        return MciOk;
    }
    int volume() const { return m_volume; }

    // "stereo", "left", "right" or "average", through a pan filter. A file
    // with fewer than two channels has nothing to pan.
    int setSource(const QString& source) {
        // The player sets the source at every start; the same source again
        // must not rebuild the audio chain under a playing file.
        if (source == m_source)
            return MciOk;
        const char* filter = "";
        if (intProperty("audio-params/channel-count").value_or(0) >= 2) {
            if (source == QLatin1String("left"))
                filter = "lavfi=[pan=stereo|c0=c0|c1=c0]";
            else if (source == QLatin1String("right"))
                filter = "lavfi=[pan=stereo|c0=c1|c1=c1]";
            else if (source == QLatin1String("average"))
                filter = "lavfi=[pan=stereo|c0=0.5*c0+0.5*c1|c1=0.5*c0+0.5*c1]";
        }
        if (mpv_set_property_string(m_mpv, "af", filter) < 0)
            return MciErrPlayerFailure;
        m_source = source;
        return MciOk;
    }

    bool hasVideo() const { return m_hasVideo; }
    QRect nativeRect() const { return m_hasVideo ? QRect(0, 0, m_width, m_height) : QRect(); }
    std::optional<QRect> window;
    std::optional<QRect> destination;

    void drainEvents() {
        if (!m_mpv)
            return;
        for (;;) {
            const mpv_event* e = mpv_wait_event(m_mpv, 0);
            if (e->event_id == MPV_EVENT_NONE)
                return;
            note(*e);
        }
    }

private:
    static void wakeup(void* self) {
        auto* device = static_cast<Device*>(self);
        QMetaObject::invokeMethod(
            device, [device] { device->drainEvents(); }, Qt::QueuedConnection);
    }

    // What every event is checked for, whoever drains it.
    static void note(const mpv_event& e) {
        if (e.event_id == MPV_EVENT_LOG_MESSAGE) {
            const auto* message = static_cast<const mpv_event_log_message*>(e.data);
            qWarning("mpv %s: %s", message->prefix,
                     QByteArray(message->text).trimmed().constData());
        }
    }

    // Processes events until `done` accepts one or the time runs out.
    bool waitFor(const std::function<bool(const mpv_event&)>& done, int timeoutMs) {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            const qint64 left = deadline.remainingTime();
            if (left <= 0)
                return false;
            const mpv_event* e = mpv_wait_event(m_mpv, static_cast<double>(left) / 1000.0);
            if (e->event_id == MPV_EVENT_NONE)
                continue;
            note(*e);
            if (done(*e))
                return true;
        }
    }

    double positionSeconds() const {
        if (m_held && m_mode != Mode::Playing)
            return *m_held;
        if (eofReached())
            return m_duration;
        const double t = doubleProperty("time-pos").value_or(m_held.value_or(0.0));
        return std::clamp(t, 0.0, m_duration);
    }

    qint64 toUnits(double seconds) const {
        return std::llround(seconds * (m_frames ? m_frameRate : 1000.0));
    }

    bool eofReached() const {
        int flag = 0;
        return mpv_get_property(m_mpv, "eof-reached", MPV_FORMAT_FLAG, &flag) >= 0 && flag;
    }

    int setFlag(const char* name, bool value) {
        int flag = value ? 1 : 0;
        return mpv_set_property(m_mpv, name, MPV_FORMAT_FLAG, &flag) < 0 ? MciErrPlayerFailure
                                                                         : MciOk;
    }

    std::optional<double> doubleProperty(const char* name) const {
        double value = 0;
        if (mpv_get_property(m_mpv, name, MPV_FORMAT_DOUBLE, &value) < 0)
            return std::nullopt;
        return value;
    }
    std::optional<qint64> intProperty(const char* name) const {
        int64_t value = 0;
        if (mpv_get_property(m_mpv, name, MPV_FORMAT_INT64, &value) < 0)
            return std::nullopt;
        return value;
    }
    std::optional<QString> stringProperty(const char* name) const {
        char* value = mpv_get_property_string(m_mpv, name);
        if (!value)
            return std::nullopt;
        QString text = QString::fromUtf8(value);
        mpv_free(value);
        return text;
    }

    const MciServiceOptions& m_options;
    mpv_handle* m_mpv = nullptr;
    double m_duration = 0;
    double m_frameRate = kAudioFrameRate;
    bool m_hasVideo = false;
    int m_width = 0;
    int m_height = 0;
    bool m_frames = false;
    Mode m_mode = Mode::Stopped;
    std::optional<double> m_held; // seconds, set by a seek until the next play
    int m_volume = 1000;
    QString m_source = QStringLiteral("stereo");
};

MciService::MciService() : MciService(MciServiceOptions{}) {}

MciService::MciService(MciServiceOptions options) : m_options(std::move(options)) {}

MciService::~MciService() = default;

int MciService::mciSendStringA(const QString& command, char* reply, int replySize,
                               quintptr callbackWindow) {
    Q_UNUSED(callbackWindow); // no completion notices are sent
    if (reply && replySize > 0)
        reply[0] = '\0';

    QStringList words;
    if (!splitWords(command, words))
        return MciErrBadParameter;
    if (words.isEmpty())
        return MciErrUnknownCommand;
    Command c;
    c.verb = lower(words.at(0));
    if (words.size() > 1)
        c.device = words.at(1);
    for (int i = 2; i < words.size(); ++i) {
        if (isWord(words.at(i), "wait") || isWord(words.at(i), "notify"))
            continue;
        c.args << words.at(i);
        c.lowers << lower(words.at(i));
    }

    QString text;
    const int rc = execute(c, text);
    if (rc == MciOk)
        copyReply(text, reply, replySize);
    return rc;
}

int MciService::execute(Command& c, QString& reply) {
    static const QStringList verbs = {
        QStringLiteral("open"),   QStringLiteral("play"), QStringLiteral("pause"),
        QStringLiteral("resume"), QStringLiteral("stop"), QStringLiteral("close"),
        QStringLiteral("seek"),   QStringLiteral("set"),  QStringLiteral("status"),
        QStringLiteral("where"),  QStringLiteral("put"),  QStringLiteral("setaudio"),
    };
    if (!verbs.contains(c.verb))
        return MciErrUnknownCommand;
    if (c.device.isEmpty())
        return MciErrBadParameter;
    if (c.verb == QLatin1String("open"))
        return open(c);

    if (Device* d = find(c.device))
        return deviceCommand(*d, c, reply);
    if (c.verb == QLatin1String("set") && isWord(c.device, "cdaudio"))
        return doorCommand(c);
    if (isWord(c.device, "all")) {
        if (c.verb == QLatin1String("status") || c.verb == QLatin1String("where") ||
            c.verb == QLatin1String("put"))
            return MciErrCannotUseAll;
        if (c.verb == QLatin1String("close")) {
            if (!c.args.isEmpty())
                return MciErrBadParameter;
            m_devices.clear();
            return MciOk;
        }
        int result = MciOk;
        for (auto& [alias, device] : m_devices) {
            QString ignored;
            const int rc = deviceCommand(*device, c, ignored);
            if (result == MciOk)
                result = rc;
        }
        return result;
    }
    return MciErrDeviceNotOpen;
}

int MciService::open(Command& c) {
    std::optional<qint64> parent;
    QString alias = c.device;
    for (int i = 0; i < c.args.size(); ++i) {
        const QString& word = c.lowers.at(i);
        if (word == QLatin1String("shareable"))
            continue;
        if (i + 1 >= c.args.size())
            return MciErrBadParameter;
        const QString& value = c.args.at(++i);
        if (word == QLatin1String("type")) {
            if (!isWord(value, "mpegvideo"))
                return MciErrUnknownDeviceType;
        } else if (word == QLatin1String("alias")) {
            alias = value;
        } else if (word == QLatin1String("parent")) {
            bool ok = false;
            const qulonglong handle = value.toULongLong(&ok, 10);
            if (!ok)
                return MciErrBadParameter;
            parent = static_cast<qint64>(handle);
        } else if (word == QLatin1String("style")) {
            // Only the child-window style is ever asked for, and the video
            // is always drawn inside the parent.
            if (!toInteger(value))
                return MciErrBadParameter;
        } else {
            return MciErrBadParameter;
        }
    }
    if (find(alias) || isWord(alias, "all"))
        return MciErrDuplicateAlias;
    const QFileInfo file(c.device);
    if (!file.isFile())
        return MciErrFileNotFound;

    auto device = std::make_unique<Device>(m_options);
    const int rc = device->load(file.absoluteFilePath(), parent);
    if (rc != MciOk)
        return rc;
    m_devices.emplace(lower(alias), std::move(device));
    return MciOk;
}

int MciService::doorCommand(Command& c) {
    if (c.lowers.size() != 2 || c.lowers.at(0) != QLatin1String("door"))
        return MciErrBadParameter;
    unsigned long request = 0;
    if (c.lowers.at(1) == QLatin1String("open"))
        request = CDROMEJECT;
    else if (c.lowers.at(1) == QLatin1String("closed"))
        request = CDROMCLOSETRAY;
    else
        return MciErrBadParameter;
    const int fd = ::open(QFile::encodeName(m_options.cdDevice).constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return MciErrNoCdDrive;
    const int rc = ::ioctl(fd, request, 0);
    ::close(fd);
    return rc == 0 ? MciOk : MciErrNoCdDrive;
}

int MciService::deviceCommand(Device& d, Command& c, QString& reply) {
    const QStringList& a = c.lowers;
    const auto is = [&](std::initializer_list<const char*> expected) {
        if (a.size() != static_cast<qsizetype>(expected.size()))
            return false;
        int i = 0;
        for (const char* word : expected)
            if (a.at(i++) != QLatin1String(word))
                return false;
        return true;
    };
    // A position in the current time format; start and end by name.
    const auto target = [&](const QString& word, int& rc) -> std::optional<double> {
        qint64 units = 0;
        if (word == QLatin1String("start")) {
            units = 0;
        } else if (word == QLatin1String("end")) {
            return d.duration();
        } else if (auto n = toInteger(word)) {
            units = *n;
        } else {
            rc = MciErrBadParameter;
            return std::nullopt;
        }
        if (units < 0 || units > d.length()) {
            rc = MciErrOutOfRange;
            return std::nullopt;
        }
        return units == d.length() ? d.duration() : d.secondsOf(units);
    };

    const QString& verb = c.verb;
    if (verb == QLatin1String("play")) {
        if (a.isEmpty())
            return d.play();
        if (a.size() == 2 && a.at(0) == QLatin1String("from")) {
            int rc = MciOk;
            const auto seconds = target(a.at(1), rc);
            if (!seconds)
                return rc;
            rc = d.seek(*seconds);
            return rc == MciOk ? d.play() : rc;
        }
        return MciErrBadParameter;
    }
    if (verb == QLatin1String("pause") || verb == QLatin1String("resume") ||
        verb == QLatin1String("stop") || verb == QLatin1String("close")) {
        if (!a.isEmpty())
            return MciErrBadParameter;
        if (verb == QLatin1String("pause"))
            return d.pause();
        if (verb == QLatin1String("resume"))
            return d.resume();
        if (verb == QLatin1String("stop"))
            return d.stop();
        for (auto it = m_devices.begin(); it != m_devices.end(); ++it) {
            if (it->second.get() == &d) {
                m_devices.erase(it);
                break;
            }
        }
        return MciOk;
    }
    if (verb == QLatin1String("seek")) {
        if (a.size() != 2 || a.at(0) != QLatin1String("to"))
            return MciErrBadParameter;
        int rc = MciOk;
        const auto seconds = target(a.at(1), rc);
        return seconds ? d.seek(*seconds) : rc;
    }
    if (verb == QLatin1String("set")) {
        if (is({"time", "format", "milliseconds"}) || is({"time", "format", "ms"})) {
            d.setFramesFormat(false);
            return MciOk;
        }
        if (is({"time", "format", "frames"})) {
            d.setFramesFormat(true);
            return MciOk;
        }
        if (is({"audio", "all", "on"}))
            return d.setMute(false);
        if (is({"audio", "all", "off"}))
            return d.setMute(true);
        return MciErrBadParameter;
    }
    if (verb == QLatin1String("status")) {
        if (is({"length"}))
            reply = QString::number(d.length());
        else if (is({"position"}))
            reply = QString::number(d.position());
        else if (is({"mode"})) {
            switch (d.mode()) {
            case Device::Mode::Playing:
                reply = QStringLiteral("playing");
                break;
            case Device::Mode::Paused:
                reply = QStringLiteral("paused");
                break;
            case Device::Mode::Stopped:
                reply = QStringLiteral("stopped");
                break;
            }
        } else if (is({"time", "format"}))
            reply = d.framesFormat() ? QStringLiteral("frames") : QStringLiteral("milliseconds");
        else if (is({"ready"}))
            reply = QStringLiteral("true");
        else if (is({"volume"}))
            reply = QString::number(d.volume());
        else
            return MciErrBadParameter;
        return MciOk;
    }
    if (verb == QLatin1String("where")) {
        QRect rect;
        if (is({"destination"}))
            rect = d.destination.value_or(d.nativeRect());
        else if (is({"source"}))
            rect = d.nativeRect();
        else if (is({"window"}))
            rect = d.window.value_or(d.nativeRect());
        else
            return MciErrBadParameter;
        reply = QStringLiteral("%1 %2 %3 %4")
                    .arg(rect.x())
                    .arg(rect.y())
                    .arg(rect.width())
                    .arg(rect.height());
        return MciOk;
    }
    if (verb == QLatin1String("put")) {
        if (a.size() != 6 || a.at(1) != QLatin1String("at"))
            return MciErrBadParameter;
        int numbers[4] = {};
        for (int i = 0; i < 4; ++i) {
            const auto n = toInteger(a.at(i + 2));
            if (!n || *n < INT_MIN || *n > INT_MAX)
                return MciErrBadParameter;
            numbers[i] = static_cast<int>(*n);
        }
        if (numbers[2] < 0 || numbers[3] < 0)
            return MciErrOutOfRange;
        const QRect rect(numbers[0], numbers[1], numbers[2], numbers[3]);
        if (a.at(0) == QLatin1String("window"))
            d.window = rect;
        else if (a.at(0) == QLatin1String("destination"))
            d.destination = rect;
        else
            return MciErrBadParameter;
        return MciOk;
    }
    if (verb == QLatin1String("setaudio")) {
        if (a.size() != 3 || a.at(1) != QLatin1String("to"))
            return MciErrBadParameter;
        if (a.at(0) == QLatin1String("volume")) {
            const auto n = toInteger(a.at(2));
            if (!n)
                return MciErrBadParameter;
            if (*n < 0 || *n > 1000)
                return MciErrOutOfRange;
            return d.setVolume(static_cast<int>(*n));
        }
        if (a.at(0) == QLatin1String("source")) {
            static const QStringList sources = {QStringLiteral("stereo"), QStringLiteral("left"),
                                                QStringLiteral("right"), QStringLiteral("average")};
            if (!sources.contains(a.at(2)))
                return MciErrBadParameter;
            return d.setSource(a.at(2));
        }
        return MciErrBadParameter;
    }
    return MciErrUnknownCommand;
}

MciService::Device* MciService::find(const QString& alias) const {
    const auto it = m_devices.find(lower(alias));
    return it == m_devices.end() ? nullptr : it->second.get();
}

QString MciService::errorText(int code) {
    switch (code) {
    case MciOk:
        return {};
    case MciErrUnknownCommand:
        return QStringLiteral("无法识别的命令。");
    case MciErrBadParameter:
        return QStringLiteral("命令的参数缺失或无效。");
    case MciErrDeviceNotOpen:
        return QStringLiteral("指定的设备没有打开。");
    case MciErrFileNotFound:
        return QStringLiteral("找不到指定的文件。请确认路径和文件名是否正确。");
    case MciErrNotPlayable:
        return QStringLiteral("无法播放此文件：文件已损坏或格式不受支持。");
    case MciErrOutOfRange:
        return QStringLiteral("参数值超出了允许的范围。");
    case MciErrDuplicateAlias:
        return QStringLiteral("该别名已被使用，请先关闭它。");
    case MciErrUnknownDeviceType:
        return QStringLiteral("不支持的设备类型。");
    case MciErrCannotUseAll:
        return QStringLiteral("此命令不能用于 all 设备。");
    case MciErrNoCdDrive:
        return QStringLiteral("没有可以开关的光驱。");
    case MciErrPlayerFailure:
        return QStringLiteral("播放器无法完成此操作。");
    default:
        return QStringLiteral("未知的错误代码 %1。").arg(code);
    }
}

bool MciService::mciGetErrorStringA(int code, char* buffer, int size) {
    copyReply(errorText(code), buffer, size);
    return code == MciOk || (code >= MciErrUnknownCommand && code <= MciErrPlayerFailure);
}

void MciService::copyReply(const QString& text, char* buffer, int size) {
    if (!buffer || size <= 0)
        return;
    const QByteArray bytes = text.toUtf8();
    qsizetype n = std::min<qsizetype>(bytes.size(), size - 1);
    // Never end inside a multi-byte character.
    while (n > 0 && n < bytes.size() && (static_cast<unsigned char>(bytes.at(n)) & 0xC0) == 0x80)
        --n;
    std::memcpy(buffer, bytes.constData(), static_cast<size_t>(n));
    buffer[n] = '\0';
}
