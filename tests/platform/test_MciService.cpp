#include "MciService.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
}

namespace {

constexpr int kWaitMs = 10000;

// Encodes every frame the encoder gives back into the file.
void drainPackets(AVCodecContext* encoder, AVFormatContext* format, AVStream* stream,
                  AVPacket* packet) {
    while (avcodec_receive_packet(encoder, packet) == 0) {
        av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        av_interleaved_write_frame(format, packet);
    }
}

// Opens the output and its one stream for `encoder`, with `title` in the
// file's metadata when given; false on failure.
bool startOutput(const QString& path, const char* muxer, AVCodecContext* encoder,
                 AVFormatContext*& format, AVStream*& stream, AVDictionary** muxerOptions,
                 const char* title = nullptr) {
    const QByteArray file = QFile::encodeName(path);
    if (avformat_alloc_output_context2(&format, nullptr, muxer, file.constData()) < 0)
        return false;
    if (title)
        av_dict_set(&format->metadata, "title", title, 0);
    stream = avformat_new_stream(format, nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, encoder) < 0)
        return false;
    stream->time_base = encoder->time_base;
    return avio_open(&format->pb, file.constData(), AVIO_FLAG_WRITE) >= 0 &&
           avformat_write_header(format, muxerOptions) >= 0;
}

void finishOutput(AVFormatContext* format) {
    if (format->pb) {
        av_write_trailer(format);
        avio_closep(&format->pb);
    }
    avformat_free_context(format);
}

// An MPEG-4 AVI of `frames` frames of 64 x 48 at `rate` frames a second.
bool writeVideo(const QString& path, int frames, int rate = 10) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    AVCodecContext* encoder = avcodec_alloc_context3(codec);
    encoder->width = 64;
    encoder->height = 48;
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->time_base = AVRational{1, rate};
    encoder->framerate = AVRational{rate, 1};
    encoder->gop_size = 5;
    AVFormatContext* format = nullptr;
    AVStream* stream = nullptr;
    bool ok = avcodec_open2(encoder, codec, nullptr) >= 0 &&
              startOutput(path, "avi", encoder, format, stream, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    for (int i = 0; ok && i < frames; ++i) {
        frame->width = 64;
        frame->height = 48;
        frame->format = AV_PIX_FMT_YUV420P;
        ok = av_frame_get_buffer(frame, 0) >= 0;
        if (!ok)
            break;
        for (int y = 0; y < 48; ++y)
            std::memset(frame->data[0] + y * frame->linesize[0], 16 + (i * 11 + y) % 200, 64);
        for (int p = 1; p < 3; ++p)
            for (int y = 0; y < 24; ++y)
                std::memset(frame->data[p] + y * frame->linesize[p], 128, 32);
        frame->pts = i;
        ok = avcodec_send_frame(encoder, frame) >= 0;
        av_frame_unref(frame);
        drainPackets(encoder, format, stream, packet);
    }
    if (ok) {
        avcodec_send_frame(encoder, nullptr);
        drainPackets(encoder, format, stream, packet);
    }
    if (format)
        finishOutput(format);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&encoder);
    return ok;
}

// An MP3 of a 440 Hz tone; with `title`, libavformat appends an ID3v1 tag.
bool writeMp3(const QString& path, double seconds, const char* title) {
    const AVCodec* codec = avcodec_find_encoder_by_name("libmp3lame");
    if (!codec)
        return false;
    AVCodecContext* encoder = avcodec_alloc_context3(codec);
    encoder->sample_rate = 22050;
    encoder->sample_fmt = AV_SAMPLE_FMT_S16P;
    encoder->bit_rate = 32000;
    av_channel_layout_default(&encoder->ch_layout, 1);
    encoder->time_base = AVRational{1, encoder->sample_rate};
    AVFormatContext* format = nullptr;
    AVStream* stream = nullptr;
    AVDictionary* options = nullptr;
    if (title)
        av_dict_set(&options, "write_id3v1", "1", 0);
    bool ok = avcodec_open2(encoder, codec, nullptr) >= 0 &&
              startOutput(path, "mp3", encoder, format, stream, &options, title);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const int total = static_cast<int>(seconds * encoder->sample_rate);
    for (int done = 0; ok && done < total; done += encoder->frame_size) {
        frame->nb_samples = encoder->frame_size;
        frame->format = encoder->sample_fmt;
        frame->sample_rate = encoder->sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout);
        ok = av_frame_get_buffer(frame, 0) >= 0;
        if (!ok)
            break;
        auto* samples = reinterpret_cast<int16_t*>(frame->data[0]);
        for (int i = 0; i < frame->nb_samples; ++i)
            samples[i] = static_cast<int16_t>(
                8000 * std::sin(2 * M_PI * 440 * (done + i) / encoder->sample_rate));
        frame->pts = done;
        ok = avcodec_send_frame(encoder, frame) >= 0;
        av_frame_unref(frame);
        drainPackets(encoder, format, stream, packet);
    }
    if (ok) {
        avcodec_send_frame(encoder, nullptr);
        drainPackets(encoder, format, stream, packet);
    }
    if (format)
        finishOutput(format);
    av_dict_free(&options);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&encoder);
    return ok;
}

void put16(QByteArray& out, int v) {
    out.append(static_cast<char>(v & 0xff));
    out.append(static_cast<char>((v >> 8) & 0xff));
}
void put32(QByteArray& out, qint64 v) {
    put16(out, static_cast<int>(v & 0xffff));
    put16(out, static_cast<int>((v >> 16) & 0xffff));
}

// A 16-bit stereo WAV of `seconds` at 8000 samples a second: a tone on the
// left, silence on the right.
bool writeWav(const QString& path, int seconds) {
    const int rate = 8000;
    const int samples = rate * seconds;
    QByteArray data;
    for (int i = 0; i < samples; ++i) {
        put16(data, static_cast<int>(8000 * std::sin(2 * M_PI * 440 * i / rate)));
        put16(data, 0);
    }
    QByteArray wav("RIFF");
    put32(wav, 36 + data.size());
    wav.append("WAVEfmt ");
    put32(wav, 16);
    put16(wav, 1);
    put16(wav, 2);
    put32(wav, rate);
    put32(wav, rate * 4);
    put16(wav, 4);
    put16(wav, 16);
    wav.append("data");
    put32(wav, data.size());
    wav.append(data);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

// The media files of all tests, made once.
struct Files {
    TempDir dir;
    QString video2s;   // 20 frames at 10 fps
    QString video1s;   // 10 frames at 10 fps
    QString blanks;    // the 1-second video in a folder and file with blanks
    QString wav;       // 1 s stereo
    QString mp3Tagged; // 1 s with an ID3v1 tag
    QString mp3Plain;  // 1 s without
    QString text;      // not media at all
};

Files& files() {
    static Files* f = [] {
        auto* made = new Files;
        made->video2s = made->dir.file(QStringLiteral("clip2s.avi"));
        made->video1s = made->dir.file(QStringLiteral("clip1s.avi"));
        QDir(made->dir.path()).mkdir(QStringLiteral("Video Files"));
        made->blanks = made->dir.file(QStringLiteral("Video Files/Record One.AVI"));
        made->wav = made->dir.file(QStringLiteral("tone.wav"));
        made->mp3Tagged = made->dir.file(QStringLiteral("tagged.mp3"));
        made->mp3Plain = made->dir.file(QStringLiteral("plain.mp3"));
        made->text = made->dir.file(QStringLiteral("notes.avi"));
        EXPECT_TRUE(writeVideo(made->video2s, 20));
        EXPECT_TRUE(writeVideo(made->video1s, 10));
        EXPECT_TRUE(QFile::copy(made->video1s, made->blanks));
        EXPECT_TRUE(writeWav(made->wav, 1));
        EXPECT_TRUE(writeMp3(made->mp3Tagged, 1.0, "Song"));
        EXPECT_TRUE(writeMp3(made->mp3Plain, 1.0, nullptr));
        QFile text(made->text);
        EXPECT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("this is no video, only a few words of text\n");
        return made;
    }();
    return *f;
}

struct Reply {
    int code = -1;
    QString text;
};

std::ostream& operator<<(std::ostream& os, const Reply& r) {
    return os << r.code << " \"" << r.text.toStdString() << '"';
}

class MciServiceTest : public ::testing::Test {
protected:
    static MciServiceOptions nullOutputs() {
        MciServiceOptions options;
        options.videoOutput = "null";
        options.audioOutput = "null";
        options.cdDevice = QStringLiteral("/nonexistent/cdrom");
        return options;
    }

    Reply send(const QString& command) {
        char buffer[128];
        std::memset(buffer, 'x', sizeof buffer);
        Reply r;
        r.code = mci.mciSendStringA(command, buffer, sizeof buffer, 0);
        r.text = QString::fromUtf8(buffer);
        return r;
    }
    QString ask(const QString& command) {
        const Reply r = send(command);
        EXPECT_EQ(r.code, 0) << command.toStdString() << " -> " << r;
        return r.text;
    }
    qint64 number(const QString& command) {
        bool ok = false;
        const qint64 value = ask(command).toLongLong(&ok);
        EXPECT_TRUE(ok) << command.toStdString();
        return value;
    }
    void open(const QString& path, const QString& alias = QStringLiteral("MyMp3")) {
        ASSERT_EQ(send(QStringLiteral("open %1 type MPEGVideo Alias %2").arg(path, alias)).code, 0)
            << path.toStdString();
    }
    bool waitForMode(const char* mode, const QString& alias = QStringLiteral("MyMp3")) {
        return QTest::qWaitFor(
            [&] {
                return send(QStringLiteral("status ") + alias + QStringLiteral(" mode")).text ==
                       QLatin1String(mode);
            },
            kWaitMs);
    }

    MciService mci{nullOutputs()};
};

TEST_F(MciServiceTest, OpensAVideoStoppedAtTheStartWithItsLengthAndPicture) {
    open(files().video2s);
    EXPECT_EQ(ask("status MyMp3 mode"), "stopped");
    EXPECT_EQ(ask("status MyMp3 time format"), "milliseconds");
    EXPECT_EQ(ask("set MyMp3 time format milliseconds"), "");
    EXPECT_EQ(number("status MyMp3 length"), 2000);
    EXPECT_EQ(number("status MyMp3 position"), 0);
    EXPECT_EQ(ask("set MyMp3 time format frames"), "");
    EXPECT_EQ(ask("status MyMp3 time format"), "frames");
    EXPECT_EQ(number("status MyMp3 length"), 20);
    EXPECT_EQ(ask("Where MyMp3 destination"), "0 0 64 48");
    EXPECT_EQ(ask("Close MyMp3"), "");
    EXPECT_EQ(send("status MyMp3 mode").code, MciErrDeviceNotOpen);
}

TEST_F(MciServiceTest, ModeFollowsPlayPauseResumeAndStopWhilePositionAdvances) {
    open(files().video2s);
    ask("set MyMp3 time format milliseconds");
    ask("play MyMp3");
    EXPECT_EQ(ask("status MyMp3 mode"), "playing");
    EXPECT_TRUE(QTest::qWaitFor([&] { return number("status MyMp3 position") > 0; }, kWaitMs));
    ask("Pause MyMp3");
    EXPECT_EQ(ask("status MyMp3 mode"), "paused");
    const qint64 paused = number("status MyMp3 position");
    EXPECT_GT(paused, 0);
    EXPECT_LT(paused, 2000);
    ask("Resume MyMp3");
    EXPECT_EQ(ask("status MyMp3 mode"), "playing");
    ask("Stop MyMp3");
    EXPECT_EQ(ask("status MyMp3 mode"), "stopped");
    // Stop keeps the place, as pause does.
    EXPECT_GE(number("status MyMp3 position"), paused);
}

TEST_F(MciServiceTest, SeekLeavesTheDeviceStoppedAtTheTarget) {
    struct Case {
        const char* format;
        const char* target;
        qint64 position;
    };
    const Case cases[] = {
        {"frames", "7", 7},
        {"frames", "20", 20},
        {"frames", "0", 0},
        {"frames", "end", 20},
        {"frames", "start", 0},
        {"milliseconds", "1234", 1234},
        {"milliseconds", "2000", 2000},
        {"ms", "500", 500},
    };
    open(files().video2s);
    ask("play MyMp3");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " " + c.target);
        ask(QStringLiteral("set MyMp3 time format ") + QLatin1String(c.format));
        ask(QStringLiteral("seek MyMp3 to ") + QLatin1String(c.target));
        EXPECT_EQ(ask("status MyMp3 mode"), "stopped");
        EXPECT_EQ(number("status MyMp3 position"), c.position);
    }
    // Played from its end, the device stays stopped there.
    ask("set MyMp3 time format frames");
    ask("seek MyMp3 to end");
    ask("play MyMp3");
    EXPECT_EQ(ask("status MyMp3 mode"), "stopped");
    EXPECT_EQ(number("status MyMp3 position"), 20);
    // Playing on from a seek moves on from there.
    ask("seek MyMp3 to 5");
    ask("play MyMp3");
    EXPECT_TRUE(QTest::qWaitFor([&] { return number("status MyMp3 position") > 5; }, kWaitMs));
    ask("play MyMp3 from 3");
    EXPECT_EQ(ask("status MyMp3 mode"), "playing");
}

TEST_F(MciServiceTest, PlayingToTheEndReportsStoppedAtTheLength) {
    struct Case {
        QString path;
        qint64 frames; // -1: not known exactly
        qint64 milliseconds;
    };
    const Case cases[] = {
        {files().video1s, 10, 1000},
        {files().wav, 25, 1000},
        {files().mp3Tagged, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        open(c.path);
        ask("set MyMp3 time format frames");
        ask("play MyMp3");
        EXPECT_TRUE(waitForMode("stopped"));
        const qint64 frames = number("status MyMp3 length");
        EXPECT_EQ(number("status MyMp3 position"), frames);
        ask("set MyMp3 time format milliseconds");
        const qint64 milliseconds = number("status MyMp3 length");
        EXPECT_EQ(number("status MyMp3 position"), milliseconds);
        if (c.frames >= 0) {
            EXPECT_EQ(frames, c.frames);
            EXPECT_EQ(milliseconds, c.milliseconds);
        } else {
            EXPECT_GT(frames, 0);
            EXPECT_GT(milliseconds, 0);
        }
        ask("Close MyMp3");
    }
}

TEST(MciServiceFiles, TheTaggedMp3EndsInAnId3v1Tag) {
    const auto tail = [](const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        file.seek(file.size() - 128);
        return file.read(128);
    };
    const QByteArray tagged = tail(files().mp3Tagged);
    EXPECT_TRUE(tagged.startsWith("TAGSong"));
    EXPECT_FALSE(tail(files().mp3Plain).startsWith("TAG"));
}

TEST_F(MciServiceTest, AudioFilesCountTwentyFiveFramesASecondAndTakeAudioSettings) {
    open(files().wav);
    ask("set MyMp3 time format milliseconds");
    EXPECT_EQ(number("status MyMp3 length"), 1000);
    ask("set MyMp3 time format frames");
    EXPECT_EQ(number("status MyMp3 length"), 25);
    ask("seek MyMp3 to 10");
    ask("set MyMp3 time format milliseconds");
    EXPECT_EQ(number("status MyMp3 position"), 400);
    EXPECT_EQ(ask("Where MyMp3 destination"), "0 0 0 0");
    for (const char* source : {"left", "right", "average", "stereo"})
        EXPECT_EQ(send(QStringLiteral("Setaudio MyMp3 source to ") + QLatin1String(source)).code, 0)
            << source;
    EXPECT_EQ(ask("setaudio MyMp3 Volume to 540"), "");
    EXPECT_EQ(number("status MyMp3 volume"), 540);
    EXPECT_EQ(ask("setaudio MyMp3 Volume to 0"), "");
    EXPECT_EQ(ask("setaudio MyMp3 Volume to 1000"), "");
    EXPECT_EQ(ask("set all audio all on"), "");
    EXPECT_EQ(ask("set MyMp3 audio all off"), "");
    open(files().mp3Plain, QStringLiteral("second"));
    EXPECT_EQ(ask("Close all"), "");
    EXPECT_EQ(send("status second mode").code, MciErrDeviceNotOpen);
    // With nothing open, "all" has nothing to do.
    EXPECT_EQ(ask("set all audio all on"), "");
}

TEST_F(MciServiceTest, WordsAreCaseInsensitiveAndPathsWithBlanksOpenInQuotes) {
    const QString quoted = QLatin1Char('"') + files().blanks + QLatin1Char('"');
    ASSERT_EQ(send(QStringLiteral("OPEN ") + quoted +
                   QStringLiteral(" TYPE mpegvideo ALIAS Clip PARENT 4194311 Style 1073741824 "
                                  "SHAREABLE"))
                  .code,
              0);
    EXPECT_EQ(ask("SET clip TIME FORMAT FRAMES"), "");
    EXPECT_EQ(number("STATUS CLIP LENGTH"), 10);
    EXPECT_EQ(ask("Play Clip"), "");
    EXPECT_EQ(ask("STATUS clip MODE"), "playing");
    EXPECT_EQ(ask("pAuSe clip"), "");
    EXPECT_EQ(ask("status CLIP mode"), "paused");
    EXPECT_EQ(ask("put clip window at 0 0 299 231"), "");
    EXPECT_EQ(ask("where clip window"), "0 0 299 231");
    EXPECT_EQ(ask("WHERE clip DESTINATION"), "0 0 64 48");
    EXPECT_EQ(ask("SEEK clip TO 4 wait"), "");
    EXPECT_EQ(number("status clip position"), 4);
    EXPECT_EQ(ask("CLOSE clip"), "");
}

TEST_F(MciServiceTest, ErrorsComeBackAsCodesWithTexts) {
    struct Case {
        QString command;
        int code;
    };
    open(files().video2s);
    const QString other = QStringLiteral(" type MPEGVideo Alias Other");
    const Case cases[] = {
        {"jump MyMp3", MciErrUnknownCommand},
        {"", MciErrUnknownCommand},
        {"   ", MciErrUnknownCommand},
        {"open " + files().dir.file("missing.avi") + other, MciErrFileNotFound},
        {"open 错误" + other, MciErrFileNotFound},
        {"open " + files().dir.path() + other, MciErrFileNotFound},
        {"open " + files().text + other, MciErrNotPlayable},
        {"open " + files().video1s + " type WaveAudio Alias Other", MciErrUnknownDeviceType},
        {"open " + files().video1s + " type MPEGVideo Alias mymp3", MciErrDuplicateAlias},
        {"open " + files().video1s + " type MPEGVideo Alias Other parent", MciErrBadParameter},
        {"open " + files().video1s + " type MPEGVideo Alias Other parent x1", MciErrBadParameter},
        {"open " + files().video1s + " type MPEGVideo Alias Other colour red", MciErrBadParameter},
        {"open \"" + files().blanks + " type MPEGVideo Alias Other", MciErrBadParameter},
        {"play Nobody", MciErrDeviceNotOpen},
        {"Close Nobody", MciErrDeviceNotOpen},
        {"play", MciErrBadParameter},
        {"play MyMp3 backwards", MciErrBadParameter},
        {"play MyMp3 from 21000", MciErrOutOfRange},
        {"Stop MyMp3 now", MciErrBadParameter},
        {"seek MyMp3", MciErrBadParameter},
        {"seek MyMp3 to", MciErrBadParameter},
        {"seek MyMp3 to soon", MciErrBadParameter},
        {"seek MyMp3 to 2001", MciErrOutOfRange},
        {"seek MyMp3 to -1", MciErrOutOfRange},
        {"set MyMp3 time format hours", MciErrBadParameter},
        {"set MyMp3 audio left on", MciErrBadParameter},
        {"status MyMp3 colour", MciErrBadParameter},
        {"status MyMp3", MciErrBadParameter},
        {"status all mode", MciErrCannotUseAll},
        {"Where MyMp3 elsewhere", MciErrBadParameter},
        {"put MyMp3 window at 1 2 3", MciErrBadParameter},
        {"put MyMp3 window at 1 2 3 four", MciErrBadParameter},
        {"put MyMp3 window at 1 2 -3 4", MciErrOutOfRange},
        {"put MyMp3 sky at 1 2 3 4", MciErrBadParameter},
        {"setaudio MyMp3 Volume to 1001", MciErrOutOfRange},
        {"setaudio MyMp3 Volume to -1", MciErrOutOfRange},
        {"setaudio MyMp3 Volume to loud", MciErrBadParameter},
        {"setaudio MyMp3 Volume 500", MciErrBadParameter},
        {"Setaudio MyMp3 source to middle", MciErrBadParameter},
        {"set cdaudio door open", MciErrNoCdDrive},
        {"set cdaudio door closed", MciErrNoCdDrive},
        {"set cdaudio door ajar", MciErrBadParameter},
        {"set cdaudio speed 4", MciErrBadParameter},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command.toStdString());
        const Reply r = send(c.command);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.text, "") << "no reply with an error";
        char text[128] = {};
        EXPECT_TRUE(mci.mciGetErrorStringA(r.code, text, sizeof text));
        EXPECT_FALSE(QString::fromUtf8(text).isEmpty());
    }
    // A failed open leaves nothing open under its alias, and the device that
    // was open is untouched.
    EXPECT_EQ(send("status Other mode").code, MciErrDeviceNotOpen);
    EXPECT_EQ(ask("status MyMp3 mode"), "stopped");
}

TEST_F(MciServiceTest, ErrorTextsAreDistinctAndUnknownCodesAreRefused) {
    QStringList texts;
    for (int code = MciErrUnknownCommand; code <= MciErrPlayerFailure; ++code) {
        char text[128] = {};
        EXPECT_TRUE(mci.mciGetErrorStringA(code, text, sizeof text)) << code;
        EXPECT_LT(std::strlen(text), 127U) << code;
        texts << QString::fromUtf8(text);
    }
    texts.removeDuplicates();
    EXPECT_EQ(texts.size(), MciErrPlayerFailure - MciErrUnknownCommand + 1);
    char text[128] = {};
    EXPECT_FALSE(mci.mciGetErrorStringA(999, text, sizeof text));
    EXPECT_TRUE(QString::fromUtf8(text).contains(QLatin1String("999")));
}

TEST(MciServiceReply, IsCutToTheBufferAtACharacterBoundary) {
    struct Case {
        QString text;
        int size;
        QByteArray expected;
    };
    const Case cases[] = {
        {"2000", 128, "2000"},
        {"2000", 5, "2000"},
        {"2000", 3, "20"},
        {"2000", 1, ""},
        {"音量", 7, "音量"},
        {"音量", 6, "音"}, // the second character needs 3 bytes and the zero
                           // 1
        {"音量", 3, ""},
    };
    for (const Case& c : cases) {
        char buffer[16];
        std::memset(buffer, 'x', sizeof buffer);
        MciService::copyReply(c.text, buffer, c.size);
        EXPECT_EQ(QByteArray(buffer), c.expected) << c.text.toStdString() << " " << c.size;
    }
    char untouched = 'x';
    MciService::copyReply(QStringLiteral("2000"), &untouched, 0);
    EXPECT_EQ(untouched, 'x');
    MciService mci(MciServiceOptions{});
    EXPECT_EQ(mci.mciSendStringA(QStringLiteral("status MyMp3 mode"), nullptr, 0, 0),
              MciErrDeviceNotOpen);
}

TEST(MciServiceOptionsTest, NullOutputsFromTheEnvironment) {
    qputenv("KELVOR_MCI_NULL_OUTPUT", "1");
    MciServiceOptions options = MciServiceOptions::fromEnvironment();
    EXPECT_EQ(options.videoOutput, "null");
    EXPECT_EQ(options.audioOutput, "null");
    qunsetenv("KELVOR_MCI_NULL_OUTPUT");
    options = MciServiceOptions::fromEnvironment();
    EXPECT_TRUE(options.videoOutput.isEmpty());
    EXPECT_TRUE(options.audioOutput.isEmpty());
}

} // namespace
