#pragma once

#include "Mci.h"

#include <QSize>
#include <QString>
#include <array>
#include <functional>
#include <stdexcept>

// A reply of the media device that should be a decimal integer and is not.
class MciReplyError : public std::runtime_error {
public:
    explicit MciReplyError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// The player's command layer: every operation builds one command string,
// sends it through the Mci service with no callback window and turns the
// outcome into a result.
//
// Action operations return exactly "ok" on success, otherwise the device's
// error text (at most 127 bytes). Query operations return the integer of
// the reply, or -1 when the device answered with an error; a reply that is
// not a decimal integer throws MciReplyError.
//
// State shared by all operations: the last command of the open, play,
// volume and source operations, the last result code of any command, and
// one 128-byte buffer that receives both replies and error texts. The
// operations are therefore not reentrant. User-interface thread only.
class Media {
public:
    // The client size of a native window, for MciPutWindow with a width or
    // height of 0.
    using ClientSize = std::function<QSize(quintptr window)>;
    static constexpr int kReplySize = 128;

    explicit Media(Mci& mci, ClientSize clientSize = {});

    // The path as the device takes it: the full path when the file exists,
    // in double quotes when it contains blanks (a path containing a double
    // quote cannot be passed), else "错误". Case is kept.
    static QString ShortPath(const QString& path);

    QString MciOpen(const QString& alias, const QString& file, const QString& deviceType);
    // Opens with the video drawn into `parent`.
    QString MciOpenInWindow(quintptr parent, const QString& alias, const QString& file,
                            const QString& deviceType);
    QString MciPlay(const QString& alias);
    QString MciPause(const QString& alias);
    QString MciResume(const QString& alias);
    QString MciStop(const QString& alias);
    QString MciClose(const QString& alias);
    QString MciSeek(const QString& alias, int position);
    // Both switch the device's time format: milliseconds, frames.
    int MciLengthMs(const QString& alias);
    int MciLengthFrames(const QString& alias);
    int MciPosition(const QString& alias);
    // A width or height of 0 means the client size of `window`.
    QString MciPutWindow(quintptr window, const QString& alias, int x, int y, int width,
                         int height);
    // `which` is "cx" (width) or "cy" (height) in any case; anything else
    // gives -1 and sends nothing.
    int MciWhere(const QString& alias, const QString& which);
    // 0 to 100 percent; outside that "音量设置超出范围" and nothing sent.
    QString MciSetVolume(const QString& alias, int percent);
    QString MciSetSource(const QString& alias, const QString& source);

    // Sends a command that the controller builds itself ("status MyMp3
    // mode", "set all audio all on"), with the shared buffer as reply area
    // when `withReply`. Returns the result code, also kept as lastError().
    int send(const QString& command, bool withReply, quintptr callbackWindow = 0);
    // The text in the shared buffer: the last reply or error text.
    QString reply() const { return QString::fromUtf8(m_reply.data()); }

    const QString& lastCommand() const { return m_lastCommand; }
    int lastError() const { return m_lastError; }

private:
    QString action(const QString& command);
    int query(const QString& command);
    static int toInteger(const QString& text);

    Mci& m_mci;
    ClientSize m_clientSize;
    QString m_lastCommand;
    int m_lastError = 0;
    std::array<char, kReplySize> m_reply{};
};
