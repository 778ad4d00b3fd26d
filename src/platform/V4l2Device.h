#pragma once

#include "CaptureDevice.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <thread>
#include <vector>

// A camera behind a V4L2 video node (/dev/videoN), opened through libv4l2 so
// that frames always arrive as RGB24 whatever the camera sends (YUYV, MJPG,
// ...); libv4l2 does the conversion.
//
// Lifetime: open() opens the node; setFormat() asks for RGB24 at a size;
// start() maps four buffers and starts streaming; close() stops and releases
// everything, and the destructor closes. A closed device can be opened again.
//
// Threads: every method runs on the user-interface thread. start() runs a
// capture thread of the device's own that waits for a filled buffer, copies
// it into a new QImage, stamps it with the steady-clock time and hands it to
// FrameSink::deliver(), and does nothing else. close() stops and joins that
// thread, so no frame is delivered after it returns (a sink that waited for
// the user-interface thread would therefore hang close()). If the device fails
// while streaming (unplugged, say), the capture thread ends with a warning
// on the log and frames stop; close() still cleans up.
//
// Errors: CaptureError with the node's path, the step that failed and the
// system's error text. close() never throws.
class V4l2Device final : public CaptureDevice {
public:
    // `path` is the node ("/dev/video0"), `name` the driver's card name.
    V4l2Device(QString path, QString name);
    ~V4l2Device() override;
    V4l2Device(const V4l2Device&) = delete;
    V4l2Device& operator=(const V4l2Device&) = delete;

    QString name() const override { return m_name; }
    QString path() const { return m_path; }

    void open() override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }

    QList<VideoFormat> formats() override;
    // RGB24 at about that size: the driver picks the nearest size it has,
    // and the frames carry the size actually set. Not while streaming.
    void setFormat(int width, int height) override;
    // Throws when already streaming.
    void start(FrameSink& sink) override;

    QList<CaptureControl> controls() override;
    void setControl(quint32 id, int value) override;

    // Frames per second the driver reports for the current format (30 when
    // it does not say).
    double frameRate() const { return m_frameRate; }

private:
    struct Buffer {
        void* start = nullptr;
        std::size_t length = 0;
    };

    void requireOpen(const char* what) const;
    [[noreturn]] void fail(const QString& what, int error) const;
    void readCurrentFormat();
    // Unmaps and gives back the buffers of a start that failed, then throws.
    [[noreturn]] void failReleasingBuffers(const QString& what, int error);
    void captureLoop(FrameSink& sink);

    QString m_path;
    QString m_name;
    int m_fd = -1;
    // Written on the user-interface thread only while no capture thread runs.
    int m_width = 0;
    int m_height = 0;
    int m_bytesPerLine = 0;
    double m_frameRate = 30;
    std::vector<Buffer> m_buffers;
    bool m_streaming = false;
    std::atomic<bool> m_stopRequested{false};
    std::thread m_thread;
};

// The video capture nodes under /dev, by node number, each named by its
// driver's card name. Nodes that cannot be opened or that are not for video
// capture (the metadata node beside each USB camera) are left out. The
// devices come back closed.
std::vector<std::unique_ptr<CaptureDevice>> enumerateV4l2Devices();
