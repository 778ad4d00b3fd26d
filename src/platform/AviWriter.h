#pragma once

#include <QString>
#include <stdexcept>

struct CapturedFrame;

class AviError : public std::runtime_error {
public:
    explicit AviError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// Writes one AVI recording at a time: create, append frames, close.
//
// create() replaces an existing file of that name and fails (AviError) when
// the file cannot be made or the codec code is neither "msvc" (Microsoft
// Video 1) nor "Xvid" (MPEG-4 part 2 tagged XVID). The first appended frame
// fixes the frame size and the frame rate of the file; each frame is placed
// at its capture time, so the recording plays at the speed it was recorded.
// Frames are never dropped or reordered. close() returns when every appended
// frame is in the file and the index is written; closing with no open file
// does nothing. A recording that received no frame leaves no file.
//
// User-interface thread only; an implementation may encode on a thread of
// its own.
class AviWriter {
public:
    virtual ~AviWriter() = default;

    virtual void create(const QString& path, const QString& codec) = 0;
    virtual void append(const CapturedFrame& frame) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};
