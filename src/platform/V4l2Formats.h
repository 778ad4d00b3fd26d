#pragma once

#include "CaptureDevice.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <linux/videodev2.h>
#include <optional>

// What a V4L2 driver reports, turned into what the program shows. Nothing
// here touches a device: the functions take the kernel's own structures as
// the driver filled them in, so they can be checked with recorded answers.
// All functions are pure and may be called from any thread.

// One pixel format as VIDIOC_ENUM_FMT reported it, with the answers of
// VIDIOC_ENUM_FRAMESIZES for it in index order (empty when the driver does not
// enumerate frame sizes for the format).
struct DriverFormat {
    v4l2_fmtdesc description{};
    QList<v4l2_frmsizeenum> sizes;
};

// The subtype name shown for a fourcc: the usual capture names for the common
// formats ("YUY2", "MJPG", "RGB24", "I420", ...), otherwise the fourcc's four
// characters without surrounding blanks, and empty when it is not printable.
QString subtypeName(quint32 fourcc);

// One entry per format and frame size, in the driver's order. Formats that
// the conversion library adds (flagged emulated) are left out, as they repeat
// the camera's own. A discrete size gives min = max; a stepwise or continuous
// range gives one entry from its minimum to its maximum. A format without
// frame size enumeration gives the current size (VIDIOC_G_FMT) when it is the
// current format, and nothing otherwise.
QList<VideoFormat> formatsFromDriver(const QList<DriverFormat>& formats,
                                     const std::optional<v4l2_pix_format>& current = std::nullopt);

// The control as the program offers it, or nothing for a control it does not
// offer: other types than integer, boolean and menu, and disabled or
// read-only controls. `menuItems` holds the VIDIOC_QUERYMENU names from
// minimum to maximum, an empty name where the driver has none; the result
// always has exactly one item per value.
std::optional<CaptureControl> controlFromDriver(const v4l2_queryctrl& control, int value,
                                                const QStringList& menuItems);

// Frames per second from VIDIOC_G_PARM's time per frame; 30 when the driver
// does not say.
double frameRateFromTimePerFrame(const v4l2_fract& timePerFrame);

// Copies one RGB24 buffer of `size` bytes, `bytesPerLine` bytes apart per row,
// into a new Format_RGB888 picture. A null picture when the buffer is too
// short for the frame, as after a torn or failed transfer.
QImage imageFromRgb24(const uchar* data, qsizetype size, int width, int height, int bytesPerLine);

// Whether a node is for video capture: V4L2_CAP_VIDEO_CAPTURE in the node's
// own capabilities (so the metadata node beside each camera is not one).
bool isVideoCaptureNode(const v4l2_capability& capability);

// The names of the video nodes among the entries of /dev ("video0",
// "video12"), sorted by number.
QStringList videoNodeNames(const QStringList& deviceEntries);

// A fixed-size, NUL-padded text field of a kernel structure.
QString driverText(const __u8* text, std::size_t size);
