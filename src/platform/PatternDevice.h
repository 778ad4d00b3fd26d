#pragma once

#include "CaptureDevice.h"

#include <QRect>
#include <QSize>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// A synthetic camera for trying the program without one: a still room (a wall
// with a window and a picture, a cabinet, a floor) with mild per-pixel camera
// noise, a frame counter in the bottom-right corner (the top-left corner is
// left free for the program's date-time stamp), and a dark figure that walks
// in at a fixed interval and stays for a while, so that motion detection has
// something to find.
//
// The figure is absent for the first `interval` seconds after start(), then
// present during [k*interval, k*interval + duration) for k = 1, 2, ...
//
// Frames are RGB888 at the size set by setFormat() (640x480 until then; any
// positive size is drawn, the format list only offers the usual ones). They
// are paced at `fps` on the steady clock; a late frame goes out at once, and
// the one after it is due a full period later, so a stall never turns into a
// burst.
//
// Threads: every method runs on the user-interface thread except that the
// frames are made and delivered on the device's own streaming thread.
// setFormat() and setControl() may be called while streaming and apply from
// the next frame. renderFrame() may be called from any thread. Errors throw
// CaptureError.
class PatternDevice final : public CaptureDevice {
public:
    struct Options {
        int noise = 3;        // noise amplitude in grey levels (0..64)
        double fps = 25;      // frames per second (0 < fps <= 1000)
        double interval = 20; // seconds between appearances of the figure (> 0)
        double duration = 4;  // seconds the figure stays (>= 0)
        int bright = 0;       // uniform brightness offset (-255..255)
    };

    // Parses "noise=0,fps=10" (names as in Options, comma-separated, blanks
    // allowed, the last of repeated names wins; an empty text gives the
    // defaults). Throws CaptureError naming the bad option or value.
    static Options parseOptions(const QString& text);

    PatternDevice(QString name, Options options);
    ~PatternDevice() override;

    PatternDevice(const PatternDevice&) = delete;
    PatternDevice& operator=(const PatternDevice&) = delete;

    QString name() const override { return m_name; }
    void open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    QList<VideoFormat> formats() override;
    void setFormat(int width, int height) override;
    // Starting a device that is already streaming does nothing.
    void start(FrameSink& sink) override;
    QList<CaptureControl> controls() override;
    // Out-of-range values are clamped; an unknown id throws CaptureError.
    void setControl(quint32 id, int value) override;

    const Options& options() const { return m_options; }
    QSize frameSize() const;

    // The frame the stream produces as frame number `index` (from 0, drawn by
    // the counter) at `timeSec` seconds after start: the same noise for the
    // same index, the figure when due, the current controls applied. Works
    // whether or not the device is open.
    QImage renderFrame(qint64 index, double timeSec);

    // Where the counter is drawn in a frame of `size`; the rest of the frame
    // does not depend on the index when the noise is 0.
    static QRect counterArea(QSize size);
    // The bounding box of the figure at `timeSec`, empty when it is absent.
    QRect figureArea(QSize size, double timeSec) const;

    // The sizes the format list offers, shared with the file source.
    static QList<VideoFormat> standardFormats();

private:
    void stream(FrameSink& sink);
    void ensureBackground(QSize size);
    void buildCurve(int brightness, int contrast);
    void ensureAdjusted(int brightness, int contrast);
    void addNoise(QImage& image, qint64 index) const;
    void drawFigure(QImage& image, QRect area) const;
    static void drawCounter(QImage& image, qint64 index);

    const QString m_name;
    const Options m_options;
    bool m_open = false;

    mutable std::mutex m_sizeMutex;
    QSize m_size{640, 480};

    std::atomic<int> m_brightness{0};
    std::atomic<int> m_contrast{100};

    // Drawing caches, guarded by m_renderMutex: the still scene for one size,
    // the same with the controls applied, and the tone curve of the controls.
    std::mutex m_renderMutex;
    QImage m_background;
    QImage m_adjusted;
    int m_curveBrightness = 0;
    int m_curveContrast = 100;
    uint8_t m_curve[256] = {};
    std::vector<int8_t> m_noiseTable;

    std::thread m_thread;
    std::mutex m_stopMutex;
    std::condition_variable m_stopChanged;
    bool m_stop = false;
};
