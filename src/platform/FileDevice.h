#pragma once

#include "CaptureDevice.h"

#include <QSize>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// A video file played as if it were a camera: decoded with FFmpeg, over and
// over (at its end it goes back to the start), each picture scaled to the
// size set by setFormat() (640x480 until then) as RGB888, and delivered at
// the file's own frame rate (its average rate, 25 when the file gives none),
// which is also the frameRate of every frame. Frames that come late go out
// at once, without a burst to catch up.
//
// Threads: every method runs on the user-interface thread; decoding, scaling
// and delivery run on the device's own streaming thread, which close() stops
// and joins. setFormat() may be called while streaming and applies from the
// next frame.
//
// Errors: open() throws CaptureError when the file cannot be opened, has no
// video stream or no decoder for it. A file that stops decoding while
// streaming is reported once on standard error and tried again every second;
// the stream never throws.
class FileDevice final : public CaptureDevice {
public:
    FileDevice(QString name, QString path);
    ~FileDevice() override;

    FileDevice(const FileDevice&) = delete;
    FileDevice& operator=(const FileDevice&) = delete;

    QString name() const override { return m_name; }
    QString path() const { return m_path; }

    void open() override;
    void close() override;
    bool isOpen() const override { return m_decoder != nullptr; }
    // The file's own size first, then the usual sizes.
    QList<VideoFormat> formats() override;
    // Any positive size; the picture is scaled to it.
    void setFormat(int width, int height) override;
    // Starting a device that is already streaming does nothing.
    void start(FrameSink& sink) override;
    // A file has no picture controls: an empty list, and setControl() throws.
    QList<CaptureControl> controls() override;
    void setControl(quint32 id, int value) override;

    // The rate frames are delivered at. Open only.
    double frameRate() const;
    QSize frameSize() const;

private:
    class Decoder; // the FFmpeg state, used by one thread at a time

    void stream(FrameSink& sink);
    void requireOpen() const;

    const QString m_name;
    const QString m_path;
    std::unique_ptr<Decoder> m_decoder;

    mutable std::mutex m_sizeMutex;
    QSize m_size{640, 480};

    std::thread m_thread;
    std::mutex m_stopMutex;
    std::condition_variable m_stopChanged;
    bool m_stop = false;
};
