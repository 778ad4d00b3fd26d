#pragma once

#include <QString>
#include <QtGlobal>

// The media control service the player talks to: one command string in, a
// result code and a reply text out, in the style of the classic media
// control interface ("open <file> type MPEGVideo Alias MyMp3", "play MyMp3",
// "status MyMp3 position", ...). MciService is the real one, playing through
// libmpv; tests of the command layer use a fake.
//
// Texts are UTF-8. A reply or error text is written zero-terminated into the
// caller's buffer, cut at a character boundary to fit `size` bytes; a null
// buffer or a size of 0 receives nothing.
//
// User-interface thread only.
class Mci {
public:
    virtual ~Mci() = default;

    // Carries out `command`. Returns 0 on success, otherwise one of the
    // MciError codes. `callbackWindow` is the window that would receive a
    // completion notice; this program asks for none.
    virtual int mciSendStringA(const QString& command, char* reply, int replySize,
                               quintptr callbackWindow) = 0;

    // Writes the description of `code` into `buffer`. False (and a generic
    // text) for a code that is not an MciError.
    virtual bool mciGetErrorStringA(int code, char* buffer, int size) = 0;
};

// Result codes of Mci::mciSendStringA.
enum MciError : int {
    MciOk = 0,
    MciErrUnknownCommand = 257, // the first word is no command
    MciErrBadParameter = 258,   // a missing, unknown or malformed word or number
    MciErrDeviceNotOpen = 259,  // no device is open under that alias
    MciErrFileNotFound = 260,   // the file of "open" does not exist
    MciErrNotPlayable = 261,    // the file exists but cannot be played
    MciErrOutOfRange = 262,     // a number beyond what the device allows
    MciErrDuplicateAlias = 263, // "open" with an alias that is already open
    MciErrUnknownDeviceType = 264,
    MciErrCannotUseAll = 265,  // a command that needs one device was sent to "all"
    MciErrNoCdDrive = 266,     // "set cdaudio door ...": no drive that can be moved
    MciErrPlayerFailure = 267, // the player refused a request
};
