#pragma once

#include "Mci.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>

// How MciService plays.
struct MciServiceOptions {
    // libmpv's video and audio outputs ("vo", "ao"); empty leaves libmpv's
    // own choice. Tests use "null" for both: playback still advances in time.
    QByteArray videoOutput;
    QByteArray audioOutput;
    // How long "open" waits for the player to load a file, and a seek for
    // the player to settle, before giving up.
    int loadTimeoutMs = 10000;
    int seekTimeoutMs = 3000;
    // The drive that "set cdaudio door open|closed" moves.
    QString cdDevice = QStringLiteral("/dev/cdrom");

    // The defaults, with both outputs "null" when the environment variable
    // KELVOR_MCI_NULL_OUTPUT is set to a non-empty value (runs without a
    // display or sound card).
    static MciServiceOptions fromEnvironment();
};

// The media control service of this program, playing through libmpv.
//
// Commands (words case-insensitive, numbers decimal; "wait" and "notify"
// are accepted anywhere after the device name and have no effect; no
// completion notice is ever posted):
//   open <file> [type MPEGVideo] [alias <a>] [parent <window id>] [style <n>] [shareable]
//       <file> may be wrapped in double quotes when it contains blanks. The
//       alias defaults to the file as written. With a parent, the video is
//       drawn into that native window (libmpv's "wid"). The device opens
//       stopped at the start, after the player has loaded the file.
//   play <a> [from <n>] | pause <a> | resume <a> | stop <a> | close <a>|all
//       "stop" keeps the position, as "pause" does, but reports "stopped".
//   seek <a> to <n>|start|end          leaves the device stopped at <n>
//   set <a> time format milliseconds|ms|frames
//   set <a>|all audio all on|off
//   set cdaudio door open|closed       moves the tray of cdDevice
//   status <a> length|position|mode|time format|ready|volume
//   where <a> destination|source|window    "left top width height"
//   put <a> window|destination at <x> <y> <w> <h>
//   setaudio <a> volume to <0..1000>
//   setaudio <a> source to stereo|left|right|average
//
// Time: positions and lengths are in the device's time format,
// milliseconds after open. In frames, a video file counts at its
// container's frame rate, so its length is its frame count; a file without
// video counts 25 frames a second (one frame is 40 ms exactly). A device
// that played to the end reports "stopped" and a position equal to its
// length; so does a device sought to its length.
//
// The video of a device opened with a parent fills that window (libmpv
// follows the window's size); "put ... window" only records the rectangle
// that "where ... window" reports. "where ... destination" is the picture's
// own size until "put ... destination" sets another.
//
// Threading: user-interface thread only. libmpv's wakeup callback only posts
// to that thread, where the device's events are drained. "open" and "seek"
// wait (bounded by the options) for the player, processing its events.
class MciService final : public Mci {
public:
    MciService();
    explicit MciService(MciServiceOptions options);
    ~MciService() override;

    MciService(const MciService&) = delete;
    MciService& operator=(const MciService&) = delete;

    int mciSendStringA(const QString& command, char* reply, int replySize,
                       quintptr callbackWindow) override;
    bool mciGetErrorStringA(int code, char* buffer, int size) override;

    // The text of an error code (empty for 0, a generic text for a code that
    // is not an MciError).
    static QString errorText(int code);

    // Writes `text` as UTF-8 into `buffer`, zero-terminated, cut at a
    // character boundary so that it fits `size` bytes.
    static void copyReply(const QString& text, char* buffer, int size);

private:
    class Device;
    struct Command;

    int execute(Command& c, QString& reply);
    int open(Command& c);
    int doorCommand(Command& c);
    int deviceCommand(Device& d, Command& c, QString& reply);
    Device* find(const QString& alias) const;

    MciServiceOptions m_options;
    // By alias, lower-cased.
    std::map<QString, std::unique_ptr<Device>> m_devices;
};
