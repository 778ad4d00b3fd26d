#include "V4l2Formats.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstring>

QString subtypeName(quint32 fourcc) {
    switch (fourcc) {
    case V4L2_PIX_FMT_YUYV:
        return QStringLiteral("YUY2");
    case V4L2_PIX_FMT_MJPEG:
    case V4L2_PIX_FMT_JPEG:
        return QStringLiteral("MJPG");
    case V4L2_PIX_FMT_RGB24:
    case V4L2_PIX_FMT_BGR24:
        return QStringLiteral("RGB24");
    case V4L2_PIX_FMT_YUV420:
        return QStringLiteral("I420");
    case V4L2_PIX_FMT_YVU420:
        return QStringLiteral("YV12");
    case V4L2_PIX_FMT_NV12:
        return QStringLiteral("NV12");
    case V4L2_PIX_FMT_UYVY:
        return QStringLiteral("UYVY");
    case V4L2_PIX_FMT_GREY:
        return QStringLiteral("Y800");
    case V4L2_PIX_FMT_H264:
        return QStringLiteral("H264");
    default:
        break;
    }
    QString text;
    for (int shift = 0; shift < 32; shift += 8) {
        const auto c = static_cast<char>((fourcc >> shift) & 0xff);
        if (c < 0x20 || c > 0x7e)
            return {};
        text += QLatin1Char(c);
    }
    return text.trimmed();
}

QList<VideoFormat> formatsFromDriver(const QList<DriverFormat>& formats,
                                     const std::optional<v4l2_pix_format>& current) {
    QList<VideoFormat> result;
    for (const DriverFormat& format : formats) {
        if (format.description.flags & V4L2_FMT_FLAG_EMULATED)
            continue;
        const QString subtype = subtypeName(format.description.pixelformat);
        const auto add = [&](__u32 minW, __u32 minH, __u32 maxW, __u32 maxH) {
            result.append({subtype, static_cast<int>(minW), static_cast<int>(minH),
                           static_cast<int>(maxW), static_cast<int>(maxH)});
        };
        if (format.sizes.isEmpty()) {
            if (current && current->pixelformat == format.description.pixelformat)
                add(current->width, current->height, current->width, current->height);
            continue;
        }
        for (const v4l2_frmsizeenum& size : format.sizes) {
            if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
                add(size.discrete.width, size.discrete.height, size.discrete.width,
                    size.discrete.height);
            } else {
                // A range is the only answer (index 0) the driver gives.
                add(size.stepwise.min_width, size.stepwise.min_height, size.stepwise.max_width,
                    size.stepwise.max_height);
                break;
            }
        }
    }
    return result;
}

std::optional<CaptureControl> controlFromDriver(const v4l2_queryctrl& control, int value,
                                                const QStringList& menuItems) {
    if (control.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_READ_ONLY))
        return std::nullopt;
    CaptureControl result;
    switch (control.type) {
    case V4L2_CTRL_TYPE_INTEGER:
        result.kind = CaptureControl::Kind::Integer;
        break;
    case V4L2_CTRL_TYPE_BOOLEAN:
        result.kind = CaptureControl::Kind::Boolean;
        break;
    case V4L2_CTRL_TYPE_MENU:
        result.kind = CaptureControl::Kind::Menu;
        break;
    default:
        return std::nullopt;
    }
    result.id = control.id;
    result.name = driverText(control.name, sizeof control.name);
    result.minimum = control.minimum;
    result.maximum = control.maximum;
    result.step = std::max(control.step, 1);
    result.defaultValue = control.default_value;
    result.value = value;
    if (result.kind == CaptureControl::Kind::Menu) {
        const qsizetype count =
            std::max<qsizetype>(0, qsizetype{control.maximum} - qsizetype{control.minimum} + 1);
        result.menuItems = menuItems.mid(0, count);
        while (result.menuItems.size() < count)
            result.menuItems.append(QString());
    }
    return result;
}

double frameRateFromTimePerFrame(const v4l2_fract& timePerFrame) {
    if (timePerFrame.numerator == 0 || timePerFrame.denominator == 0)
        return 30;
    return static_cast<double>(timePerFrame.denominator) / timePerFrame.numerator;
}

QImage imageFromRgb24(const uchar* data, qsizetype size, int width, int height, int bytesPerLine) {
    if (data == nullptr || width <= 0 || height <= 0)
        return {};
    const qsizetype rowBytes = qsizetype{width} * 3;
    const qsizetype stride = bytesPerLine > 0 ? bytesPerLine : rowBytes;
    if (stride < rowBytes || size < stride * (height - 1) + rowBytes)
        return {};
    QImage image(width, height, QImage::Format_RGB888);
    if (image.isNull())
        return {};
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), data + stride * y, static_cast<std::size_t>(rowBytes));
    return image;
}

bool isVideoCaptureNode(const v4l2_capability& capability) {
    const __u32 caps = (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps
                                                                        : capability.capabilities;
    return (caps & V4L2_CAP_VIDEO_CAPTURE) != 0;
}

QStringList videoNodeNames(const QStringList& deviceEntries) {
    static const QRegularExpression pattern(QStringLiteral("^video(\\d{1,9})$"));
    QList<std::pair<int, QString>> nodes;
    for (const QString& entry : deviceEntries) {
        const QRegularExpressionMatch match = pattern.match(entry);
        if (match.hasMatch())
            nodes.append({match.captured(1).toInt(), entry});
    }
    std::sort(nodes.begin(), nodes.end());
    QStringList result;
    for (const auto& node : nodes)
        result.append(node.second);
    return result;
}

QString driverText(const __u8* text, std::size_t size) {
    const auto* chars = reinterpret_cast<const char*>(text);
    return QString::fromUtf8(chars, static_cast<qsizetype>(qstrnlen(chars, size)));
}
