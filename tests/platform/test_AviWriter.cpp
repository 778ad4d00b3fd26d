#include "CaptureDevice.h"
#include "FfmpegAviWriter.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr unsigned fourcc(char a, char b, char c, char d) {
    return static_cast<unsigned char>(a) |
           static_cast<unsigned>(static_cast<unsigned char>(b)) << 8 |
           static_cast<unsigned>(static_cast<unsigned char>(c)) << 16 |
           static_cast<unsigned>(static_cast<unsigned char>(d)) << 24;
}

// What libavformat and libavcodec find in a file.
struct ReadBack {
    bool opened = false;
    AVCodecID codecId = AV_CODEC_ID_NONE;
    unsigned codecTag = 0;
    int width = 0;
    int height = 0;
    double durationSeconds = 0;
    int indexEntries = 0;
    std::vector<int64_t> pts;     // of each decoded frame, in frames
    std::vector<QImage> pictures; // the decoded frames asked for, as RGB888
};

// Reads and decodes every frame of `path`. The pictures of the frames whose
// numbers are in `keep` are returned.
ReadBack readAvi(const QString& path, const std::vector<int>& keep = {}) {
    ReadBack result;
    AVFormatContext* format = nullptr;
    const QByteArray url = "file:" + QFile::encodeName(path);
    if (avformat_open_input(&format, url.constData(), nullptr, nullptr) < 0)
        return result;
    if (avformat_find_stream_info(format, nullptr) < 0 || format->nb_streams != 1) {
        avformat_close_input(&format);
        return result;
    }
    result.opened = true;
    AVStream* stream = format->streams[0];
    result.codecId = stream->codecpar->codec_id;
    result.codecTag = stream->codecpar->codec_tag;
    result.width = stream->codecpar->width;
    result.height = stream->codecpar->height;
    result.durationSeconds = static_cast<double>(stream->duration) * av_q2d(stream->time_base);
    result.indexEntries = avformat_index_get_entries_count(stream);

    const AVCodec* codec = avcodec_find_decoder(result.codecId);
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(decoder, stream->codecpar);
    avcodec_open2(decoder, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* toRgb = nullptr;

    auto receive = [&] {
        while (avcodec_receive_frame(decoder, frame) == 0) {
            const int number = static_cast<int>(result.pts.size());
            result.pts.push_back(av_rescale_q(frame->best_effort_timestamp, stream->time_base,
                                              av_inv_q(stream->avg_frame_rate)));
            if (std::find(keep.begin(), keep.end(), number) != keep.end()) {
                // A line more than the picture: swscale writes past the end
                // of the last line.
                QImage rgb(frame->width, frame->height + 1, QImage::Format_RGB888);
                toRgb = sws_getCachedContext(toRgb, frame->width, frame->height,
                                             static_cast<AVPixelFormat>(frame->format),
                                             frame->width, frame->height, AV_PIX_FMT_RGB24,
                                             SWS_POINT, nullptr, nullptr, nullptr);
                uint8_t* planes[] = {rgb.bits()};
                const int strides[] = {static_cast<int>(rgb.bytesPerLine())};
                sws_scale(toRgb, frame->data, frame->linesize, 0, frame->height, planes, strides);
                result.pictures.push_back(rgb.copy(0, 0, frame->width, frame->height));
            }
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        // Empty chunks stand for "repeat the previous frame"; an empty packet
        // would end the decoder's stream.
        if (packet->size > 0) {
            avcodec_send_packet(decoder, packet);
            receive();
        }
        av_packet_unref(packet);
    }
    avcodec_send_packet(decoder, nullptr);
    receive();

    sws_freeContext(toRgb);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
    return result;
}

// A grey picture with a bright bar whose place changes with `n`, so that
// every frame differs from the one before.
QImage picture(int width, int height, int n = 0) {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColor(90, 100, 110));
    QPainter painter(&image);
    painter.fillRect((n * 7) % width, height / 2, 10, 10, QColor(250, 200, 50));
    return image;
}

CapturedFrame frameAt(const QImage& image, qint64 timestampUs, double rate) {
    return CapturedFrame{image, timestampUs, rate};
}

// Appends `count` frames of `width` x `height` stamped at `rate` frames per
// second from `startUs`.
void appendFrames(FfmpegAviWriter& writer, int count, double rate, qint64 startUs = 0,
                  int width = 160, int height = 120) {
    for (int i = 0; i < count; ++i)
        writer.append(
            frameAt(picture(width, height, i), startUs + std::llround(i * 1e6 / rate), rate));
}

std::vector<int64_t> range(int64_t from, int64_t to) {
    std::vector<int64_t> values;
    for (int64_t v = from; v < to; ++v)
        values.push_back(v);
    return values;
}

struct CodecCase {
    const char* code;
    AVCodecID id;
    unsigned tag;
};

void PrintTo(const CodecCase& c, std::ostream* out) {
    *out << c.code;
}

std::string codecName(const testing::TestParamInfo<CodecCase>& info) {
    return info.param.code;
}

class AviWriterCodec : public testing::TestWithParam<CodecCase> {
protected:
    QString code() const { return QString::fromLatin1(GetParam().code); }
    QString file(const char* name) const { return m_dir.file(QString::fromLatin1(name)); }

    TempDir m_dir;
    FfmpegAviWriter m_writer;
};

INSTANTIATE_TEST_SUITE_P(
    BothCodecs, AviWriterCodec,
    testing::Values(CodecCase{"msvc", AV_CODEC_ID_MSVIDEO1, fourcc('M', 'S', 'V', 'C')},
                    CodecCase{"Xvid", AV_CODEC_ID_MPEG4, fourcc('X', 'V', 'I', 'D')}),
    codecName);

TEST_P(AviWriterCodec, WritesEveryFrameAtItsCaptureTime) {
    const QString path = file("steady.avi");
    m_writer.create(path, code());
    EXPECT_TRUE(m_writer.isOpen());
    appendFrames(m_writer, 50, 10.0, 123'456'789);
    m_writer.close();
    EXPECT_FALSE(m_writer.isOpen());

    const ReadBack avi = readAvi(path);
    ASSERT_TRUE(avi.opened);
    EXPECT_EQ(avi.codecId, GetParam().id);
    EXPECT_EQ(avi.codecTag, GetParam().tag);
    EXPECT_EQ(avi.width, 160);
    EXPECT_EQ(avi.height, 120);
    EXPECT_EQ(avi.pts, range(0, 50));
    EXPECT_DOUBLE_EQ(avi.durationSeconds, 5.0);
    EXPECT_GT(avi.indexEntries, 0);
}

TEST_P(AviWriterCodec, AGapInTheFramesKeepsRealTime) {
    // 25 frames at 10 fps, then the camera stalls for 2 s, then 25 more.
    const QString path = file("gap.avi");
    m_writer.create(path, code());
    appendFrames(m_writer, 25, 10.0, 0);
    appendFrames(m_writer, 25, 10.0, 4'500'000);
    m_writer.close();

    const ReadBack avi = readAvi(path);
    ASSERT_TRUE(avi.opened);
    std::vector<int64_t> expected = range(0, 25);
    const std::vector<int64_t> after = range(45, 70);
    expected.insert(expected.end(), after.begin(), after.end());
    EXPECT_EQ(avi.pts, expected);
    EXPECT_DOUBLE_EQ(avi.durationSeconds, 7.0);
}

TEST_P(AviWriterCodec, TheBurnedInStampSurvives) {
    // A white block where the date and time go, on a dark picture.
    QImage image(160, 120, QImage::Format_RGB888);
    image.fill(QColor(40, 40, 40));
    QPainter(&image).fillRect(0, 0, 48, 16, Qt::white);

    const QString path = file("stamp.avi");
    m_writer.create(path, code());
    for (int i = 0; i < 10; ++i)
        m_writer.append(frameAt(image, i * 100'000, 10.0));
    m_writer.close();

    const ReadBack avi = readAvi(path, {0, 9});
    ASSERT_EQ(avi.pictures.size(), 2u);
    for (const QImage& decoded : avi.pictures) {
        for (const QPoint p : {QPoint(1, 1), QPoint(24, 8), QPoint(44, 13)})
            EXPECT_GE(qGray(decoded.pixel(p)), 230) << p.x() << "," << p.y();
        for (const QPoint p : {QPoint(60, 8), QPoint(24, 30), QPoint(100, 100)})
            EXPECT_LE(qGray(decoded.pixel(p)), 60) << p.x() << "," << p.y();
    }
}

TEST_P(AviWriterCodec, IsReadableBeforeItIsClosed) {
    // What a crash leaves behind: the file as it is before the index is
    // written.
    const QString path = file("open.avi");
    const QString copy = file("copy.avi");
    m_writer.create(path, code());
    appendFrames(m_writer, 20, 10.0);
    m_writer.drain();
    ASSERT_TRUE(QFile::copy(path, copy));
    m_writer.close();

    const ReadBack avi = readAvi(copy);
    ASSERT_TRUE(avi.opened);
    EXPECT_EQ(avi.codecId, GetParam().id);
    EXPECT_GE(avi.pts.size(), 19u);
}

TEST_P(AviWriterCodec, LaterFramesOfAnotherSizeAreScaled) {
    const QString path = file("sizes.avi");
    m_writer.create(path, code());
    m_writer.append(frameAt(picture(160, 120), 0, 10.0));
    QImage big(320, 240, QImage::Format_RGB888);
    big.fill(Qt::white);
    m_writer.append(frameAt(big, 100'000, 10.0));
    m_writer.append(frameAt(picture(80, 60), 200'000, 10.0));
    m_writer.close();

    const ReadBack avi = readAvi(path, {1});
    EXPECT_EQ(avi.width, 160);
    EXPECT_EQ(avi.height, 120);
    EXPECT_EQ(avi.pts, range(0, 3));
    ASSERT_EQ(avi.pictures.size(), 1u);
    EXPECT_GE(qGray(avi.pictures[0].pixel(80, 60)), 230);
    EXPECT_GE(qGray(avi.pictures[0].pixel(159, 119)), 230);
}

// Sizes the encoder cannot take are padded on the right and at the bottom
// with the picture's last column and row; the picture itself is not scaled.
TEST(AviWriterSize, PadsSizesTheEncoderCannotTake) {
    struct Case {
        const char* code;
        int width, height;
        int fileWidth, fileHeight;
    };
    const Case cases[] = {
        {"msvc", 160, 120, 160, 120},
        {"msvc", 158, 117, 160, 120},
        {"Xvid", 158, 118, 158, 118},
        {"Xvid", 157, 117, 158, 118},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " " << c.width << "x" << c.height);
        // White with a black top-left block whose edges fall on block
        // boundaries of both codecs.
        QImage image(c.width, c.height, QImage::Format_RGB888);
        image.fill(Qt::white);
        QPainter(&image).fillRect(0, 0, 80, 48, Qt::black);

        TempDir dir;
        const QString path = dir.file(QStringLiteral("size.avi"));
        FfmpegAviWriter writer;
        writer.create(path, QString::fromLatin1(c.code));
        writer.append(frameAt(image, 0, 10.0));
        writer.close();

        const ReadBack avi = readAvi(path, {0});
        EXPECT_EQ(avi.width, c.fileWidth);
        EXPECT_EQ(avi.height, c.fileHeight);
        ASSERT_EQ(avi.pictures.size(), 1u);
        const QImage& decoded = avi.pictures[0];
        const auto grey = [&](int x, int y) {
            return qGray(decoded.pixel(x, y));
        };
        EXPECT_LE(grey(76, 44), 60);
        EXPECT_GE(grey(84, 44), 200);
        EXPECT_GE(grey(76, 52), 200);
        // The last column and row of the picture, and the padding after them.
        for (int x = c.width - 1; x < c.fileWidth; ++x)
            EXPECT_GE(grey(x, 10), 200) << "column " << x;
        for (int y = c.height - 1; y < c.fileHeight; ++y)
            EXPECT_GE(grey(10, y), 200) << "row " << y;
    }
}

// The first frame's rate, rounded to whole frames per second, is the file's
// rate; frames stamped at that rate fill the file without gaps.
TEST(AviWriterRate, TheFirstFrameSetsTheRate) {
    struct Case {
        double deliveredRate;
        double stampRate; // the rate the stamps are spaced at
        int fileRate;
        int frames;
    };
    const Case cases[] = {
        {10.0, 10.0, 10, 20}, {30.0, 30.0, 30, 30}, {29.97, 29.97, 30, 30},
        {7.5, 8.0, 8, 16},    {0.0, 25.0, 25, 25}, // the device does not say: 25
        {0.3, 1.0, 1, 3},                          // at least one frame per second
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "delivered " << c.deliveredRate);
        TempDir dir;
        const QString path = dir.file(QStringLiteral("rate.avi"));
        FfmpegAviWriter writer;
        writer.create(path, QStringLiteral("Xvid"));
        for (int i = 0; i < c.frames; ++i)
            writer.append(frameAt(picture(160, 120, i), std::llround(i * 1e6 / c.stampRate),
                                  c.deliveredRate));
        writer.close();

        const ReadBack avi = readAvi(path);
        EXPECT_EQ(avi.pts, range(0, c.frames));
        EXPECT_NEAR(avi.durationSeconds, static_cast<double>(c.frames) / c.fileRate, 1e-9);
    }
}

TEST(AviWriterRate, ACameraSlowerThanItsRatePlaysInRealTime) {
    // A "30 fps" camera that delivers 27 frames a second, with jitter, for a
    // minute.
    TempDir dir;
    const QString path = dir.file(QStringLiteral("slow.avi"));
    FfmpegAviWriter writer;
    writer.create(path, QStringLiteral("Xvid"));
    constexpr int kFrames = 60 * 27;
    for (int i = 0; i < kFrames; ++i) {
        const qint64 jitterUs = (i * 7919) % 11'000 - 5'000;
        writer.append(
            frameAt(picture(160, 120, i), std::llround(i * 1e6 / 27) + jitterUs + 5'000, 30.0));
    }
    writer.close();

    const ReadBack avi = readAvi(path);
    EXPECT_EQ(avi.pts.size(), static_cast<size_t>(kFrames));
    EXPECT_NEAR(avi.durationSeconds, 60.0, 1.0);
}

TEST(AviWriterRate, FramesAreNeverDroppedOrReordered) {
    // Stamps that collide, run backwards or come too early still give one
    // frame each, one frame apart at the least.
    const qint64 stamps[] = {0, 100'000, 100'000, 50'000, 230'000, 240'000, 600'000};
    const std::vector<int64_t> expected = {0, 1, 2, 3, 4, 5, 6};
    TempDir dir;
    const QString path = dir.file(QStringLiteral("order.avi"));
    FfmpegAviWriter writer;
    writer.create(path, QStringLiteral("Xvid"));
    int n = 0;
    for (const qint64 stamp : stamps)
        writer.append(frameAt(picture(160, 120, n++), stamp, 10.0));
    writer.close();
    EXPECT_EQ(readAvi(path).pts, expected);
}

TEST(AviWriterRate, ALongStallShortensTheGapInsteadOfFailing) {
    // The AVI muxer fills at most 60000 missing frames at once, and MPEG-4
    // cannot code more than an hour between two frames.
    struct Case {
        const char* code;
        int rate;
        int64_t gapFrames;
    };
    const Case cases[] = {
        {"Xvid", 1, 3599}, {"Xvid", 30, 60000}, {"msvc", 1, 3599}, {"msvc", 30, 60000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " at " << c.rate);
        TempDir dir;
        const QString path = dir.file(QStringLiteral("stall.avi"));
        FfmpegAviWriter writer;
        writer.create(path, QString::fromLatin1(c.code));
        const qint64 frameUs = 1'000'000 / c.rate;
        const qint64 stalledUs = 100'000'000'000; // a day and more
        writer.append(frameAt(picture(160, 120, 0), 0, c.rate));
        writer.append(frameAt(picture(160, 120, 1), frameUs, c.rate));
        writer.append(frameAt(picture(160, 120, 2), stalledUs, c.rate));
        writer.append(frameAt(picture(160, 120, 3), stalledUs + frameUs, c.rate));
        writer.close();
        const std::vector<int64_t> expected = {0, 1, 1 + c.gapFrames, 2 + c.gapFrames};
        EXPECT_EQ(readAvi(path).pts, expected);
    }
}

class AviWriterFile : public testing::Test {
protected:
    QString file(const char* name) const { return m_dir.file(QString::fromLatin1(name)); }

    TempDir m_dir;
    FfmpegAviWriter m_writer;
};

TEST_F(AviWriterFile, AnUnknownCodecThrowsBeforeTouchingTheDisk) {
    const QString fresh = file("fresh.avi");
    const QString existing = file("existing.avi");
    QFile old(existing);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("keep me");
    old.close();

    for (const char* code : {"", "MSVC", "xvid", "XVID", "h264", "msvc "}) {
        SCOPED_TRACE(code);
        EXPECT_THROW(m_writer.create(fresh, QString::fromLatin1(code)), AviError);
        EXPECT_THROW(m_writer.create(existing, QString::fromLatin1(code)), AviError);
        EXPECT_FALSE(m_writer.isOpen());
        EXPECT_FALSE(QFileInfo::exists(fresh));
        EXPECT_EQ(QFileInfo(existing).size(), 7);
    }
}

TEST_F(AviWriterFile, APathThatCannotBeMadeThrowsAtCreate) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.avi")));
    for (const QString& path : {file("missing/rec.avi"), file("folder.avi")}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_THROW(m_writer.create(path, QStringLiteral("msvc")), AviError);
        EXPECT_FALSE(m_writer.isOpen());
    }
    EXPECT_TRUE(QFileInfo(file("folder.avi")).isDir());
}

TEST_F(AviWriterFile, CreateReplacesAnExistingFile) {
    const QString path = file("again.avi");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(4 << 20, 'x'));
    old.close();

    m_writer.create(path, QStringLiteral("Xvid"));
    appendFrames(m_writer, 5, 10.0);
    m_writer.close();

    EXPECT_LT(QFileInfo(path).size(), 1 << 20);
    EXPECT_EQ(readAvi(path).pts, range(0, 5));
}

TEST_F(AviWriterFile, WithoutARecordingAppendAndCloseDoNothing) {
    EXPECT_NO_THROW(m_writer.close());
    EXPECT_NO_THROW(m_writer.append(frameAt(picture(160, 120), 0, 10.0)));
    EXPECT_FALSE(m_writer.isOpen());
    EXPECT_TRUE(QDir(m_dir.path()).isEmpty());
}

TEST_F(AviWriterFile, ARecordingWithoutFramesLeavesNoFile) {
    const QString path = file("empty.avi");
    m_writer.create(path, QStringLiteral("msvc"));
    EXPECT_TRUE(m_writer.isOpen());
    m_writer.close();
    EXPECT_FALSE(m_writer.isOpen());
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(AviWriterFile, CreateWhileOpenFinishesThePreviousRecording) {
    const QString first = file("first.avi");
    const QString second = file("second.avi");
    m_writer.create(first, QStringLiteral("Xvid"));
    appendFrames(m_writer, 12, 10.0);
    m_writer.create(second, QStringLiteral("msvc"));
    appendFrames(m_writer, 4, 10.0);
    m_writer.close();

    const ReadBack one = readAvi(first);
    EXPECT_EQ(one.codecId, AV_CODEC_ID_MPEG4);
    EXPECT_EQ(one.pts, range(0, 12));
    EXPECT_DOUBLE_EQ(one.durationSeconds, 1.2);
    EXPECT_GT(one.indexEntries, 0);
    const ReadBack two = readAvi(second);
    EXPECT_EQ(two.codecId, AV_CODEC_ID_MSVIDEO1);
    EXPECT_EQ(two.pts, range(0, 4));
}

TEST_F(AviWriterFile, AWriteErrorIsReportedAndTheWriterRecovers) {
    // A file on a full disk: every write fails with "no space left".
    const QString full = file("full.avi");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), full));
    m_writer.create(full, QStringLiteral("msvc"));
    m_writer.append(frameAt(picture(160, 120), 0, 10.0));
    EXPECT_THROW(m_writer.drain(), AviError);
    EXPECT_THROW(m_writer.append(frameAt(picture(160, 120), 100'000, 10.0)), AviError);
    EXPECT_THROW(m_writer.close(), AviError);
    EXPECT_FALSE(m_writer.isOpen());
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("/dev/full")));

    const QString path = file("after.avi");
    m_writer.create(path, QStringLiteral("msvc"));
    appendFrames(m_writer, 3, 10.0);
    m_writer.close();
    EXPECT_EQ(readAvi(path).pts, range(0, 3));
}

// The Xvid settings against their aim: a still 640x480 scene with camera
// noise and a white date-time text takes at most 60 MB per hour at 25 fps,
// and the text of each second is still there to read.
class StillScene {
public:
    StillScene() : m_base(640, 480, QImage::Format_RGB888) {
        QPainter painter(&m_base);
        QLinearGradient wall(0, 0, 0, 480);
        wall.setColorAt(0, QColor(170, 175, 180));
        wall.setColorAt(1, QColor(70, 65, 60));
        painter.fillRect(m_base.rect(), wall);
        painter.fillRect(384, 60, 160, 240, QColor(90, 70, 50));
        painter.fillRect(64, 96, 160, 120, QColor(200, 220, 235));
        painter.setPen(QPen(QColor(60, 60, 60), 3));
        for (int x = 64; x <= 224; x += 53)
            painter.drawLine(x, 96, x, 216);
        for (int i = 0; i < 20; ++i)
            painter.fillRect(32 + i * 9, 240, 7, 30 + (i * 7) % 15,
                             QColor::fromHsv((i * 37) % 360, 150, 160));
        painter.end();
        // A fixed fine texture over everything (+-12 levels in 3-pixel cells).
        quint32 seed = 11;
        for (int y = 0; y < 480; y += 3)
            for (int x = 0; x < 640; x += 3) {
                const int offset = static_cast<int>(next(seed) % 25) - 12;
                for (int dy = 0; dy < 3 && y + dy < 480; ++dy)
                    for (int dx = 0; dx < 3 && x + dx < 640; ++dx)
                        shift(m_base.scanLine(y + dy) + (x + dx) * 3, offset);
            }
    }

    // The picture of second `second` without noise.
    QImage clean(int second) const {
        QImage image = m_base.copy();
        QPainter painter(&image);
        QFont font = painter.font();
        font.setPixelSize(16);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(
            8, 20, QStringLiteral("2024-05-17 14:03:%1").arg(second, 2, 10, QLatin1Char('0')));
        return image;
    }

    // `clean` with new grey noise of +-3 levels on every pixel.
    QImage noisy(const QImage& clean) {
        QImage image = clean.copy();
        for (int y = 0; y < image.height(); ++y) {
            uchar* line = image.scanLine(y);
            for (int x = 0; x < image.width(); ++x)
                shift(line + x * 3, static_cast<int>(next(m_noise) % 7) - 3);
        }
        return image;
    }

private:
    static quint32 next(quint32& state) {
        state = state * 1664525u + 1013904223u;
        return state >> 16;
    }
    static void shift(uchar* rgb, int offset) {
        for (int c = 0; c < 3; ++c)
            rgb[c] = static_cast<uchar>(std::clamp(rgb[c] + offset, 0, 255));
    }

    QImage m_base;
    quint32 m_noise = 1;
};

double psnr(const QImage& a, const QImage& b, const QRect& area) {
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const double d = qGray(a.pixel(x, y)) - qGray(b.pixel(x, y));
            sum += d * d;
        }
    const double mse = sum / (area.width() * area.height());
    return 10 * std::log10(255.0 * 255.0 / std::max(mse, 1e-9));
}

// The smallest rectangle that holds every pixel where `a` and `b` differ.
QRect difference(const QImage& a, const QImage& b) {
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(AviWriterXvid, AStillNoisySceneStaysSmallAndTheStampReadable) {
    constexpr int kRate = 25;
    constexpr int kSeconds = 10; // one key-frame interval
    StillScene scene;
    TempDir dir;
    const QString path = dir.file(QStringLiteral("still.avi"));
    FfmpegAviWriter writer;
    writer.create(path, QStringLiteral("Xvid"));
    std::vector<QImage> seconds;
    for (int s = 0; s < kSeconds; ++s) {
        seconds.push_back(scene.clean(s));
        for (int f = 0; f < kRate; ++f)
            writer.append(frameAt(scene.noisy(seconds.back()), (s * kRate + f) * 40'000, kRate));
    }
    writer.close();

    const double megabytesPerHour =
        static_cast<double>(QFileInfo(path).size()) / kSeconds * 3600 / 1e6;
    EXPECT_LE(megabytesPerHour, 60.0);

    // The first frame of every second shows that second's stamp.
    std::vector<int> firsts;
    for (int s = 0; s < kSeconds; ++s)
        firsts.push_back(s * kRate);
    const ReadBack avi = readAvi(path, firsts);
    EXPECT_EQ(avi.pts.size(), static_cast<size_t>(kSeconds * kRate));
    ASSERT_EQ(avi.pictures.size(), firsts.size());
    const QRect stamp(0, 0, 200, 26);
    for (int s = 0; s < kSeconds; ++s) {
        SCOPED_TRACE(s);
        EXPECT_GE(psnr(avi.pictures[s], seconds[s], stamp), 30.0);
        if (s > 0) {
            // Where this second's text differs from the last one's, the
            // picture is this second's.
            const QRect changed = difference(seconds[s], seconds[s - 1]);
            EXPECT_GT(psnr(avi.pictures[s], seconds[s], changed),
                      psnr(avi.pictures[s], seconds[s - 1], changed) + 6);
        }
    }
}

} // namespace
