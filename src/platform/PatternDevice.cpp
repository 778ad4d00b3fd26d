#include "PatternDevice.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <linux/videodev2.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kNoiseTableSize = 1 << 16;
// Rows are noised in pieces of at most this many bytes, each from its own
// random place in the table, so the pattern does not repeat along a row.
constexpr int kNoiseChunk = 4096;

constexpr int kMaxSide = 8192;

// xorshift64: plenty for noise and far cheaper than a distribution object.
struct XorShift {
    uint64_t state;
    explicit XorShift(uint64_t seed) : state(seed ? seed : 0x9E3779B97F4A7C15ull) {}
    uint64_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
};

// Spreads the frame index over all bits so that neighbouring frames start
// their noise far apart in the table.
uint64_t mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

uint8_t clampByte(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

qint64 steadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
        .count();
}

// Fixed texture on a region so that the still scene has detail for the
// motion comparison to see (and to ignore): small grey-level speckles.
void speckle(QImage& image, const QRect& area, int amplitude, uint64_t seed) {
    XorShift rng(seed);
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        uchar* p = image.scanLine(y) + 3 * r.left();
        for (int x = 0; x < r.width(); ++x, p += 3) {
            const int d =
                static_cast<int>(rng.next() % static_cast<uint64_t>(2 * amplitude + 1)) - amplitude;
            p[0] = clampByte(p[0] + d);
            p[1] = clampByte(p[1] + d);
            p[2] = clampByte(p[2] + d);
        }
    }
}

const QColor kFigureColour(38, 36, 44);

void requireOpen(bool open, const QString& name) {
    if (!open)
        throw CaptureError(QStringLiteral("%1 is not open").arg(name));
}

} // namespace

PatternDevice::Options PatternDevice::parseOptions(const QString& text) {
    Options o;
    const QStringList items = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& rawItem : items) {
        const QString item = rawItem.trimmed();
        if (item.isEmpty())
            continue;
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        if (eq < 0)
            throw CaptureError(
                QStringLiteral("pattern option \"%1\" has no value (name=value)").arg(item));
        const QString key = item.left(eq).trimmed().toLower();
        const QString value = item.mid(eq + 1).trimmed();
        bool ok = false;
        const double number = value.toDouble(&ok);
        auto bad = [&](const QString& range) {
            return CaptureError(
                QStringLiteral("pattern option %1=%2: expected %3").arg(key, value, range));
        };
        auto wholeIn = [&](int lo, int hi) {
            if (!ok || number != std::floor(number) || number < lo || number > hi)
                throw bad(QStringLiteral("a whole number from %1 to %2").arg(lo).arg(hi));
            return static_cast<int>(number);
        };
        if (key == QLatin1String("noise")) {
            o.noise = wholeIn(0, 64);
        } else if (key == QLatin1String("bright")) {
            o.bright = wholeIn(-255, 255);
        } else if (key == QLatin1String("fps")) {
            if (!ok || !(number > 0) || number > 1000)
                throw bad(QStringLiteral("a number above 0 and at most 1000"));
            o.fps = number;
        } else if (key == QLatin1String("interval")) {
            if (!ok || !(number > 0) || !std::isfinite(number))
                throw bad(QStringLiteral("a number of seconds above 0"));
            o.interval = number;
        } else if (key == QLatin1String("duration")) {
            if (!ok || !(number >= 0) || !std::isfinite(number))
                throw bad(QStringLiteral("a number of seconds, 0 or more"));
            o.duration = number;
        } else {
            throw CaptureError(
                QStringLiteral("unknown pattern option \"%1\" (known: noise, fps, interval, "
                               "duration, bright)")
                    .arg(key));
        }
    }
    return o;
}

PatternDevice::PatternDevice(QString name, Options options)
    : m_name(std::move(name)), m_options(options) {
    m_noiseTable.resize(kNoiseTableSize);
    XorShift rng(0x5EEDF00Dull);
    const auto span = static_cast<uint64_t>(2 * m_options.noise + 1);
    for (int8_t& v : m_noiseTable)
        v = static_cast<int8_t>(static_cast<int>(rng.next() % span) - m_options.noise);
    buildCurve(0, 100);
}

PatternDevice::~PatternDevice() {
    close();
}

void PatternDevice::open() {
    m_open = true;
}

void PatternDevice::close() {
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_stopMutex);
            m_stop = true;
        }
        m_stopChanged.notify_all();
        m_thread.join();
    }
    m_open = false;
}

QList<VideoFormat> PatternDevice::standardFormats() {
    static const QSize sizes[] = {{160, 120}, {320, 240},  {640, 480},
                                  {800, 600}, {1280, 720}, {1920, 1080}};
    QList<VideoFormat> list;
    for (const QSize& s : sizes)
        list.append({QStringLiteral("RGB24"), s.width(), s.height(), s.width(), s.height()});
    return list;
}

QList<VideoFormat> PatternDevice::formats() {
    requireOpen(m_open, m_name);
    return standardFormats();
}

void PatternDevice::setFormat(int width, int height) {
    requireOpen(m_open, m_name);
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        throw CaptureError(
            QStringLiteral("%1 cannot make frames of %2x%3").arg(m_name).arg(width).arg(height));
    std::lock_guard lock(m_sizeMutex);
    m_size = QSize(width, height);
}

QSize PatternDevice::frameSize() const {
    std::lock_guard lock(m_sizeMutex);
    return m_size;
}

void PatternDevice::start(FrameSink& sink) {
    requireOpen(m_open, m_name);
    if (m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_stopMutex);
        m_stop = false;
    }
    m_thread = std::thread([this, &sink] { stream(sink); });
}

QList<CaptureControl> PatternDevice::controls() {
    requireOpen(m_open, m_name);
    CaptureControl brightness;
    brightness.id = V4L2_CID_BRIGHTNESS;
    brightness.name = QStringLiteral("Brightness");
    brightness.minimum = -64;
    brightness.maximum = 64;
    brightness.defaultValue = 0;
    brightness.value = m_brightness.load();
    CaptureControl contrast;
    contrast.id = V4L2_CID_CONTRAST;
    contrast.name = QStringLiteral("Contrast");
    contrast.minimum = 0;
    contrast.maximum = 200;
    contrast.defaultValue = 100;
    contrast.value = m_contrast.load();
    return {brightness, contrast};
}

void PatternDevice::setControl(quint32 id, int value) {
    requireOpen(m_open, m_name);
    if (id == V4L2_CID_BRIGHTNESS)
        m_brightness = std::clamp(value, -64, 64);
    else if (id == V4L2_CID_CONTRAST)
        m_contrast = std::clamp(value, 0, 200);
    else
        throw CaptureError(QStringLiteral("%1 has no control with id %2").arg(m_name).arg(id));
}

void PatternDevice::stream(FrameSink& sink) {
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1.0 / m_options.fps));
    const auto started = Clock::now();
    auto due = started;
    for (qint64 index = 0;; ++index) {
        CapturedFrame frame;
        frame.image = renderFrame(index, std::chrono::duration<double>(due - started).count());
        frame.frameRate = m_options.fps;
        {
            std::unique_lock lock(m_stopMutex);
            if (m_stopChanged.wait_until(lock, due, [this] { return m_stop; }))
                return;
        }
        frame.timestampUs = steadyMicroseconds();
        sink.deliver(std::move(frame));
        due += period;
        // More than a period behind: the next frame goes out as soon as it is
        // drawn and the schedule restarts from now instead of catching up.
        const auto now = Clock::now();
        if (now > due)
            due = now;
    }
}

QRect PatternDevice::counterArea(QSize size) {
    const int digitHeight = std::max(7, size.height() / 40);
    const int stroke = std::max(1, digitHeight / 7);
    const int digitWidth = digitHeight / 2 + stroke;
    const int gap = 2 * stroke;
    const int pad = 2 * stroke;
    const int width = 6 * digitWidth + 5 * gap + 2 * pad;
    const int height = digitHeight + 2 * pad;
    const int margin = std::max(2, size.height() / 60);
    return QRect(size.width() - margin - width, size.height() - margin - height, width, height);
}

QRect PatternDevice::figureArea(QSize size, double timeSec) const {
    const double interval = m_options.interval;
    if (timeSec < interval || m_options.duration <= 0)
        return {};
    const double since = std::fmod(timeSec, interval);
    if (since >= m_options.duration)
        return {};
    // It walks slowly from left of centre to right of centre while it stays.
    const double progress = since / m_options.duration;
    const double w = size.width();
    const double h = size.height();
    const double centre = w * (0.35 + 0.3 * progress);
    return QRect(static_cast<int>(std::lround(centre - 0.1 * w)),
                 static_cast<int>(std::lround(0.27 * h)), static_cast<int>(std::lround(0.2 * w)),
                 static_cast<int>(std::lround(0.63 * h)));
}

QImage PatternDevice::renderFrame(qint64 index, double timeSec) {
    const QSize size = frameSize();
    std::lock_guard lock(m_renderMutex);
    ensureBackground(size);
    ensureAdjusted(m_brightness.load(), m_contrast.load());
    QImage frame = m_adjusted.copy();
    const QRect figure = figureArea(size, timeSec);
    if (!figure.isEmpty())
        drawFigure(frame, figure);
    addNoise(frame, index);
    drawCounter(frame, index);
    return frame;
}

void PatternDevice::ensureBackground(QSize size) {
    if (m_background.size() == size)
        return;
    QImage img(size, QImage::Format_RGB888);
    const double w = size.width();
    const double h = size.height();
    auto rect = [&](double x, double y, double rw, double rh) {
        return QRectF(x * w, y * h, rw * w, rh * h).toAlignedRect();
    };
    {
        QPainter p(&img);
        const double floorTop = 0.7;
        QLinearGradient wall(0, 0, 0, floorTop * h);
        wall.setColorAt(0, QColor(206, 200, 186));
        wall.setColorAt(1, QColor(172, 166, 150));
        p.fillRect(rect(0, 0, 1, floorTop), wall);

        QLinearGradient floor(0, floorTop * h, 0, h);
        floor.setColorAt(0, QColor(150, 122, 92));
        floor.setColorAt(1, QColor(128, 100, 72));
        p.fillRect(rect(0, floorTop, 1, 1 - floorTop), floor);
        // Planks: joints across, seams along at staggered places.
        const QColor seam(104, 80, 56);
        for (int i = 1; i < 6; ++i) {
            const double y = floorTop + i * (1 - floorTop) / 6;
            p.fillRect(rect(0, y, 1, 0.004), seam);
            for (int j = 0; j < 5; ++j) {
                const double x = 0.1 + 0.22 * j + ((i % 2) ? 0.1 : 0);
                p.fillRect(rect(x, y - (1 - floorTop) / 6, 0.003, (1 - floorTop) / 6), seam);
            }
        }
        p.fillRect(rect(0, floorTop - 0.015, 1, 0.015), QColor(236, 232, 224)); // skirting

        // Window with a sky, a distant roof line and a cross frame.
        const QRect window = rect(0.58, 0.1, 0.3, 0.36);
        QLinearGradient sky(0, window.top(), 0, window.bottom());
        sky.setColorAt(0, QColor(150, 190, 232));
        sky.setColorAt(1, QColor(214, 230, 244));
        p.fillRect(window, sky);
        p.fillRect(rect(0.58, 0.36, 0.3, 0.1), QColor(120, 134, 118));
        p.fillRect(rect(0.64, 0.3, 0.08, 0.06), QColor(160, 96, 80));
        const QColor frameColour(246, 244, 238);
        p.fillRect(rect(0.57, 0.09, 0.32, 0.012), frameColour);
        p.fillRect(rect(0.57, 0.458, 0.32, 0.012), frameColour);
        p.fillRect(rect(0.57, 0.09, 0.01, 0.38), frameColour);
        p.fillRect(rect(0.88, 0.09, 0.01, 0.38), frameColour);
        p.fillRect(rect(0.725, 0.09, 0.008, 0.38), frameColour);
        p.fillRect(rect(0.57, 0.27, 0.32, 0.008), frameColour);

        // A framed picture on the left wall.
        p.fillRect(rect(0.08, 0.16, 0.18, 0.2), QColor(84, 62, 44));
        p.fillRect(rect(0.09, 0.175, 0.16, 0.17), QColor(222, 214, 180));
        p.fillRect(rect(0.1, 0.27, 0.14, 0.06), QColor(96, 140, 84));
        p.fillRect(rect(0.18, 0.2, 0.03, 0.04), QColor(230, 180, 60));

        // A cabinet with three drawers and handles, standing on the floor.
        p.fillRect(rect(0.05, 0.48, 0.22, 0.3), QColor(112, 78, 52));
        for (int i = 0; i < 3; ++i) {
            p.fillRect(rect(0.065, 0.5 + i * 0.09, 0.19, 0.075), QColor(134, 96, 64));
            p.fillRect(rect(0.14, 0.53 + i * 0.09, 0.04, 0.012), QColor(200, 190, 160));
        }
        // A lamp shade and stand on the cabinet.
        p.fillRect(rect(0.15, 0.36, 0.012, 0.12), QColor(60, 60, 64));
        p.fillRect(rect(0.12, 0.31, 0.07, 0.06), QColor(240, 226, 190));
    }
    const int sw = size.width();
    const int sh = size.height();
    speckle(img, QRect(0, 0, sw, sh * 7 / 10), 4, 0xA11CEull);
    speckle(img, QRect(0, sh * 7 / 10, sw, sh - sh * 7 / 10), 7, 0xF100Full);
    m_background = img;
    m_adjusted = QImage(); // rebuilt from the new scene
}

void PatternDevice::buildCurve(int brightness, int contrast) {
    for (int v = 0; v < 256; ++v) {
        const int scaled = static_cast<int>(std::lround((v - 128) * contrast / 100.0)) + 128;
        m_curve[v] = clampByte(scaled + brightness + m_options.bright);
    }
    m_curveBrightness = brightness;
    m_curveContrast = contrast;
}

void PatternDevice::ensureAdjusted(int brightness, int contrast) {
    const bool curveChanged = brightness != m_curveBrightness || contrast != m_curveContrast;
    if (curveChanged)
        buildCurve(brightness, contrast);
    else if (m_adjusted.size() == m_background.size())
        return;
    m_adjusted = QImage(m_background.size(), QImage::Format_RGB888);
    const int rowBytes = 3 * m_background.width();
    for (int y = 0; y < m_background.height(); ++y) {
        const uchar* src = m_background.constScanLine(y);
        uchar* dst = m_adjusted.scanLine(y);
        for (int i = 0; i < rowBytes; ++i)
            dst[i] = m_curve[src[i]];
    }
}

void PatternDevice::drawFigure(QImage& image, QRect area) const {
    const QColor colour(m_curve[kFigureColour.red()], m_curve[kFigureColour.green()],
                        m_curve[kFigureColour.blue()]);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const int headHeight = area.height() * 13 / 63;
    const int headWidth = area.width() / 2;
    p.drawEllipse(
        QRect(area.left() + (area.width() - headWidth) / 2, area.top(), headWidth, headHeight));
    const int bodyTop = area.top() + headHeight * 9 / 10;
    const int radius = std::max(1, area.width() / 6);
    p.drawRoundedRect(QRect(area.left(), bodyTop, area.width(), area.bottom() + 1 - bodyTop),
                      radius, radius);
}

void PatternDevice::addNoise(QImage& image, qint64 index) const {
    if (m_options.noise == 0)
        return;
    XorShift rng(mix(static_cast<uint64_t>(index)));
    const int8_t* table = m_noiseTable.data();
    const int rowBytes = 3 * image.width();
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int begin = 0; begin < rowBytes; begin += kNoiseChunk) {
            const int length = std::min(kNoiseChunk, rowBytes - begin);
            const int8_t* noise =
                table + rng.next() % static_cast<uint64_t>(kNoiseTableSize - kNoiseChunk);
            uchar* p = row + begin;
            for (int i = 0; i < length; ++i) {
                const int v = p[i] + noise[i];
                p[i] = static_cast<uchar>(v < 0 ? 0 : (v > 255 ? 255 : v));
            }
        }
    }
}

void PatternDevice::drawCounter(QImage& image, qint64 index) {
    // Seven-segment digits: no fonts needed on the streaming thread, and the
    // same pixels on every machine.
    static const uint8_t segments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                         0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const QRect box = counterArea(image.size());
    const int digitHeight = std::max(7, image.height() / 40);
    const int s = std::max(1, digitHeight / 7);
    const int dw = digitHeight / 2 + s;
    const int gap = 2 * s;
    const int pad = 2 * s;
    QPainter p(&image);
    p.fillRect(box, Qt::black);
    const QColor on(240, 240, 240);
    qint64 value = index % 1000000;
    const int half = digitHeight / 2;
    for (int d = 5; d >= 0; --d, value /= 10) {
        const int x = box.left() + pad + d * (dw + gap);
        const int y = box.top() + pad;
        const uint8_t bits = segments[value % 10];
        const QRect parts[7] = {
            {x, y, dw, s},                                 // a: top
            {x + dw - s, y, s, half + 1},                  // b: upper right
            {x + dw - s, y + half, s, digitHeight - half}, // c: lower right
            {x, y + digitHeight - s, dw, s},               // d: bottom
            {x, y + half, s, digitHeight - half},          // e: lower left
            {x, y, s, half + 1},                           // f: upper left
            {x, y + half - s / 2, dw, s},                  // g: middle
        };
        for (int i = 0; i < 7; ++i) {
            if (bits & (1u << i))
                p.fillRect(parts[i], on);
        }
    }
}
