#pragma once

#include "CaptureDevice.h"

// A camera for the benchmarks: it delivers the picture it is given, on the
// caller's thread, as the next frame.
class BenchCamera final : public CaptureDevice {
public:
    QString name() const override { return QStringLiteral("bench"); }
    void open() override { m_open = true; }
    void close() override {
        m_open = false;
        m_sink = nullptr;
    }
    bool isOpen() const override { return m_open; }
    QList<VideoFormat> formats() override { return {}; }
    void setFormat(int, int) override {}
    void start(FrameSink& sink) override { m_sink = &sink; }
    QList<CaptureControl> controls() override { return {}; }
    void setControl(quint32, int) override {}

    void push(const QImage& image, qint64 timestampUs, double frameRate) {
        if (m_sink)
            m_sink->deliver(CapturedFrame{image, timestampUs, frameRate});
    }

private:
    bool m_open = false;
    FrameSink* m_sink = nullptr;
};
