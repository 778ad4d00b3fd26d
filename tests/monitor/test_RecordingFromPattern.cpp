// A real recording: the test pattern as camera, the FFmpeg writer, the
// monitoring controller; the file is read back with libavformat.
#include "CaptureSystem.h"
#include "ErrorReport.h"
#include "FakeMessageService.h"
#include "FfmpegAviWriter.h"
#include "PatternDevice.h"
#include "RecordingController.h"
#include "TGlobal.h"
#include "Tdbhouse.h"
#include "TempDir.h"
#include "TestSources.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

// Counts the frames that reach the writer.
struct CountingWriter final : AviWriter {
    FfmpegAviWriter real;
    int appended = 0;
    void create(const QString& path, const QString& codec) override { real.create(path, codec); }
    void append(const CapturedFrame& frame) override {
        real.append(frame);
        ++appended;
    }
    void close() override { real.close(); }
    bool isOpen() const override { return real.isOpen(); }
};

struct ReadBack {
    AVCodecID codec = AV_CODEC_ID_NONE;
    unsigned tag = 0;
    int width = 0, height = 0;
    int frames = 0;
    double seconds = 0;
    QImage first; // the first decoded picture
};

ReadBack readBack(const QString& path) {
    ReadBack r;
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return r;
    avformat_find_stream_info(fmt, nullptr);
    const int si = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    AVStream* st = fmt->streams[si];
    r.codec = st->codecpar->codec_id;
    r.tag = st->codecpar->codec_tag;
    r.width = st->codecpar->width;
    r.height = st->codecpar->height;
    r.seconds = st->duration * av_q2d(st->time_base);
    const AVCodec* dec = avcodec_find_decoder(r.codec);
    AVCodecContext* ctx = avcodec_alloc_context3(dec);
    avcodec_parameters_to_context(ctx, st->codecpar);
    avcodec_open2(ctx, dec, nullptr);
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&] {
        while (avcodec_receive_frame(ctx, frame) == 0) {
            if (r.frames++ == 0) {
                r.first = QImage(frame->width, frame->height, QImage::Format_RGB888);
                SwsContext* sws = sws_getContext(frame->width, frame->height,
                                                 static_cast<AVPixelFormat>(frame->format),
                                                 frame->width, frame->height, AV_PIX_FMT_RGB24,
                                                 SWS_POINT, nullptr, nullptr, nullptr);
                uint8_t* dst[1] = {r.first.bits()};
                int stride[1] = {static_cast<int>(r.first.bytesPerLine())};
                sws_scale(sws, frame->data, frame->linesize, 0, frame->height, dst, stride);
                sws_freeContext(sws);
            }
        }
    };
    while (av_read_frame(fmt, pkt) >= 0) {
        // Empty chunks only repeat the previous picture in time.
        if (pkt->stream_index == si && pkt->size > 0) {
            avcodec_send_packet(ctx, pkt);
            drain();
        }
        av_packet_unref(pkt);
    }
    avcodec_send_packet(ctx, nullptr);
    drain();
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&ctx);
    avformat_close_input(&fmt);
    return r;
}

struct Pattern : ::testing::TestWithParam<const char*> {};

TEST_P(Pattern, ARecordingHoldsEveryStampedFrameAndPlaysAsLongAsItWasRecorded) {
    TempDir dir;
    TGlobal global(dir.file(QStringLiteral("kelvor")));
    layOutProgramFolder(dir, {"avi"});
    Tdbhouse db;
    ASSERT_TRUE(db.open(dir.folder()));
    global.strzxylj = dir.file(QStringLiteral("avi"));
    global.strgs = QString::fromUtf8(GetParam());
    SystemClock clock;
    FakeMessageService messages;
    ErrorReport errors(clock);
    CountingWriter writer;
    CaptureSystem capture([] { return testDevicesFrom(QStringLiteral("pattern:fps=25")); });
    RecordingController rc(global, db, capture, writer, clock, messages, errors);
    rc.refillDevices();

    rc.pressSpeedButton3();
    ASSERT_TRUE(writer.isOpen());
    QElapsedTimer wall;
    wall.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return writer.appended > 0; }, 5000));
    const qint64 firstMs = wall.elapsed();
    QTest::qWait(2500);
    rc.pressSpeedButton3();
    const double recorded = (wall.elapsed() - firstMs) / 1000.0;
    ASSERT_FALSE(writer.isOpen());
    EXPECT_TRUE(errors.entries().isEmpty());

    const QStringList files = QDir(dir.file(QStringLiteral("avi"))).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const ReadBack r = readBack(dir.file(QStringLiteral("avi/") + files[0]));
    if (global.strgs == QStringLiteral("msvc")) {
        EXPECT_EQ(r.codec, AV_CODEC_ID_MSVIDEO1);
    } else {
        EXPECT_EQ(r.codec, AV_CODEC_ID_MPEG4);
        EXPECT_EQ(r.tag, MKTAG('X', 'V', 'I', 'D'));
    }
    EXPECT_EQ(r.width, 320);
    EXPECT_EQ(r.height, 240);
    EXPECT_EQ(r.frames, writer.appended);
    EXPECT_GT(writer.appended, 40) << "about 25 frames a second";
    EXPECT_NEAR(r.seconds, recorded, 0.5) << "plays as long as it was recorded";

    // The burned-in stamp: bright pixels in the top-left corner, where the
    // test scene itself is not bright.
    ASSERT_FALSE(r.first.isNull());
    auto brightInCorner = [](const QImage& img) {
        int n = 0;
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 120; ++x)
                n += qGray(img.pixel(x, y)) > 200;
        return n;
    };
    PatternDevice scene(QStringLiteral("scene"), PatternDevice::Options{});
    scene.open();
    scene.setFormat(320, 240);
    const int unstamped = brightInCorner(scene.renderFrame(0, 0));
    EXPECT_GT(brightInCorner(r.first), unstamped + 40);
}

INSTANTIATE_TEST_SUITE_P(Codecs, Pattern, ::testing::Values("msvc", "Xvid"));

} // namespace
