#pragma once

#include "AviWriter.h"

#include <memory>

// AVI recordings through FFmpeg (libavformat's AVI muxer, libavcodec,
// libswscale).
//
// Codecs: "msvc" is Microsoft Video 1 (encoder msvideo1, RGB555, tag MSVC)
// at the encoder's default quality; "Xvid" is MPEG-4 part 2 (encoder mpeg4,
// YUV 4:2:0, tag XVID). Any other code throws AviError before the disk is
// touched.
//
// create() opens the file at once (replacing an existing one), so a path that
// cannot be written (missing folder, a folder in its place) throws there.
// Creating while a recording is open first closes that one, as close() does,
// and throws what that close throws without making the new file.
//
// The first appended frame fixes the frame size and the frame rate: its
// frameRate rounded to whole frames per second (at least 1; 25 when the device
// does not say). The stream's time base is one frame, and each frame is
// placed at its capture time: pts = round((t - t_first) * rate / 1e6), at
// least one more than the previous frame's, so frames are never dropped or
// reordered. When frames come late the AVI muxer fills the gap with empty
// chunks (repeat the previous picture), so the file plays in real time even
// when the camera delivers fewer frames than its nominal rate. A gap is
// limited to 60000 frames (the most the muxer fills at once) and to just
// under an hour (the most MPEG-4 codes between two frames); a longer stall
// of the camera shortens the recording instead of failing it.
// Later frames of another size are scaled to the first frame's size. Sizes
// the encoder cannot take are padded, not scaled, so the picture stays pixel
// for pixel: msvideo1 works on 4x4 blocks, so width and height go up to the
// next multiple of 4; YUV 4:2:0 wants even sizes. The added columns on the
// right and rows at the bottom repeat the picture's last column and row.
//
// append() without an open recording does nothing (monitoring goes on when
// the file could not be made); a frame without a picture throws AviError and
// is not recorded.
//
// Threads: create(), append(), drain(), close() and isOpen() belong to one
// thread (the user-interface thread). Each recording has a writer thread of
// its own that does the colour conversion, the encoding and the writing.
// append() only queues the frame (the QImage is implicitly shared, so no
// pixels are copied) and blocks while 8 frames are waiting; it never drops
// one. Each packet is written and flushed to the file as soon as it is
// encoded, so after a crash the file holds every frame but the one in flight
// and stays readable without its index. close() waits until every frame is
// in the file, then writes the index. A recording that received no frame is
// removed by close().
//
// Errors: failures on the writer thread (encoder, disk full, ...) end the
// recording's writing; the error is kept and thrown as AviError by every
// later append() and by close(). close() always releases the file and leaves
// the writer closed, so the next create() starts afresh.
//
// Xvid settings, chosen so that a still 640x480 scene with camera noise
// takes well under 60 MB per hour at 25 fps with the burned-in date and time
// still sharp, while 1280x720 at 30 fps encodes on one core with room to
// spare: fixed quantiser 5, a key frame every 250 frames, no B-frames,
// macroblock decision by fewest bits, single-coefficient elimination, DCT
// noise reduction, zero vector first, one encoder thread. About 29 MB per
// hour on that scene; RecordingEncoder.cpp has the measurements. msvideo1
// manages about 40-48 fps at 640x480 but 15 fps at 1280x720; where the
// camera is faster, append() blocks and the capture layer skips frames, and
// the file still plays in real time.
class FfmpegAviWriter final : public AviWriter {
public:
    // Frames that may wait for the writer thread before append() blocks.
    static constexpr int kQueueCapacity = 8;

    FfmpegAviWriter();
    ~FfmpegAviWriter() override; // closes, ignoring errors
    FfmpegAviWriter(const FfmpegAviWriter&) = delete;
    FfmpegAviWriter& operator=(const FfmpegAviWriter&) = delete;

    void create(const QString& path, const QString& codec) override;
    void append(const CapturedFrame& frame) override;
    void close() override;
    bool isOpen() const override { return m_recording != nullptr; }

    // Returns once every frame appended so far is encoded and flushed to the
    // file; the recording stays open. Throws the writer thread's error like
    // append(). Does nothing when no recording is open.
    void drain();

private:
    class Recording;
    std::unique_ptr<Recording> m_recording;
};
