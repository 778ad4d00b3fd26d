#include "V4l2Device.h"

#include "V4l2Formats.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <exception>
#include <fcntl.h>
#include <libv4l2.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr int kBufferCount = 4;
// How long the capture thread waits for a frame before it looks at the stop
// flag again.
constexpr int kPollTimeoutMs = 100;
// Some drivers report a lost frame as EIO and go on; a run of them means the
// device is gone.
constexpr int kMaxConsecutiveIoErrors = 50;

int xioctl(int fd, unsigned long request, void* argument) {
    int result = 0;
    do {
        result = v4l2_ioctl(fd, request, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}

QString errorText(int error) {
    return QString::fromStdString(std::error_code(error, std::generic_category()).message());
}

} // namespace

V4l2Device::V4l2Device(QString path, QString name)
    : m_path(std::move(path)), m_name(std::move(name)) {}

V4l2Device::~V4l2Device() {
    close();
}

void V4l2Device::open() {
    if (isOpen())
        return;
    const QByteArray nativePath = QFile::encodeName(m_path);
    const int fd = v4l2_open(nativePath.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fail(QStringLiteral("cannot open the device"), errno);
    v4l2_capability capability{};
    if (xioctl(fd, VIDIOC_QUERYCAP, &capability) < 0) {
        const int error = errno;
        v4l2_close(fd);
        fail(QStringLiteral("cannot query the device (VIDIOC_QUERYCAP)"), error);
    }
    if (!isVideoCaptureNode(capability)) {
        v4l2_close(fd);
        throw CaptureError(QStringLiteral("%1: not a video capture device").arg(m_path));
    }
    m_fd = fd;
    readCurrentFormat();
}

void V4l2Device::close() {
    if (m_thread.joinable()) {
        m_stopRequested = true;
        m_thread.join();
    }
    if (m_streaming) {
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        xioctl(m_fd, VIDIOC_STREAMOFF, &type);
        m_streaming = false;
    }
    for (const Buffer& buffer : m_buffers)
        v4l2_munmap(buffer.start, buffer.length);
    m_buffers.clear();
    if (m_fd >= 0) {
        v4l2_close(m_fd);
        m_fd = -1;
    }
}

QList<VideoFormat> V4l2Device::formats() {
    requireOpen("list formats");
    QList<DriverFormat> driverFormats;
    for (__u32 index = 0;; ++index) {
        DriverFormat format;
        format.description.index = index;
        format.description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (xioctl(m_fd, VIDIOC_ENUM_FMT, &format.description) < 0) {
            if (errno == EINVAL)
                break;
            fail(QStringLiteral("cannot list the formats (VIDIOC_ENUM_FMT)"), errno);
        }
        if (!(format.description.flags & V4L2_FMT_FLAG_EMULATED)) {
            // The bound only guards against a driver that never says "no more".
            for (__u32 sizeIndex = 0; sizeIndex < 1000; ++sizeIndex) {
                v4l2_frmsizeenum size{};
                size.index = sizeIndex;
                size.pixel_format = format.description.pixelformat;
                if (xioctl(m_fd, VIDIOC_ENUM_FRAMESIZES, &size) < 0)
                    break;
                format.sizes.append(size);
                if (size.type != V4L2_FRMSIZE_TYPE_DISCRETE)
                    break;
            }
        }
        driverFormats.append(format);
    }
    std::optional<v4l2_pix_format> current;
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (xioctl(m_fd, VIDIOC_G_FMT, &format) == 0)
        current = format.fmt.pix;
    return formatsFromDriver(driverFormats, current);
}

void V4l2Device::setFormat(int width, int height) {
    requireOpen("set the format");
    if (m_streaming)
        throw CaptureError(
            QStringLiteral("%1: cannot change the format while capturing").arg(m_path));
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = static_cast<__u32>(std::max(width, 1));
    format.fmt.pix.height = static_cast<__u32>(std::max(height, 1));
    format.fmt.pix.pixelformat = V4L2_PIX_FMT_RGB24;
    format.fmt.pix.field = V4L2_FIELD_ANY;
    if (xioctl(m_fd, VIDIOC_S_FMT, &format) < 0) {
        const int error = errno;
        fail(QStringLiteral("cannot set the capture size %1x%2 (VIDIOC_S_FMT)")
                 .arg(width)
                 .arg(height),
             error);
    }
    if (format.fmt.pix.pixelformat != V4L2_PIX_FMT_RGB24)
        throw CaptureError(
            QStringLiteral("%1: the device cannot deliver RGB24 frames").arg(m_path));
    readCurrentFormat();
}

void V4l2Device::start(FrameSink& sink) {
    requireOpen("start capturing");
    if (m_streaming)
        throw CaptureError(QStringLiteral("%1: already capturing").arg(m_path));
    // A device that was never given a size captures at its current one, but
    // always in RGB24.
    v4l2_format current{};
    current.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (xioctl(m_fd, VIDIOC_G_FMT, &current) < 0)
        fail(QStringLiteral("cannot read the format (VIDIOC_G_FMT)"), errno);
    if (current.fmt.pix.pixelformat == V4L2_PIX_FMT_RGB24)
        readCurrentFormat();
    else
        setFormat(static_cast<int>(current.fmt.pix.width),
                  static_cast<int>(current.fmt.pix.height));

    v4l2_requestbuffers request{};
    request.count = kBufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (xioctl(m_fd, VIDIOC_REQBUFS, &request) < 0)
        fail(QStringLiteral("cannot get capture buffers (VIDIOC_REQBUFS)"), errno);
    if (request.count == 0)
        failReleasingBuffers(QStringLiteral("the driver gave no capture buffers"), ENOMEM);
    for (__u32 index = 0; index < request.count; ++index) {
        v4l2_buffer buffer{};
        buffer.index = index;
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        if (xioctl(m_fd, VIDIOC_QUERYBUF, &buffer) < 0)
            failReleasingBuffers(QStringLiteral("cannot query capture buffer (VIDIOC_QUERYBUF)"),
                                 errno);
        void* start = v4l2_mmap(nullptr, buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd,
                                buffer.m.offset);
        if (start == MAP_FAILED)
            failReleasingBuffers(QStringLiteral("cannot map a capture buffer"), errno);
        m_buffers.push_back({start, buffer.length});
        if (xioctl(m_fd, VIDIOC_QBUF, &buffer) < 0)
            failReleasingBuffers(QStringLiteral("cannot queue a capture buffer (VIDIOC_QBUF)"),
                                 errno);
    }
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (xioctl(m_fd, VIDIOC_STREAMON, &type) < 0)
        failReleasingBuffers(QStringLiteral("cannot start capturing (VIDIOC_STREAMON)"), errno);
    m_streaming = true;
    m_stopRequested = false;
    m_thread = std::thread([this, &sink] { captureLoop(sink); });
}

QList<CaptureControl> V4l2Device::controls() {
    requireOpen("list controls");
    QList<CaptureControl> result;
    v4l2_queryctrl query{};
    query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    while (xioctl(m_fd, VIDIOC_QUERYCTRL, &query) == 0) {
        int value = query.default_value;
        v4l2_control control{};
        control.id = query.id;
        if (xioctl(m_fd, VIDIOC_G_CTRL, &control) == 0)
            value = control.value;
        QStringList menuItems;
        // Menus are short; the bound keeps a broken driver from stalling us.
        if (query.type == V4L2_CTRL_TYPE_MENU && query.minimum >= 0 &&
            query.maximum >= query.minimum && query.maximum - query.minimum < 1024) {
            for (int item = query.minimum; item <= query.maximum; ++item) {
                v4l2_querymenu menu{};
                menu.id = query.id;
                menu.index = static_cast<__u32>(item);
                menuItems.append(xioctl(m_fd, VIDIOC_QUERYMENU, &menu) == 0
                                     ? driverText(menu.name, sizeof menu.name)
                                     : QString());
            }
        }
        if (std::optional<CaptureControl> offered = controlFromDriver(query, value, menuItems))
            result.append(*offered);
        query.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
    }
    return result;
}

void V4l2Device::setControl(quint32 id, int value) {
    requireOpen("set a control");
    v4l2_control control{};
    control.id = id;
    control.value = value;
    if (xioctl(m_fd, VIDIOC_S_CTRL, &control) < 0) {
        const int error = errno;
        fail(QStringLiteral("cannot set control 0x%1 to %2 (VIDIOC_S_CTRL)")
                 .arg(id, 8, 16, QLatin1Char('0'))
                 .arg(value),
             error);
    }
}

void V4l2Device::requireOpen(const char* what) const {
    if (!isOpen())
        throw CaptureError(QStringLiteral("%1: cannot %2: the device is not open")
                               .arg(m_path, QLatin1String(what)));
}

void V4l2Device::fail(const QString& what, int error) const {
    throw CaptureError(QStringLiteral("%1: %2: %3").arg(m_path, what, errorText(error)));
}

void V4l2Device::failReleasingBuffers(const QString& what, int error) {
    for (const Buffer& buffer : m_buffers)
        v4l2_munmap(buffer.start, buffer.length);
    m_buffers.clear();
    // Give the buffers back too, so that a later start can ask again.
    v4l2_requestbuffers none{};
    none.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    none.memory = V4L2_MEMORY_MMAP;
    xioctl(m_fd, VIDIOC_REQBUFS, &none);
    fail(what, error);
}

void V4l2Device::readCurrentFormat() {
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (xioctl(m_fd, VIDIOC_G_FMT, &format) == 0) {
        m_width = static_cast<int>(format.fmt.pix.width);
        m_height = static_cast<int>(format.fmt.pix.height);
        m_bytesPerLine = static_cast<int>(format.fmt.pix.bytesperline);
    }
    v4l2_streamparm parameters{};
    parameters.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    m_frameRate = xioctl(m_fd, VIDIOC_G_PARM, &parameters) == 0
                      ? frameRateFromTimePerFrame(parameters.parm.capture.timeperframe)
                      : 30;
}

void V4l2Device::captureLoop(FrameSink& sink) {
    const auto stopWith = [this](const char* reason, int error) {
        qWarning("%s: capture stopped: %s: %s", qPrintable(m_path), reason,
                 qPrintable(errorText(error)));
    };
    try {
        int ioErrors = 0;
        while (!m_stopRequested.load()) {
            pollfd ready{m_fd, POLLIN, 0};
            const int count = ::poll(&ready, 1, kPollTimeoutMs);
            if (count < 0) {
                if (errno == EINTR)
                    continue;
                return stopWith("poll", errno);
            }
            if (count == 0)
                continue;
            if (ready.revents & (POLLERR | POLLHUP | POLLNVAL))
                return stopWith("poll", EIO);

            v4l2_buffer buffer{};
            buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            buffer.memory = V4L2_MEMORY_MMAP;
            if (xioctl(m_fd, VIDIOC_DQBUF, &buffer) < 0) {
                if (errno == EAGAIN)
                    continue;
                if (errno == EIO && ++ioErrors < kMaxConsecutiveIoErrors)
                    continue;
                return stopWith("VIDIOC_DQBUF", errno);
            }
            ioErrors = 0;
            const qint64 timestampUs = std::chrono::duration_cast<std::chrono::microseconds>(
                                           std::chrono::steady_clock::now().time_since_epoch())
                                           .count();
            QImage image;
            if (!(buffer.flags & V4L2_BUF_FLAG_ERROR) && buffer.index < m_buffers.size())
                image = imageFromRgb24(static_cast<const uchar*>(m_buffers[buffer.index].start),
                                       buffer.bytesused, m_width, m_height, m_bytesPerLine);
            // The picture is a copy, so the buffer goes back to the driver
            // before the sink sees it.
            const bool requeued = xioctl(m_fd, VIDIOC_QBUF, &buffer) == 0;
            const int requeueError = errno;
            if (!image.isNull())
                sink.deliver(CapturedFrame{std::move(image), timestampUs, m_frameRate});
            if (!requeued)
                return stopWith("VIDIOC_QBUF", requeueError);
        }
    } catch (const std::exception& e) {
        qWarning("%s: capture stopped: %s", qPrintable(m_path), e.what());
    }
}

std::vector<std::unique_ptr<CaptureDevice>> enumerateV4l2Devices() {
    std::vector<std::unique_ptr<CaptureDevice>> devices;
    const QDir dev(QStringLiteral("/dev"));
    const QStringList entries =
        dev.entryList({QStringLiteral("video*")}, QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : videoNodeNames(entries)) {
        const QString path = dev.filePath(entry);
        // A plain open is enough to ask for the capabilities; libv4l2 is
        // only needed for capturing.
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        v4l2_capability capability{};
        const bool known = ::ioctl(fd, VIDIOC_QUERYCAP, &capability) == 0;
        ::close(fd);
        if (known && isVideoCaptureNode(capability))
            devices.push_back(std::make_unique<V4l2Device>(
                path, driverText(capability.card, sizeof capability.card)));
    }
    return devices;
}
