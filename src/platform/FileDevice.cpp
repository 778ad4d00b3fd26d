#include "FileDevice.h"

#include "PatternDevice.h"

#include <QFile>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kFallbackRate = 25;
constexpr int kMaxSide = 8192;
// FFmpeg's AV_NOPTS_VALUE, spelt without the C cast of its macro.
constexpr int64_t kNoTimestamp = std::numeric_limits<int64_t>::min();

QString ffmpegError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

qint64 steadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
        .count();
}

} // namespace

// Demuxer, decoder and scaler of one file. Built on the user-interface thread
// by open(); after that only the streaming thread calls next(). size() and
// frameRate() are fixed at construction and safe from any thread.
class FileDevice::Decoder {
public:
    explicit Decoder(QString path) : m_path(std::move(path)) {
        openInput();
        const AVStream* stream = m_format->streams[m_stream];
        m_fileSize = QSize(stream->codecpar->width, stream->codecpar->height);
        const AVRational rate = stream->avg_frame_rate;
        if (rate.num > 0 && rate.den > 0) {
            const double fps = av_q2d(rate);
            if (fps > 0 && fps <= 1000)
                m_rate = fps;
        }
        m_packet = av_packet_alloc();
        m_frame = av_frame_alloc();
        if (!m_packet || !m_frame) {
            closeAll();
            throw CaptureError(QStringLiteral("out of memory opening %1").arg(m_path));
        }
    }

    ~Decoder() { closeAll(); }

    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    QSize size() const { return m_fileSize; }
    double frameRate() const { return m_rate; }

    // The next picture of the file scaled to `size`, starting again at the
    // end of the file; a null image when a whole pass gave no picture or the
    // file can no longer be read (the next call tries again from the start).
    QImage next(QSize size) {
        if (!m_format && !rewind())
            return {};
        for (;;) {
            const int r = avcodec_receive_frame(m_codec, m_frame);
            if (r == 0) {
                QImage image = scale(size);
                av_frame_unref(m_frame);
                if (image.isNull())
                    continue;
                ++m_framesThisPass;
                return image;
            }
            if (r == AVERROR(EAGAIN)) {
                feed();
                continue;
            }
            // The end of the file, or a decoder that gave up: start again.
            const bool emptyPass = m_framesThisPass == 0;
            m_framesThisPass = 0;
            if (!rewind() || emptyPass)
                return {};
        }
    }

private:
    void openInput() {
        const QByteArray file = QFile::encodeName(m_path);
        int r = avformat_open_input(&m_format, file.constData(), nullptr, nullptr);
        if (r < 0) {
            m_format = nullptr;
            throw CaptureError(
                QStringLiteral("cannot open video file %1: %2").arg(m_path, ffmpegError(r)));
        }
        r = avformat_find_stream_info(m_format, nullptr);
        if (r < 0) {
            closeInput();
            throw CaptureError(
                QStringLiteral("cannot read video file %1: %2").arg(m_path, ffmpegError(r)));
        }
        const AVCodec* codec = nullptr;
        m_stream = av_find_best_stream(m_format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
        if (m_stream < 0) {
            const bool noDecoder = m_stream == AVERROR_DECODER_NOT_FOUND;
            closeInput();
            throw CaptureError(noDecoder
                                   ? QStringLiteral("no decoder for the video of %1").arg(m_path)
                                   : QStringLiteral("%1 has no video stream").arg(m_path));
        }
        m_codec = avcodec_alloc_context3(codec);
        if (!m_codec ||
            avcodec_parameters_to_context(m_codec, m_format->streams[m_stream]->codecpar) < 0 ||
            avcodec_open2(m_codec, codec, nullptr) < 0) {
            closeInput();
            throw CaptureError(QStringLiteral("cannot decode the video of %1").arg(m_path));
        }
        const AVStream* stream = m_format->streams[m_stream];
        if (stream->codecpar->width <= 0 || stream->codecpar->height <= 0) {
            closeInput();
            throw CaptureError(QStringLiteral("the video of %1 has no picture size").arg(m_path));
        }
    }

    void closeInput() {
        avcodec_free_context(&m_codec);
        avformat_close_input(&m_format);
    }

    void closeAll() {
        closeInput();
        av_packet_free(&m_packet);
        av_frame_free(&m_frame);
        sws_freeContext(m_sws);
        m_sws = nullptr;
    }

    // Hands the decoder the next packet of the video stream, or tells it the
    // file has ended so that it gives out what it still holds.
    void feed() {
        if (av_read_frame(m_format, m_packet) < 0) {
            avcodec_send_packet(m_codec, nullptr);
            return;
        }
        // A packet the decoder refuses is damaged data; the next one may do.
        if (m_packet->stream_index == m_stream)
            avcodec_send_packet(m_codec, m_packet);
        av_packet_unref(m_packet);
    }

    bool rewind() {
        if (m_format) {
            const AVStream* stream = m_format->streams[m_stream];
            const int64_t start = stream->start_time != kNoTimestamp ? stream->start_time : 0;
            if (av_seek_frame(m_format, m_stream, start, AVSEEK_FLAG_BACKWARD) >= 0) {
                avcodec_flush_buffers(m_codec);
                return true;
            }
        }
        // Not seekable: open it anew.
        closeInput();
        try {
            openInput();
        } catch (const CaptureError&) {
            return false;
        }
        return true;
    }

    QImage scale(QSize size) {
        const AVFrame* f = m_frame;
        if (f->width <= 0 || f->height <= 0)
            return {};
        m_sws = sws_getCachedContext(
            m_sws, f->width, f->height, static_cast<AVPixelFormat>(f->format), size.width(),
            size.height(), AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!m_sws)
            return {};
        // swscale gets a buffer of its own with aligned rows and some slack,
        // then the rows are copied into the image.
        const int stride = (3 * size.width() + 63) & ~63;
        m_rgb.resize(static_cast<size_t>(stride) * static_cast<size_t>(size.height()) + 64);
        uint8_t* dst[4] = {m_rgb.data(), nullptr, nullptr, nullptr};
        const int dstStride[4] = {stride, 0, 0, 0};
        sws_scale(m_sws, f->data, f->linesize, 0, f->height, dst, dstStride);
        QImage image(size, QImage::Format_RGB888);
        const size_t rowBytes = 3 * static_cast<size_t>(size.width());
        for (int y = 0; y < size.height(); ++y)
            std::memcpy(image.scanLine(y), m_rgb.data() + static_cast<size_t>(y) * stride,
                        rowBytes);
        return image;
    }

    const QString m_path;
    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    int m_stream = -1;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    SwsContext* m_sws = nullptr;
    std::vector<uint8_t> m_rgb;
    int m_framesThisPass = 0;
    QSize m_fileSize;
    double m_rate = kFallbackRate;
};

FileDevice::FileDevice(QString name, QString path)
    : m_name(std::move(name)), m_path(std::move(path)) {}

FileDevice::~FileDevice() {
    close();
}

void FileDevice::open() {
    if (!m_decoder)
        m_decoder = std::make_unique<Decoder>(m_path);
}

void FileDevice::close() {
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_stopMutex);
            m_stop = true;
        }
        m_stopChanged.notify_all();
        m_thread.join();
    }
    m_decoder.reset();
}

void FileDevice::requireOpen() const {
    if (!m_decoder)
        throw CaptureError(QStringLiteral("%1 is not open").arg(m_name));
}

QList<VideoFormat> FileDevice::formats() {
    requireOpen();
    const QSize own = m_decoder->size();
    QList<VideoFormat> list{
        {QStringLiteral("RGB24"), own.width(), own.height(), own.width(), own.height()}};
    for (const VideoFormat& f : PatternDevice::standardFormats()) {
        if (f != list.first())
            list.append(f);
    }
    return list;
}

void FileDevice::setFormat(int width, int height) {
    requireOpen();
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        throw CaptureError(
            QStringLiteral("%1 cannot make frames of %2x%3").arg(m_name).arg(width).arg(height));
    std::lock_guard lock(m_sizeMutex);
    m_size = QSize(width, height);
}

QSize FileDevice::frameSize() const {
    std::lock_guard lock(m_sizeMutex);
    return m_size;
}

double FileDevice::frameRate() const {
    requireOpen();
    return m_decoder->frameRate();
}

void FileDevice::start(FrameSink& sink) {
    requireOpen();
    if (m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_stopMutex);
        m_stop = false;
    }
    m_thread = std::thread([this, &sink] { stream(sink); });
}

QList<CaptureControl> FileDevice::controls() {
    requireOpen();
    return {};
}

void FileDevice::setControl(quint32 id, int) {
    requireOpen();
    throw CaptureError(QStringLiteral("%1 has no control with id %2").arg(m_name).arg(id));
}

void FileDevice::stream(FrameSink& sink) {
    const double rate = m_decoder->frameRate();
    const auto period =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate));
    auto due = Clock::now();
    bool failing = false;
    for (;;) {
        QImage image = m_decoder->next(frameSize());
        if (image.isNull()) {
            if (!failing) {
                const QString line = QStringLiteral("kelvor: %1: no picture can be decoded from "
                                                    "%2; trying again every second\n")
                                         .arg(m_name, m_path);
                std::fputs(line.toLocal8Bit().constData(), stderr);
                std::fflush(stderr);
                failing = true;
            }
            std::unique_lock lock(m_stopMutex);
            if (m_stopChanged.wait_for(lock, std::chrono::seconds(1), [this] { return m_stop; }))
                return;
            due = Clock::now();
            continue;
        }
        failing = false;
        {
            std::unique_lock lock(m_stopMutex);
            if (m_stopChanged.wait_until(lock, due, [this] { return m_stop; }))
                return;
        }
        CapturedFrame frame;
        frame.image = std::move(image);
        frame.timestampUs = steadyMicroseconds();
        frame.frameRate = rate;
        sink.deliver(std::move(frame));
        due += period;
        // More than a period behind: no burst to catch up, start again from now.
        const auto now = Clock::now();
        if (now > due)
            due = now;
    }
}
