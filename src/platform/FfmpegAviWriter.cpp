#include "FfmpegAviWriter.h"

#include "CaptureDevice.h"
#include "RecordingEncoder.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace {

// FFmpeg's AVERROR_EOF expands to old-style casts.
constexpr int kAvErrorEof = -static_cast<int>(fourcc('E', 'O', 'F', ' '));
constexpr int kAvErrorAgain = AVERROR(EAGAIN);

// The longest gap before one frame: the AVI muxer fills at most 60000
// missing frames at once, and MPEG-4 part 2 cannot code more than an hour
// between two frames.
int64_t maxGapFrames(int rate) {
    return std::min<int64_t>(60000, int64_t{3599} * rate);
}

// Room behind a line that swscale may read past its end.
constexpr size_t kLinePadding = 64;

QString avErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

int roundUp(int value, int multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

} // namespace

// One open recording: the output file, the encoder once the first frame has
// come, and the writer thread with its queue. The FFmpeg objects belong to
// the writer thread while it runs and to the owner before and after.
class FfmpegAviWriter::Recording {
public:
    Recording(const QString& path, RecordingCodec codec);
    ~Recording();
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    void push(const CapturedFrame& frame);
    void drain();
    // Ends the recording: waits for every queued frame, writes the index and
    // releases the file; throws the writer thread's error afterwards.
    void finish();

private:
    void run();
    void encode(const CapturedFrame& frame);
    void openEncoder(const CapturedFrame& first);
    void convert(const QImage& image);
    void padEdges();
    void sendToEncoder(const AVFrame* frame);
    void endStream();
    void release();
    [[noreturn]] void fail(const QString& what, int code) const;

    const QString m_path;
    const EncoderChoice m_choice;

    // Owned by the writer thread while it runs.
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_encoder = nullptr;
    AVStream* m_stream = nullptr;
    SwsContext* m_scaler = nullptr;
    std::vector<uint8_t> m_lastLine; // the source's last line, with room behind it
    AVFrame* m_picture = nullptr;
    AVPacket* m_packet = nullptr;
    int m_width = 0; // the picture area inside the (padded) encoded frame
    int m_height = 0;
    int m_rate = kDefaultRecordingRate;
    qint64 m_originUs = 0; // the capture time of pts 0
    int64_t m_lastPts = -1;
    bool m_headerWritten = false;
    bool m_trailerWritten = false;
    int64_t m_packetsWritten = 0;

    // Shared between the owner and the writer thread.
    std::mutex m_mutex;
    std::condition_variable m_work;  // a frame or the end has been queued
    std::condition_variable m_space; // the queue has room, or the thread failed
    std::condition_variable m_idle;  // nothing is queued or being encoded
    std::deque<CapturedFrame> m_queue;
    bool m_busy = false;
    bool m_ending = false;
    bool m_failed = false;
    QString m_error;

    std::thread m_thread;
};

FfmpegAviWriter::Recording::Recording(const QString& path, RecordingCodec codec)
    : m_path(path), m_choice(encoderChoiceFor(codec)) {
    if (!avcodec_find_encoder(m_choice.id))
        throw AviError(QStringLiteral("No encoder for the recording %1").arg(path));
    // The "file:" prefix keeps a colon in the name from being read as a
    // protocol; the file protocol truncates an existing file.
    const QByteArray url = "file:" + QFile::encodeName(path);
    const int opened = avio_open(&m_io, url.constData(), AVIO_FLAG_WRITE);
    if (opened < 0)
        throw AviError(
            QStringLiteral("Cannot create the recording %1: %2").arg(path, avErrorText(opened)));
    m_thread = std::thread([this] { run(); });
}

FfmpegAviWriter::Recording::~Recording() {
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_ending = true;
        }
        m_work.notify_all();
        m_thread.join();
    }
    release();
}

void FfmpegAviWriter::Recording::push(const CapturedFrame& frame) {
    if (frame.image.isNull())
        throw AviError(
            QStringLiteral("A frame without a picture for the recording %1").arg(m_path));
    std::unique_lock lock(m_mutex);
    m_space.wait(
        lock, [this] { return m_failed || m_queue.size() < static_cast<size_t>(kQueueCapacity); });
    if (m_failed)
        throw AviError(m_error);
    m_queue.push_back(frame);
    lock.unlock();
    m_work.notify_one();
}

void FfmpegAviWriter::Recording::drain() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_failed || (m_queue.empty() && !m_busy); });
    if (m_failed)
        throw AviError(m_error);
}

void FfmpegAviWriter::Recording::finish() {
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_work.notify_all();
    m_thread.join();

    // After a failure the file keeps what reached it; an index makes it
    // seekable when the muxer still can write one.
    if (m_headerWritten && !m_trailerWritten)
        av_write_trailer(m_format);
    const int64_t packets = m_packetsWritten;
    const int closed = avio_closep(&m_io);
    release();
    if (packets == 0)
        QFile::remove(m_path);
    if (m_failed)
        throw AviError(m_error);
    if (closed < 0)
        fail(QStringLiteral("Cannot close the recording %1"), closed);
}

void FfmpegAviWriter::Recording::run() {
    try {
        for (;;) {
            CapturedFrame frame;
            {
                std::unique_lock lock(m_mutex);
                m_work.wait(lock, [this] { return m_ending || !m_queue.empty(); });
                if (m_queue.empty())
                    break;
                frame = std::move(m_queue.front());
                m_queue.pop_front();
                m_busy = true;
            }
            m_space.notify_one();
            encode(frame);
            frame = {}; // hand the picture back before reporting idle
            {
                std::lock_guard lock(m_mutex);
                m_busy = false;
            }
            m_idle.notify_all();
        }
        endStream();
    } catch (const std::exception& e) {
        {
            std::lock_guard lock(m_mutex);
            m_failed = true;
            m_error = QString::fromUtf8(e.what());
            m_queue.clear();
            m_busy = false;
        }
        m_space.notify_all();
        m_idle.notify_all();
    }
}

void FfmpegAviWriter::Recording::encode(const CapturedFrame& frame) {
    if (!m_encoder)
        openEncoder(frame);

    const double frames = static_cast<double>(frame.timestampUs - m_originUs) * m_rate / 1e6;
    int64_t pts = std::llround(frames);
    if (m_lastPts >= 0) {
        const int64_t latest = m_lastPts + maxGapFrames(m_rate);
        if (pts > latest) {
            // The stall is cut short: the time line restarts at this frame.
            pts = latest;
            m_originUs = frame.timestampUs - std::llround(static_cast<double>(pts) * 1e6 / m_rate);
        }
        pts = std::max(pts, m_lastPts + 1);
    }
    m_lastPts = pts;

    const int writable = av_frame_make_writable(m_picture);
    if (writable < 0)
        fail(QStringLiteral("Cannot encode a frame of the recording %1"), writable);
    convert(frame.image);
    m_picture->pts = pts;
    prepareRecordingPicture(m_encoder, m_picture);
    sendToEncoder(m_picture);
}

void FfmpegAviWriter::Recording::openEncoder(const CapturedFrame& first) {
    m_width = first.image.width();
    m_height = first.image.height();
    m_rate = first.frameRate > 0 ? std::max(1, static_cast<int>(std::lround(first.frameRate)))
                                 : kDefaultRecordingRate;
    m_originUs = first.timestampUs;

    const int opened =
        openRecordingEncoder(m_choice, roundUp(m_width, m_choice.sizeMultiple),
                             roundUp(m_height, m_choice.sizeMultiple), m_rate, &m_encoder);
    if (opened < 0)
        fail(QStringLiteral("Cannot open the encoder of the recording %1"), opened);

    const int allocated = avformat_alloc_output_context2(&m_format, nullptr, "avi", nullptr);
    if (allocated < 0)
        fail(QStringLiteral("Cannot set up the recording %1"), allocated);
    m_format->pb = m_io;
    m_stream = avformat_new_stream(m_format, nullptr);
    if (!m_stream)
        fail(QStringLiteral("Cannot set up the recording %1"), AVERROR(ENOMEM));
    const int copied = avcodec_parameters_from_context(m_stream->codecpar, m_encoder);
    if (copied < 0)
        fail(QStringLiteral("Cannot set up the recording %1"), copied);
    m_stream->time_base = m_encoder->time_base;
    m_stream->avg_frame_rate = m_encoder->framerate;
    m_stream->r_frame_rate = m_encoder->framerate;
    const int header = avformat_write_header(m_format, nullptr);
    if (header < 0)
        fail(QStringLiteral("Cannot write the recording %1"), header);
    m_headerWritten = true;
    avio_flush(m_io);

    m_picture = av_frame_alloc();
    m_packet = av_packet_alloc();
    if (!m_picture || !m_packet)
        fail(QStringLiteral("Cannot set up the recording %1"), AVERROR(ENOMEM));
    m_picture->format = m_encoder->pix_fmt;
    m_picture->width = m_encoder->width;
    m_picture->height = m_encoder->height;
    const int buffer = av_frame_get_buffer(m_picture, 0);
    if (buffer < 0)
        fail(QStringLiteral("Cannot set up the recording %1"), buffer);
}

void FfmpegAviWriter::Recording::convert(const QImage& image) {
    const QImage rgb = image.format() == QImage::Format_RGB888
                           ? image
                           : image.convertToFormat(QImage::Format_RGB888);
    m_scaler = sws_getCachedContext(m_scaler, rgb.width(), rgb.height(), AV_PIX_FMT_RGB24, m_width,
                                    m_height, m_choice.pixelFormat, m_choice.scaleFlags, nullptr,
                                    nullptr, nullptr);
    if (!m_scaler)
        fail(QStringLiteral("Cannot convert a frame of the recording %1"), AVERROR(EINVAL));
    // swscale's vector code reads up to 16 bytes past the end of a line,
    // which for the last line is past the end of the QImage's memory. All
    // lines but the last are read in place; the last one from a copy with
    // room behind it.
    const int stride = static_cast<int>(rgb.bytesPerLine());
    const int last = rgb.height() - 1;
    if (last > 0) {
        const uint8_t* lines[] = {rgb.constBits()};
        if (sws_scale(m_scaler, lines, &stride, 0, last, m_picture->data, m_picture->linesize) < 0)
            fail(QStringLiteral("Cannot convert a frame of the recording %1"), AVERROR(EINVAL));
    }
    m_lastLine.resize(static_cast<size_t>(stride) + kLinePadding);
    std::memcpy(m_lastLine.data(), rgb.constScanLine(last), static_cast<size_t>(stride));
    const uint8_t* line[] = {m_lastLine.data()};
    if (sws_scale(m_scaler, line, &stride, last, 1, m_picture->data, m_picture->linesize) < 0)
        fail(QStringLiteral("Cannot convert a frame of the recording %1"), AVERROR(EINVAL));
    padEdges();
}

void FfmpegAviWriter::Recording::padEdges() {
    // The padding repeats the last column and row of the picture: a block
    // that spans the edge stays uniform, so the codec neither blurs the edge
    // nor spends bits on it. swscale may also have written past the
    // picture's width; this overwrites that too.
    if (m_picture->width == m_width && m_picture->height == m_height)
        return;
    const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(m_choice.pixelFormat);
    for (int c = 0; c < layout->nb_components; ++c) {
        const AVComponentDescriptor& component = layout->comp[c];
        // Several components may share a plane; pad each plane once.
        if (std::any_of(layout->comp, layout->comp + c, [&](const AVComponentDescriptor& earlier) {
                return earlier.plane == component.plane;
            }))
            continue;
        const bool chroma = component.plane == 1 || component.plane == 2;
        const int shiftX = chroma ? layout->log2_chroma_w : 0;
        const int shiftY = chroma ? layout->log2_chroma_h : 0;
        const auto scaled = [](int size, int shift) {
            return (size + (1 << shift) - 1) >> shift;
        };
        const int width = scaled(m_width, shiftX);
        const int height = scaled(m_height, shiftY);
        const int paddedWidth = scaled(m_picture->width, shiftX);
        const int paddedHeight = scaled(m_picture->height, shiftY);
        const int step = component.step;
        uint8_t* data = m_picture->data[component.plane];
        const int linesize = m_picture->linesize[component.plane];
        for (int y = 0; y < height; ++y) {
            uint8_t* row = data + static_cast<ptrdiff_t>(y) * linesize;
            for (int x = width; x < paddedWidth; ++x)
                std::memcpy(row + x * step, row + (width - 1) * step, static_cast<size_t>(step));
        }
        for (int y = height; y < paddedHeight; ++y)
            std::memcpy(data + static_cast<ptrdiff_t>(y) * linesize,
                        data + static_cast<ptrdiff_t>(height - 1) * linesize,
                        static_cast<size_t>(paddedWidth * step));
    }
}

void FfmpegAviWriter::Recording::sendToEncoder(const AVFrame* frame) {
    const int sent = avcodec_send_frame(m_encoder, frame);
    if (sent < 0)
        fail(QStringLiteral("Cannot encode a frame of the recording %1"), sent);
    for (;;) {
        const int received = avcodec_receive_packet(m_encoder, m_packet);
        if (received == kAvErrorAgain || received == kAvErrorEof)
            return;
        if (received < 0)
            fail(QStringLiteral("Cannot encode a frame of the recording %1"), received);
        av_packet_rescale_ts(m_packet, m_encoder->time_base, m_stream->time_base);
        m_packet->stream_index = m_stream->index;
        const int written = av_write_frame(m_format, m_packet);
        av_packet_unref(m_packet);
        if (written < 0)
            fail(QStringLiteral("Cannot write the recording %1"), written);
        // Each packet goes to the disk at once, so a crash loses at most the
        // frame in flight.
        avio_flush(m_io);
        if (m_io->error < 0)
            fail(QStringLiteral("Cannot write the recording %1"), m_io->error);
        ++m_packetsWritten;
    }
}

void FfmpegAviWriter::Recording::endStream() {
    if (!m_headerWritten)
        return;
    sendToEncoder(nullptr);
    const int trailer = av_write_trailer(m_format);
    m_trailerWritten = true;
    if (trailer < 0)
        fail(QStringLiteral("Cannot write the index of the recording %1"), trailer);
    avio_flush(m_io);
    if (m_io->error < 0)
        fail(QStringLiteral("Cannot write the recording %1"), m_io->error);
}

void FfmpegAviWriter::Recording::release() {
    sws_freeContext(m_scaler);
    m_scaler = nullptr;
    av_frame_free(&m_picture);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_encoder);
    if (m_format) {
        m_format->pb = nullptr; // the file is ours to close
        avformat_free_context(m_format);
        m_format = nullptr;
    }
    avio_closep(&m_io);
}

void FfmpegAviWriter::Recording::fail(const QString& what, int code) const {
    throw AviError(what.arg(m_path) + QStringLiteral(": ") + avErrorText(code));
}

FfmpegAviWriter::FfmpegAviWriter() = default;

FfmpegAviWriter::~FfmpegAviWriter() {
    try {
        close();
    } catch (const AviError&) {
        // Nobody is left to tell.
    }
}

void FfmpegAviWriter::create(const QString& path, const QString& codec) {
    RecordingCodec chosen;
    if (codec == QLatin1String("msvc"))
        chosen = RecordingCodec::Msvideo1;
    else if (codec == QLatin1String("Xvid"))
        chosen = RecordingCodec::Xvid;
    else
        throw AviError(
            QStringLiteral("Unknown codec \"%1\" for the recording %2").arg(codec, path));
    close();
    m_recording = std::make_unique<Recording>(path, chosen);
}

void FfmpegAviWriter::append(const CapturedFrame& frame) {
    if (m_recording)
        m_recording->push(frame);
}

void FfmpegAviWriter::drain() {
    if (m_recording)
        m_recording->drain();
}

void FfmpegAviWriter::close() {
    if (!m_recording)
        return;
    const std::unique_ptr<Recording> ending = std::move(m_recording);
    ending->finish();
}
