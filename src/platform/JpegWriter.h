#pragma once

#include <QString>
#include <stdexcept>

class QImage;

class JpegError : public std::runtime_error {
public:
    explicit JpegError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// Writes `picture` as a baseline JPEG file through libjpeg-turbo.
//
// The file is a JFIF baseline (SOF0, sequential, not progressive) with the
// picture's size, three components in YCbCr with the chroma halved both ways
// (4:2:0, libjpeg's default), the standard quantisation tables scaled for
// `quality` (1 to 100; values outside are clamped by libjpeg) and libjpeg's
// standard Huffman tables, not optimised ones, so writing stays a single fast
// pass. Any QImage format is taken; it is converted to RGB888 once (alpha is
// dropped, grey becomes equal R, G and B).
//
// The whole file is encoded in memory first, then written to a temporary
// file in the target's folder and renamed over `path`, replacing a file of
// that name. A crash or a failure therefore never leaves a half-written file
// under `path`, and an existing file stays as it was when writing fails.
//
// Errors (an empty picture, a missing folder, a full disk, anything libjpeg
// refuses such as a side over 65500 pixels) throw JpegError with the path and
// the reason; no file and no temporary file is left behind.
//
// Any thread may call it; it shares no state between calls.
void writeJpeg(const QImage& picture, const QString& path, int quality = 90);
