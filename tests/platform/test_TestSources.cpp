// The test sources: the KELVOR_TEST_CAMERA syntax, the synthetic pattern
// camera and the looping video file.
#include "FileDevice.h"
#include "PatternDevice.h"
#include "TempDir.h"
#include "TestSources.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

constexpr int kWaitMs = 10000;

// Collects delivered frames from the streaming thread, and counts any that
// come after the test said the device was closed.
class CollectingSink final : public FrameSink {
public:
    void deliver(CapturedFrame&& frame) override {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            ++m_late;
        m_frames.push_back(std::move(frame));
    }
    int count() const {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_frames.size());
    }
    std::vector<CapturedFrame> frames() const {
        std::lock_guard lock(m_mutex);
        return m_frames;
    }
    void markClosed() {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    int late() const {
        std::lock_guard lock(m_mutex);
        return m_late;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<CapturedFrame> m_frames;
    bool m_closed = false;
    int m_late = 0;
};

QStringList namesOf(const std::vector<std::unique_ptr<CaptureDevice>>& devices) {
    QStringList names;
    for (const auto& d : devices)
        names.append(d->name());
    return names;
}

int luma(const uchar* p) {
    return (299 * p[0] + 587 * p[1] + 114 * p[2]) / 1000;
}

double meanLumaOutside(const QImage& image, const QRect& excluded) {
    double sum = 0;
    qint64 n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (!excluded.contains(x, y)) {
                sum += luma(row + 3 * x);
                ++n;
            }
        }
    }
    return sum / static_cast<double>(n);
}

// The largest difference of any colour byte between two frames outside
// `excluded`; also how many bytes differ at all.
struct Difference {
    int largest = 0;
    qint64 differing = 0;
};
Difference differenceOutside(const QImage& a, const QImage& b, const QRect& excluded) {
    Difference d;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* ra = a.constScanLine(y);
        const uchar* rb = b.constScanLine(y);
        for (int x = 0; x < a.width(); ++x) {
            if (excluded.contains(x, y))
                continue;
            for (int c = 0; c < 3; ++c) {
                const int diff = std::abs(ra[3 * x + c] - rb[3 * x + c]);
                d.largest = std::max(d.largest, diff);
                d.differing += diff != 0;
            }
        }
    }
    return d;
}

// Share of the frame at least 60 grey levels darker than the empty scene,
// the counter aside.
double darkShare(const QImage& frame, const QImage& empty) {
    const QRect counter = PatternDevice::counterArea(frame.size());
    qint64 dark = 0;
    for (int y = 0; y < frame.height(); ++y) {
        const uchar* rf = frame.constScanLine(y);
        const uchar* re = empty.constScanLine(y);
        for (int x = 0; x < frame.width(); ++x)
            dark += !counter.contains(x, y) && luma(re + 3 * x) - luma(rf + 3 * x) >= 60;
    }
    return static_cast<double>(dark) / (frame.width() * frame.height());
}

std::unique_ptr<PatternDevice> openPattern(const QString& options, QSize size) {
    auto device = std::make_unique<PatternDevice>(QStringLiteral("pattern"),
                                                  PatternDevice::parseOptions(options));
    device->open();
    device->setFormat(size.width(), size.height());
    return device;
}

// ---------------------------------------------------------------------------
// The KELVOR_TEST_CAMERA syntax

TEST(TestSourceSpec, GivesTheDevicesInOrderAndSkipsWhatItCannotRead) {
    struct Case {
        const char* sources;
        QStringList names;
        int problems;
    };
    const Case cases[] = {
        {"", {}, 0},
        {" ; ;", {}, 0},
        {"pattern", {"Kelvor test pattern"}, 0},
        {"pattern:noise=0,fps=10;file:/x.avi",
         {"Kelvor test pattern", "Kelvor test file (x.avi)"},
         0},
        {"file:/videos/hall way.mkv;pattern; Pattern: noise = 1 ;pattern:",
         {"Kelvor test file (hall way.mkv)", "Kelvor test pattern", "Kelvor test pattern 2",
          "Kelvor test pattern 3"},
         0},
        {"pattern:speed=3", {}, 1},
        {"pattern:noise", {}, 1},
        {"pattern:noise=1.5;pattern:fps=0;pattern:interval=0;pattern:duration=-1", {}, 4},
        {"camera;file:;pattern:noise=x;pattern", {"Kelvor test pattern"}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sources);
        QStringList problems;
        const auto devices = testDevicesFrom(QString::fromUtf8(c.sources), &problems);
        EXPECT_EQ(namesOf(devices), c.names);
        EXPECT_EQ(problems.size(), c.problems) << problems.join(QLatin1Char('\n')).toStdString();
    }
}

TEST(TestSourceSpec, ProblemsNameTheItemAndWhatIsWrong) {
    QStringList problems;
    testDevicesFrom(QStringLiteral("pattern:speed=3;webcam"), &problems);
    ASSERT_EQ(problems.size(), 2);
    EXPECT_TRUE(problems[0].contains(QLatin1String("pattern:speed=3")))
        << problems[0].toStdString();
    EXPECT_TRUE(problems[0].contains(QLatin1String("unknown pattern option \"speed\"")));
    EXPECT_TRUE(problems[1].contains(QLatin1String("unknown source \"webcam\"")))
        << problems[1].toStdString();
}

TEST(TestSourceSpec, PatternOptionsTakeFractionsOfSeconds) {
    const PatternDevice::Options o = PatternDevice::parseOptions(
        QStringLiteral("noise=0, fps=12.5,interval=0.5,duration=0.25,bright=-20,noise=7"));
    EXPECT_EQ(o.noise, 7); // the last one wins
    EXPECT_DOUBLE_EQ(o.fps, 12.5);
    EXPECT_DOUBLE_EQ(o.interval, 0.5);
    EXPECT_DOUBLE_EQ(o.duration, 0.25);
    EXPECT_EQ(o.bright, -20);

    const PatternDevice::Options defaults = PatternDevice::parseOptions(QString());
    EXPECT_EQ(defaults.noise, 3);
    EXPECT_DOUBLE_EQ(defaults.fps, 25);
    EXPECT_DOUBLE_EQ(defaults.interval, 20);
    EXPECT_DOUBLE_EQ(defaults.duration, 4);
    EXPECT_EQ(defaults.bright, 0);
}

TEST(TestSourceSpec, ReadsTheEnvironmentVariable) {
    const QByteArray saved = qgetenv("KELVOR_TEST_CAMERA");
    const bool wasSet = qEnvironmentVariableIsSet("KELVOR_TEST_CAMERA");

    qunsetenv("KELVOR_TEST_CAMERA");
    EXPECT_TRUE(testDevicesFromEnvironment().empty());
    qputenv("KELVOR_TEST_CAMERA", "");
    EXPECT_TRUE(testDevicesFromEnvironment().empty());
    qputenv("KELVOR_TEST_CAMERA", "pattern;pattern:fps=5");
    EXPECT_EQ(namesOf(testDevicesFromEnvironment()),
              QStringList({"Kelvor test pattern", "Kelvor test pattern 2"}));

    if (wasSet)
        qputenv("KELVOR_TEST_CAMERA", saved);
    else
        qunsetenv("KELVOR_TEST_CAMERA");
}

// ---------------------------------------------------------------------------
// The pattern camera

TEST(PatternDevice, OffersTheUsualSizesAndNeedsToBeOpen) {
    PatternDevice device(QStringLiteral("pattern"), {});
    EXPECT_FALSE(device.isOpen());
    EXPECT_THROW(device.formats(), CaptureError);
    device.open();
    device.open(); // twice is fine
    const QList<VideoFormat> formats = device.formats();
    QStringList lines;
    for (const VideoFormat& f : formats)
        lines.append(f.line());
    EXPECT_EQ(lines, QStringList({"RGB24 160x120 to 160x120", "RGB24 320x240 to 320x240",
                                  "RGB24 640x480 to 640x480", "RGB24 800x600 to 800x600",
                                  "RGB24 1280x720 to 1280x720", "RGB24 1920x1080 to 1920x1080"}));
    EXPECT_EQ(device.frameSize(), QSize(640, 480));
    EXPECT_THROW(device.setFormat(0, 240), CaptureError);
    device.close();
    EXPECT_FALSE(device.isOpen());
    EXPECT_THROW(device.setFormat(320, 240), CaptureError);
}

TEST(PatternDevice, StreamsFramesOfTheSetSizeUntilClosed) {
    auto device = openPattern(QStringLiteral("fps=200"), QSize(320, 240));
    CollectingSink sink;
    device->start(sink);
    device->start(sink); // already streaming: nothing more
    ASSERT_TRUE(QTest::qWaitFor([&] { return sink.count() >= 8; }, kWaitMs));
    device->close();
    sink.markClosed();
    const int atClose = sink.count();
    QTest::qWait(100);
    EXPECT_EQ(sink.late(), 0);
    EXPECT_EQ(sink.count(), atClose);

    const auto frames = sink.frames();
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(frames[i].image.size(), QSize(320, 240));
        EXPECT_EQ(frames[i].image.format(), QImage::Format_RGB888);
        EXPECT_DOUBLE_EQ(frames[i].frameRate, 200);
        if (i > 0) {
            EXPECT_GT(frames[i].timestampUs, frames[i - 1].timestampUs);
        }
    }
    // Consecutive frames carry consecutive counters.
    const QRect counter = PatternDevice::counterArea(QSize(320, 240));
    EXPECT_NE(frames[0].image.copy(counter), frames[1].image.copy(counter));
}

TEST(PatternDevice, CanBeStartedAgainAfterClose) {
    auto device = openPattern(QStringLiteral("fps=200"), QSize(160, 120));
    CollectingSink first;
    device->start(first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.count() >= 2; }, kWaitMs));
    device->close();
    device->open();
    device->setFormat(320, 240);
    CollectingSink second;
    device->start(second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.count() >= 2; }, kWaitMs));
    device->close();
    EXPECT_EQ(second.frames().front().image.size(), QSize(320, 240));
}

TEST(PatternDevice, CounterSitsInTheBottomRightAndIsTheOnlyChangeWithoutNoise) {
    for (const QSize size : {QSize(160, 120), QSize(640, 480), QSize(1920, 1080)}) {
        SCOPED_TRACE(size.width());
        const QRect counter = PatternDevice::counterArea(size);
        EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(counter));
        EXPECT_GT(counter.left(), size.width() / 2);
        EXPECT_GT(counter.top(), size.height() / 2);
    }
    auto device = openPattern(QStringLiteral("noise=0"), QSize(320, 240));
    const QRect counter = PatternDevice::counterArea(QSize(320, 240));
    const QImage a = device->renderFrame(3, 0.0);
    const QImage b = device->renderFrame(4, 0.04);
    const QImage c = device->renderFrame(1234, 10.0);
    EXPECT_EQ(differenceOutside(a, b, counter).differing, 0);
    EXPECT_EQ(differenceOutside(a, c, counter).differing, 0);
    EXPECT_NE(a.copy(counter), b.copy(counter));
    // The scene is a picture, not a flat fill.
    EXPECT_GT(differenceOutside(a, QImage(a.size(), a.format()), counter).largest, 100);
}

TEST(PatternDevice, NoiseStaysWithinItsAmplitudeAndChangesEveryFrame) {
    const QSize size(320, 240);
    const QRect counter = PatternDevice::counterArea(size);
    const QImage clean = openPattern(QStringLiteral("noise=0"), size)->renderFrame(0, 0);
    for (const int amplitude : {1, 3, 8}) {
        SCOPED_TRACE(amplitude);
        auto noisy = openPattern(QStringLiteral("noise=%1").arg(amplitude), size);
        const QImage f5 = noisy->renderFrame(5, 0.2);
        const QImage f6 = noisy->renderFrame(6, 0.24);
        const Difference d = differenceOutside(f5, clean, counter);
        EXPECT_EQ(d.largest, amplitude);
        EXPECT_GT(d.differing, 3 * size.width() * size.height() / 2);
        // Independent from frame to frame, and the same for the same frame.
        EXPECT_GT(differenceOutside(f5, f6, counter).differing, size.width() * size.height());
        EXPECT_EQ(noisy->renderFrame(5, 0.2), f5);
    }
}

TEST(PatternDevice, FigureComesAtTheIntervalAndStaysForTheDuration) {
    const QSize size(320, 240);
    auto device = openPattern(QStringLiteral("noise=0,interval=0.5,duration=0.2"), size);
    const QImage empty = device->renderFrame(0, 0);
    struct Case {
        double time;
        bool present;
    };
    const Case cases[] = {{0.0, false},  {0.45, false}, {0.5, true},  {0.69, true},
                          {0.71, false}, {0.99, false}, {1.05, true}, {20.6, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        const QImage frame = device->renderFrame(1, c.time);
        const double share = darkShare(frame, empty);
        EXPECT_EQ(device->figureArea(size, c.time).isEmpty(), !c.present);
        if (c.present) {
            EXPECT_GE(share, 0.09);
            EXPECT_LE(share, 0.16);
        } else {
            EXPECT_EQ(share, 0);
        }
    }
    // It walks: two moments of one visit put it in different places.
    EXPECT_NE(device->figureArea(size, 0.52), device->figureArea(size, 0.68));
}

TEST(PatternDevice, StreamedFramesShowTheFigureWhenDue) {
    auto device =
        openPattern(QStringLiteral("noise=0,fps=200,interval=0.05,duration=0.03"), QSize(160, 120));
    const QImage empty = device->renderFrame(0, 0);
    CollectingSink sink;
    device->start(sink);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sink.count() >= 60; }, kWaitMs));
    device->close();
    const auto frames = sink.frames();
    EXPECT_EQ(darkShare(frames.front().image, empty), 0);
    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [&](const CapturedFrame& f) {
        return darkShare(f.image, empty) > 0.09;
    }));
}

TEST(PatternDevice, LightOptionAndControlsShiftTheLevel) {
    const QSize size(320, 240);
    const QRect counter = PatternDevice::counterArea(size);
    const double base =
        meanLumaOutside(openPattern(QStringLiteral("noise=0"), size)->renderFrame(0, 0), counter);
    struct Case {
        const char* options;
        int brightness;
        int contrast;
        double low; // expected change of the mean grey level
        double high;
    };
    const Case cases[] = {
        {"noise=0", 0, 100, 0, 0},
        {"noise=0", 40, 100, 30, 40.5},
        {"noise=0", -40, 100, -40.5, -35},
        {"noise=0,bright=-30", 0, 100, -30.5, -25},
        {"noise=0,bright=20", 30, 100, 38, 50.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        SCOPED_TRACE(c.brightness);
        auto device = openPattern(QString::fromUtf8(c.options), size);
        device->setControl(V4L2_CID_BRIGHTNESS, c.brightness);
        device->setControl(V4L2_CID_CONTRAST, c.contrast);
        const double shift = meanLumaOutside(device->renderFrame(0, 0), counter) - base;
        EXPECT_GE(shift, c.low);
        EXPECT_LE(shift, c.high);
    }

    // No contrast leaves one flat grey, here lifted by the (clamped) brightness.
    auto device = openPattern(QStringLiteral("noise=0"), size);
    device->setControl(V4L2_CID_CONTRAST, 0);
    device->setControl(V4L2_CID_BRIGHTNESS, 1000);
    QImage grey(size, QImage::Format_RGB888);
    grey.fill(QColor(192, 192, 192));
    EXPECT_EQ(differenceOutside(device->renderFrame(0, 0), grey, counter).differing, 0);
    const QList<CaptureControl> controls = device->controls();
    ASSERT_EQ(controls.size(), 2);
    EXPECT_EQ(controls[0].id, quint32{V4L2_CID_BRIGHTNESS});
    EXPECT_EQ(controls[0].name, QStringLiteral("Brightness"));
    EXPECT_EQ(controls[0].minimum, -64);
    EXPECT_EQ(controls[0].maximum, 64);
    EXPECT_EQ(controls[0].value, 64); // clamped
    EXPECT_EQ(controls[1].id, quint32{V4L2_CID_CONTRAST});
    EXPECT_EQ(controls[1].maximum, 200);
    EXPECT_EQ(controls[1].defaultValue, 100);
    EXPECT_EQ(controls[1].value, 0);
    EXPECT_THROW(device->setControl(V4L2_CID_HUE, 1), CaptureError);
}

// ---------------------------------------------------------------------------
// The video file

constexpr int kClipFrames = 10;
constexpr int kClipRate = 100;
const QSize kClipSize(160, 120);

QColor clipColour(int frame) {
    return QColor(20 + 20 * frame, 200 - 15 * frame, 90);
}

// Writes a short MPEG-4 AVI of kClipFrames flat frames, frame i in
// clipColour(i); returns an error text, empty on success.
QString writeClip(const QString& path) {
    struct Resources {
        AVFormatContext* format = nullptr;
        AVCodecContext* codec = nullptr;
        AVFrame* frame = nullptr;
        AVPacket* packet = nullptr;
        ~Resources() {
            av_packet_free(&packet);
            av_frame_free(&frame);
            avcodec_free_context(&codec);
            if (format && format->pb)
                avio_closep(&format->pb);
            avformat_free_context(format);
        }
    } r;
    const QByteArray file = QFile::encodeName(path);
    if (avformat_alloc_output_context2(&r.format, nullptr, "avi", file.constData()) < 0)
        return QStringLiteral("no AVI muxer");
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    AVStream* stream = avformat_new_stream(r.format, nullptr);
    r.codec = encoder ? avcodec_alloc_context3(encoder) : nullptr;
    if (!stream || !r.codec)
        return QStringLiteral("no MPEG-4 encoder");
    r.codec->width = kClipSize.width();
    r.codec->height = kClipSize.height();
    r.codec->pix_fmt = AV_PIX_FMT_YUV420P;
    r.codec->time_base = AVRational{1, kClipRate};
    r.codec->framerate = AVRational{kClipRate, 1};
    r.codec->gop_size = 4;
    r.codec->flags |= AV_CODEC_FLAG_QSCALE;
    r.codec->global_quality = 2 * FF_QP2LAMBDA;
    if (avcodec_open2(r.codec, encoder, nullptr) < 0 ||
        avcodec_parameters_from_context(stream->codecpar, r.codec) < 0)
        return QStringLiteral("cannot open the encoder");
    stream->time_base = r.codec->time_base;
    if (avio_open(&r.format->pb, file.constData(), AVIO_FLAG_WRITE) < 0 ||
        avformat_write_header(r.format, nullptr) < 0)
        return QStringLiteral("cannot write ") + path;
    r.frame = av_frame_alloc();
    r.packet = av_packet_alloc();
    r.frame->format = AV_PIX_FMT_YUV420P;
    r.frame->width = kClipSize.width();
    r.frame->height = kClipSize.height();
    if (av_frame_get_buffer(r.frame, 0) < 0)
        return QStringLiteral("no frame buffer");

    auto drain = [&]() {
        while (avcodec_receive_packet(r.codec, r.packet) == 0) {
            av_packet_rescale_ts(r.packet, r.codec->time_base, stream->time_base);
            r.packet->stream_index = stream->index;
            if (av_interleaved_write_frame(r.format, r.packet) < 0)
                return false;
        }
        return true;
    };
    for (int i = 0; i < kClipFrames; ++i) {
        if (av_frame_make_writable(r.frame) < 0)
            return QStringLiteral("frame not writable");
        // BT.601 studio range, as the decoder's scaler expects by default.
        const QColor c = clipColour(i);
        const double R = c.red(), G = c.green(), B = c.blue();
        const int y = static_cast<int>(16 + (65.738 * R + 129.057 * G + 25.064 * B) / 256 + 0.5);
        const int u = static_cast<int>(128 + (-37.945 * R - 74.494 * G + 112.439 * B) / 256 + 0.5);
        const int v = static_cast<int>(128 + (112.439 * R - 94.154 * G - 18.285 * B) / 256 + 0.5);
        for (int row = 0; row < kClipSize.height(); ++row)
            std::memset(r.frame->data[0] + row * r.frame->linesize[0], y, kClipSize.width());
        for (int row = 0; row < kClipSize.height() / 2; ++row) {
            std::memset(r.frame->data[1] + row * r.frame->linesize[1], u, kClipSize.width() / 2);
            std::memset(r.frame->data[2] + row * r.frame->linesize[2], v, kClipSize.width() / 2);
        }
        r.frame->pts = i;
        if (avcodec_send_frame(r.codec, r.frame) < 0 || !drain())
            return QStringLiteral("cannot encode frame %1").arg(i);
    }
    if (avcodec_send_frame(r.codec, nullptr) < 0 || !drain() || av_write_trailer(r.format) < 0)
        return QStringLiteral("cannot finish ") + path;
    return {};
}

bool near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

TEST(FileDevice, PlaysTheFileInALoopAtTheSetSize) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("clip.avi"));
    ASSERT_EQ(writeClip(path), QString());

    auto devices = testDevicesFrom(QStringLiteral("file:") + path);
    ASSERT_EQ(devices.size(), 1u);
    CaptureDevice& device = *devices.front();
    EXPECT_EQ(device.name(), QStringLiteral("Kelvor test file (clip.avi)"));
    device.open();
    const QList<VideoFormat> formats = device.formats();
    // The file's own size, then the usual sizes without repeating it.
    ASSERT_EQ(formats.size(), 6);
    EXPECT_EQ(formats[0].line(), QStringLiteral("RGB24 160x120 to 160x120"));
    EXPECT_EQ(formats[1].line(), QStringLiteral("RGB24 320x240 to 320x240"));
    EXPECT_EQ(formats[5].line(), QStringLiteral("RGB24 1920x1080 to 1920x1080"));
    EXPECT_TRUE(device.controls().isEmpty());
    EXPECT_THROW(device.setControl(V4L2_CID_BRIGHTNESS, 1), CaptureError);

    device.setFormat(80, 60);
    CollectingSink sink;
    device.start(sink);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sink.count() >= 2 * kClipFrames + 5; }, kWaitMs));
    device.close();
    sink.markClosed();
    EXPECT_FALSE(device.isOpen());
    QTest::qWait(50);
    EXPECT_EQ(sink.late(), 0);

    const auto frames = sink.frames();
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        const QImage& image = frames[i].image;
        ASSERT_EQ(image.size(), QSize(80, 60));
        EXPECT_EQ(image.format(), QImage::Format_RGB888);
        EXPECT_DOUBLE_EQ(frames[i].frameRate, kClipRate);
        if (i > 0) {
            EXPECT_GT(frames[i].timestampUs, frames[i - 1].timestampUs);
        }
        // Every frame in file order, starting over after the last.
        const QColor expected = clipColour(static_cast<int>(i % kClipFrames));
        const QColor got = image.pixelColor(40, 30);
        EXPECT_TRUE(near(got, expected, 12))
            << got.name().toStdString() << " vs " << expected.name().toStdString();
    }
}

TEST(FileDevice, ReportsTheRateOfTheFileOnceOpen) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("clip.avi"));
    ASSERT_EQ(writeClip(path), QString());
    FileDevice device(QStringLiteral("file"), path);
    EXPECT_THROW(device.frameRate(), CaptureError);
    device.open();
    EXPECT_DOUBLE_EQ(device.frameRate(), kClipRate);
}

TEST(FileDevice, OpenFailsWithCaptureErrorForWhatCannotBePlayed) {
    TempDir dir;
    const QString text = dir.file(QStringLiteral("notes.avi"));
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is not a video, only some words in a file\n");
    }
    for (const QString& path : {dir.file(QStringLiteral("missing.avi")), text}) {
        SCOPED_TRACE(path.toStdString());
        FileDevice device(QStringLiteral("file"), path);
        try {
            device.open();
            ADD_FAILURE() << "opened";
        } catch (const CaptureError& e) {
            EXPECT_TRUE(QString::fromLocal8Bit(e.what()).contains(path)) << e.what();
        }
        EXPECT_FALSE(device.isOpen());
        EXPECT_THROW(device.formats(), CaptureError);
    }
}

} // namespace
