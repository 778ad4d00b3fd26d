#pragma once

#include "CaptureDevice.h"

#include <QColor>
#include <atomic>

// A capture device that delivers frames only when a test pushes them.
class FakeCaptureDevice final : public CaptureDevice {
public:
    explicit FakeCaptureDevice(QString name, QList<VideoFormat> formats = {})
        : m_name(std::move(name)), m_formats(std::move(formats)) {}

    QString name() const override { return m_name; }
    void open() override {
        if (failOpen)
            throw CaptureError(QStringLiteral("cannot open ") + m_name);
        m_open = true;
        ++opens;
    }
    void close() override {
        m_open = false;
        m_sink = nullptr;
    }
    bool isOpen() const override { return m_open; }
    QList<VideoFormat> formats() override { return m_formats; }
    void setFormat(int width, int height) override { size = QSize(width, height); }
    void start(FrameSink& sink) override { m_sink = &sink; }
    QList<CaptureControl> controls() override { return {}; }
    void setControl(quint32, int) override {}

    bool streaming() const { return m_open && m_sink; }
    // Delivers one frame of the set size filled with `colour`.
    void push(QColor colour = QColor(40, 60, 80), double frameRate = 25) {
        QImage image(size, QImage::Format_RGB888);
        image.fill(colour);
        push(image, frameRate);
    }
    // Delivers this picture as the next frame.
    void push(const QImage& image, double frameRate = 25) {
        if (!m_sink)
            return;
        m_sink->deliver(CapturedFrame{image, m_nextTs, frameRate});
        m_nextTs += static_cast<qint64>(1e6 / frameRate);
    }

    QSize size{640, 480};
    int opens = 0;
    bool failOpen = false;

private:
    QString m_name;
    QList<VideoFormat> m_formats;
    bool m_open = false;
    FrameSink* m_sink = nullptr;
    qint64 m_nextTs = 1'000'000;
};
