// The mapping from what a V4L2 driver reports to the format list, the
// subtype names and the picture controls, fed with structures as a USB
// camera fills them in; and, where the machine has a camera, the real thing.
#include "V4l2Device.h"
#include "V4l2Formats.h"

#include <QDir>
#include <cstring>
#include <gtest/gtest.h>

namespace {

v4l2_fmtdesc formatDescription(__u32 index, __u32 fourcc, __u32 flags = 0) {
    v4l2_fmtdesc description{};
    description.index = index;
    description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    description.flags = flags;
    description.pixelformat = fourcc;
    return description;
}

QList<v4l2_frmsizeenum> discreteSizes(__u32 fourcc, const QList<QSize>& sizes) {
    QList<v4l2_frmsizeenum> result;
    for (const QSize& size : sizes) {
        v4l2_frmsizeenum entry{};
        entry.index = static_cast<__u32>(result.size());
        entry.pixel_format = fourcc;
        entry.type = V4L2_FRMSIZE_TYPE_DISCRETE;
        entry.discrete.width = static_cast<__u32>(size.width());
        entry.discrete.height = static_cast<__u32>(size.height());
        result.append(entry);
    }
    return result;
}

v4l2_frmsizeenum sizeRange(__u32 fourcc, __u32 type, QSize minimum, QSize maximum) {
    v4l2_frmsizeenum entry{};
    entry.pixel_format = fourcc;
    entry.type = type;
    entry.stepwise.min_width = static_cast<__u32>(minimum.width());
    entry.stepwise.min_height = static_cast<__u32>(minimum.height());
    entry.stepwise.max_width = static_cast<__u32>(maximum.width());
    entry.stepwise.max_height = static_cast<__u32>(maximum.height());
    entry.stepwise.step_width = 2;
    entry.stepwise.step_height = 2;
    return entry;
}

QStringList linesOf(const QList<VideoFormat>& formats) {
    QStringList lines;
    for (const VideoFormat& format : formats)
        lines.append(format.line());
    return lines;
}

const QList<QSize> kWebcamSizes = {{640, 480}, {320, 240}, {160, 120}, {1280, 720}};

} // namespace

TEST(V4l2FormatList, TypicalWebcamInDriverOrderWithoutEmulatedFormats) {
    // What a USB camera answers through libv4l2: its own YUYV and MJPG, then
    // the RGB24 that the conversion library adds (and answers sizes for).
    QList<DriverFormat> driver = {
        {formatDescription(0, V4L2_PIX_FMT_YUYV), discreteSizes(V4L2_PIX_FMT_YUYV, kWebcamSizes)},
        {formatDescription(1, V4L2_PIX_FMT_MJPEG, V4L2_FMT_FLAG_COMPRESSED),
         discreteSizes(V4L2_PIX_FMT_MJPEG, kWebcamSizes)},
        {formatDescription(2, V4L2_PIX_FMT_RGB24, V4L2_FMT_FLAG_EMULATED),
         discreteSizes(V4L2_PIX_FMT_RGB24, kWebcamSizes)},
    };
    EXPECT_EQ(linesOf(formatsFromDriver(driver)),
              QStringList({"YUY2 640x480 to 640x480", "YUY2 320x240 to 320x240",
                           "YUY2 160x120 to 160x120", "YUY2 1280x720 to 1280x720",
                           "MJPG 640x480 to 640x480", "MJPG 320x240 to 320x240",
                           "MJPG 160x120 to 160x120", "MJPG 1280x720 to 1280x720"}));
}

TEST(V4l2FormatList, RangesGiveOneEntryFromMinimumToMaximum) {
    const QList<DriverFormat> driver = {
        {formatDescription(0, V4L2_PIX_FMT_YUYV),
         {sizeRange(V4L2_PIX_FMT_YUYV, V4L2_FRMSIZE_TYPE_STEPWISE, {16, 16}, {1920, 1080})}},
        {formatDescription(1, V4L2_PIX_FMT_NV12),
         {sizeRange(V4L2_PIX_FMT_NV12, V4L2_FRMSIZE_TYPE_CONTINUOUS, {48, 32}, {4096, 2160})}},
    };
    const QList<VideoFormat> formats = formatsFromDriver(driver);
    EXPECT_EQ(linesOf(formats),
              QStringList({"YUY2 16x16 to 1920x1080", "NV12 48x32 to 4096x2160"}));
    EXPECT_EQ(formats.value(0), (VideoFormat{"YUY2", 16, 16, 1920, 1080}));
}

TEST(V4l2FormatList, FormatWithoutSizeEnumerationUsesCurrentSizeOnlyWhenCurrent) {
    const QList<DriverFormat> driver = {
        {formatDescription(0, V4L2_PIX_FMT_YUYV), {}},
        {formatDescription(1, V4L2_PIX_FMT_GREY), {}},
    };
    v4l2_pix_format current{};
    current.width = 720;
    current.height = 576;
    current.pixelformat = V4L2_PIX_FMT_YUYV;

    EXPECT_EQ(linesOf(formatsFromDriver(driver, current)),
              QStringList({"YUY2 720x576 to 720x576"}));
    EXPECT_TRUE(formatsFromDriver(driver).isEmpty());
}

TEST(V4l2FormatList, SubtypeNames) {
    struct Case {
        __u32 fourcc;
        const char* name;
    };
    const Case cases[] = {
        {V4L2_PIX_FMT_YUYV, "YUY2"},
        {V4L2_PIX_FMT_MJPEG, "MJPG"},
        {V4L2_PIX_FMT_JPEG, "MJPG"},
        {V4L2_PIX_FMT_RGB24, "RGB24"},
        {V4L2_PIX_FMT_BGR24, "RGB24"},
        {V4L2_PIX_FMT_YUV420, "I420"},
        {V4L2_PIX_FMT_YVU420, "YV12"},
        {V4L2_PIX_FMT_NV12, "NV12"},
        {V4L2_PIX_FMT_UYVY, "UYVY"},
        {V4L2_PIX_FMT_GREY, "Y800"},
        {V4L2_PIX_FMT_H264, "H264"},
        // Others by their own characters, blanks trimmed.
        {V4L2_PIX_FMT_HEVC, "HEVC"},
        {V4L2_PIX_FMT_Y10, "Y10"},
        {v4l2_fourcc(' ', 'A', 'B', ' '), "AB"},
        // Not printable: nothing to show.
        {0, ""},
        {v4l2_fourcc_be('R', 'G', 'B', 'R'), ""},
        {v4l2_fourcc('Y', 'U', 'Y', '\t'), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(subtypeName(c.fourcc), QString::fromLatin1(c.name)) << "fourcc " << c.fourcc;
}

namespace {

v4l2_queryctrl queryControl(__u32 id, const char* name, __u32 type, int minimum, int maximum,
                            int step, int defaultValue, __u32 flags = 0) {
    v4l2_queryctrl control{};
    control.id = id;
    control.type = type;
    std::strncpy(reinterpret_cast<char*>(control.name), name, sizeof control.name - 1);
    control.minimum = minimum;
    control.maximum = maximum;
    control.step = step;
    control.default_value = defaultValue;
    control.flags = flags;
    return control;
}

} // namespace

TEST(V4l2Controls, OfferedControls) {
    using Kind = CaptureControl::Kind;
    struct Case {
        const char* what;
        v4l2_queryctrl query;
        int value;
        QStringList menuItems;
        CaptureControl expected;
    };
    const Case cases[] = {
        {"integer",
         queryControl(V4L2_CID_BRIGHTNESS, "Brightness", V4L2_CTRL_TYPE_INTEGER, -64, 64, 1, 0),
         12,
         {},
         {V4L2_CID_BRIGHTNESS, "Brightness", Kind::Integer, -64, 64, 1, 0, 12, {}}},
        {"boolean",
         queryControl(V4L2_CID_AUTO_WHITE_BALANCE, "White Balance, Automatic",
                      V4L2_CTRL_TYPE_BOOLEAN, 0, 1, 1, 1),
         0,
         {},
         {V4L2_CID_AUTO_WHITE_BALANCE,
          "White Balance, Automatic",
          Kind::Boolean,
          0,
          1,
          1,
          1,
          0,
          {}}},
        {"menu",
         queryControl(V4L2_CID_POWER_LINE_FREQUENCY, "Power Line Frequency", V4L2_CTRL_TYPE_MENU, 0,
                      2, 1, 1),
         2,
         {"Disabled", "50 Hz", "60 Hz"},
         {V4L2_CID_POWER_LINE_FREQUENCY,
          "Power Line Frequency",
          Kind::Menu,
          0,
          2,
          1,
          1,
          2,
          {"Disabled", "50 Hz", "60 Hz"}}},
        // A menu whose driver skips an index keeps one item per value.
        {"menu with a gap",
         queryControl(V4L2_CID_EXPOSURE_AUTO, "Auto Exposure", V4L2_CTRL_TYPE_MENU, 0, 3, 1, 3),
         3,
         {"", "Manual Mode"},
         {V4L2_CID_EXPOSURE_AUTO,
          "Auto Exposure",
          Kind::Menu,
          0,
          3,
          1,
          3,
          3,
          {"", "Manual Mode", "", ""}}},
        // An inactive control (set automatically for now) is still offered.
        {"inactive",
         queryControl(V4L2_CID_WHITE_BALANCE_TEMPERATURE, "White Balance Temperature",
                      V4L2_CTRL_TYPE_INTEGER, 2800, 6500, 10, 4600, V4L2_CTRL_FLAG_INACTIVE),
         4600,
         {},
         {V4L2_CID_WHITE_BALANCE_TEMPERATURE,
          "White Balance Temperature",
          Kind::Integer,
          2800,
          6500,
          10,
          4600,
          4600,
          {}}},
        // A driver that reports no step still moves in steps of one.
        {"step zero",
         queryControl(V4L2_CID_GAIN, "Gain", V4L2_CTRL_TYPE_INTEGER, 0, 255, 0, 32),
         40,
         {},
         {V4L2_CID_GAIN, "Gain", Kind::Integer, 0, 255, 1, 32, 40, {}}},
    };
    for (const Case& c : cases) {
        const std::optional<CaptureControl> control =
            controlFromDriver(c.query, c.value, c.menuItems);
        ASSERT_TRUE(control.has_value()) << c.what;
        EXPECT_EQ(control->id, c.expected.id) << c.what;
        EXPECT_EQ(control->name, c.expected.name) << c.what;
        EXPECT_EQ(control->kind, c.expected.kind) << c.what;
        EXPECT_EQ(control->minimum, c.expected.minimum) << c.what;
        EXPECT_EQ(control->maximum, c.expected.maximum) << c.what;
        EXPECT_EQ(control->step, c.expected.step) << c.what;
        EXPECT_EQ(control->defaultValue, c.expected.defaultValue) << c.what;
        EXPECT_EQ(control->value, c.expected.value) << c.what;
        EXPECT_EQ(control->menuItems, c.expected.menuItems) << c.what;
    }
}

TEST(V4l2Controls, ControlsNotOffered) {
    struct Case {
        const char* what;
        v4l2_queryctrl query;
    };
    const Case cases[] = {
        {"disabled", queryControl(V4L2_CID_HUE, "Hue", V4L2_CTRL_TYPE_INTEGER, -40, 40, 1, 0,
                                  V4L2_CTRL_FLAG_DISABLED)},
        {"read-only",
         queryControl(V4L2_CID_EXPOSURE_ABSOLUTE, "Exposure Time", V4L2_CTRL_TYPE_INTEGER, 3, 2047,
                      1, 250, V4L2_CTRL_FLAG_READ_ONLY)},
        {"button", queryControl(V4L2_CID_PAN_RESET, "Pan, Reset", V4L2_CTRL_TYPE_BUTTON, 0, 0, 0, 0,
                                V4L2_CTRL_FLAG_WRITE_ONLY)},
        {"class", queryControl(V4L2_CID_USER_CLASS, "User Controls", V4L2_CTRL_TYPE_CTRL_CLASS, 0,
                               0, 0, 0, V4L2_CTRL_FLAG_READ_ONLY)},
        {"integer menu", queryControl(V4L2_CID_USER_BASE + 0x1000, "Bitrate",
                                      V4L2_CTRL_TYPE_INTEGER_MENU, 0, 3, 1, 0)},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(controlFromDriver(c.query, 0, {}).has_value()) << c.what;
}

TEST(V4l2Streaming, FrameRateFromTimePerFrame) {
    struct Case {
        v4l2_fract timePerFrame;
        double rate;
    };
    const Case cases[] = {
        {{1, 30}, 30}, {{1, 15}, 15}, {{2, 15}, 7.5}, {{1001, 30000}, 30000.0 / 1001},
        {{0, 0}, 30},  {{0, 30}, 30}, {{1, 0}, 30},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(frameRateFromTimePerFrame(c.timePerFrame), c.rate)
            << c.timePerFrame.numerator << "/" << c.timePerFrame.denominator;
}

TEST(V4l2Streaming, ImageFromRgb24BufferHonoursRowPadding) {
    // 3x2 picture with 4 bytes of padding after each row; the padding holds
    // 0xEE so that reading it by mistake shows in the pixels.
    const int width = 3, height = 2, bytesPerLine = width * 3 + 4;
    QByteArray buffer(bytesPerLine * height, '\xEE');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            char* pixel = buffer.data() + y * bytesPerLine + x * 3;
            pixel[0] = static_cast<char>(10 * x + y);
            pixel[1] = static_cast<char>(100 + x);
            pixel[2] = static_cast<char>(200 + y);
        }
    const auto* data = reinterpret_cast<const uchar*>(buffer.constData());

    const QImage image = imageFromRgb24(data, buffer.size(), width, height, bytesPerLine);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    EXPECT_EQ(image.size(), QSize(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            EXPECT_EQ(image.pixel(x, y), qRgb(10 * x + y, 100 + x, 200 + y)) << x << "," << y;

    // The last row needs no padding after it.
    EXPECT_FALSE(
        imageFromRgb24(data, bytesPerLine * (height - 1) + width * 3, width, height, bytesPerLine)
            .isNull());
}

TEST(V4l2Streaming, ImageFromRgb24RefusesBuffersThatDoNotHoldTheFrame) {
    const QByteArray buffer(640 * 480 * 3, '\0');
    const auto* data = reinterpret_cast<const uchar*>(buffer.constData());
    struct Case {
        const char* what;
        const uchar* data;
        qsizetype size;
        int width, height, bytesPerLine;
    };
    const Case cases[] = {
        {"short by one byte", data, buffer.size() - 1, 640, 480, 640 * 3},
        {"empty", data, 0, 640, 480, 640 * 3},
        {"rows narrower than the picture", data, buffer.size(), 640, 480, 640 * 2},
        {"no data", nullptr, buffer.size(), 640, 480, 640 * 3},
        {"no size", data, buffer.size(), 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(imageFromRgb24(c.data, c.size, c.width, c.height, c.bytesPerLine).isNull())
            << c.what;
    // A driver that leaves bytesperline at 0 means tightly packed rows.
    EXPECT_FALSE(imageFromRgb24(data, buffer.size(), 640, 480, 0).isNull());
}

TEST(V4l2Nodes, VideoNodesSortedByNumber) {
    EXPECT_EQ(videoNodeNames({"video10", "video2", "media0", "video0", "video", "videox1",
                              "video1a", "v4l-subdev0", "video1"}),
              QStringList({"video0", "video1", "video2", "video10"}));
}

TEST(V4l2Nodes, OnlyVideoCaptureNodesCount) {
    struct Case {
        const char* what;
        __u32 capabilities;
        __u32 deviceCaps;
        bool capture;
    };
    const __u32 all = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING |
                      V4L2_CAP_EXT_PIX_FORMAT | V4L2_CAP_DEVICE_CAPS;
    const Case cases[] = {
        {"camera node", all, V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_EXT_PIX_FORMAT,
         true},
        {"metadata node of the same camera", all,
         V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_EXT_PIX_FORMAT, false},
        {"output node", V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_DEVICE_CAPS, V4L2_CAP_VIDEO_OUTPUT, false},
        {"old driver without device caps", V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING, 0, true},
    };
    for (const Case& c : cases) {
        v4l2_capability capability{};
        capability.capabilities = c.capabilities;
        capability.device_caps = c.deviceCaps;
        EXPECT_EQ(isVideoCaptureNode(capability), c.capture) << c.what;
    }
}

TEST(V4l2Nodes, DriverTextStopsAtTheFirstNulOrTheFieldEnd) {
    v4l2_capability capability{};
    std::memcpy(capability.card, "HD Webcam C270", 14);
    EXPECT_EQ(driverText(capability.card, sizeof capability.card), "HD Webcam C270");
    std::memset(capability.card, 'A', sizeof capability.card);
    EXPECT_EQ(driverText(capability.card, sizeof capability.card),
              QString(sizeof capability.card, QLatin1Char('A')));
}

// Needs a camera: CI has none, and the test then says so and is skipped.
TEST(V4l2Camera, EnumeratesAndOpensTheFirstCamera) {
    std::vector<std::unique_ptr<CaptureDevice>> devices = enumerateV4l2Devices();
    if (devices.empty())
        GTEST_SKIP() << "no video capture device under /dev";

    CaptureDevice& device = *devices.front();
    EXPECT_FALSE(device.name().isEmpty());
    EXPECT_FALSE(device.isOpen());
    device.open();
    EXPECT_TRUE(device.isOpen());
    const QList<VideoFormat> formats = device.formats();
    EXPECT_FALSE(formats.isEmpty());
    for (const VideoFormat& format : formats) {
        EXPECT_GT(format.minWidth, 0) << format.line().toStdString();
        EXPECT_LE(format.minWidth, format.maxWidth) << format.line().toStdString();
        EXPECT_LE(format.minHeight, format.maxHeight) << format.line().toStdString();
    }
    device.controls();
    device.close();
    EXPECT_FALSE(device.isOpen());
    EXPECT_THROW(device.formats(), CaptureError);
}

TEST(V4l2Camera, OpeningAMissingNodeNamesThePathAndTheReason) {
    V4l2Device device(QStringLiteral("/nonexistent/video99"), QStringLiteral("gone"));
    try {
        device.open();
        FAIL() << "open succeeded";
    } catch (const CaptureError& error) {
        const QString text = QString::fromUtf8(error.what());
        EXPECT_TRUE(text.contains("/nonexistent/video99")) << error.what();
        EXPECT_TRUE(text.contains(
            QString::fromStdString(std::error_code(ENOENT, std::generic_category()).message())))
            << error.what();
    }
    EXPECT_FALSE(device.isOpen());
    EXPECT_THROW(device.setFormat(640, 480), CaptureError);
    device.close(); // closing a closed device does nothing
}
