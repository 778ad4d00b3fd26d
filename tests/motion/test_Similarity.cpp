// The picture comparison of the motion alarm on synthetic camera pictures: a
// textured scene (gradients, hard edges, fine high-contrast detail, a window
// that clips at 255, a shadow that clips at 0) with independent camera noise
// in every frame, brightness changes, and objects that appear.
#include "Similarity.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace {

// The motion alarm raises an alarm below this similarity.
constexpr double kAlarmBelow = 0.93;

int hashed(int x, int y, int seed) {
    std::uint32_t h = std::uint32_t(x) * 73856093u ^ std::uint32_t(y) * 19349663u ^
                      std::uint32_t(seed + 1) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return int(h & 0xff);
}

// Layout 0 is the watched scene; layout 1 another scene altogether.
QImage makeScene(int width, int height, int layout = 0) {
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < width; ++x) {
            double u = (x + 0.5) / width;
            double v = (y + 0.5) / height;
            if (layout == 1) {
                const double u0 = u;
                u = 1 - v * 0.9;
                v = 1 - u0 * 0.9;
            }
            int r = int(50 + 150 * u);
            int g = int(60 + 120 * v);
            int b = int(90 + 80 * (1 - u) * v);
            auto in = [&](double u0, double v0, double u1, double v1) {
                return u >= u0 && u < u1 && v >= v0 && v < v1;
            };
            const int t = hashed(x, y, layout);
            if (in(0.05, 0.05, 0.30, 0.28)) { // a window, mostly at 255
                r = g = b = 238 + t % 24;
            } else if (in(0.70, 0.70, 0.95, 0.95)) { // a shadow, partly at 0
                r = g = b = t % 14 - 3;
            } else if (in(0.40, 0.08, 0.62, 0.30)) { // checkerboard, 4 px squares
                r = g = b = (x / 4 + y / 4) % 2 != 0 ? 225 : 25;
            } else if (in(0.05, 0.60, 0.33, 0.90)) { // stripes, 3 px
                r = b = (x / 3) % 2 != 0 ? 190 : 60;
                g = r + 10;
            } else if (in(0.40, 0.55, 0.65, 0.88)) { // foliage
                r = 40 + t % 120;
                g = 70 + t % 150;
                b = 30 + t % 90;
            } else if (in(0.72, 0.10, 0.92, 0.50)) { // a door
                r = 120;
                g = 90;
                b = 60;
            }
            row[3 * x] = uchar(std::clamp(r, 0, 255));
            row[3 * x + 1] = uchar(std::clamp(g, 0, 255));
            row[3 * x + 2] = uchar(std::clamp(b, 0, 255));
        }
    }
    return picture;
}

// Independent noise of up to ±amplitude grey levels in every byte.
QImage withNoise(QImage picture, int amplitude, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-amplitude, amplitude);
    for (int y = 0; y < picture.height(); ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < 3 * picture.width(); ++x)
            row[x] = uchar(std::clamp(row[x] + noise(rng), 0, 255));
    }
    return picture;
}

// Every byte v becomes gain * v + offset, clipped to 0..255.
QImage withLight(QImage picture, double gain, int offset) {
    for (int y = 0; y < picture.height(); ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < 3 * picture.width(); ++x)
            row[x] = uchar(std::clamp(int(std::lround(row[x] * gain)) + offset, 0, 255));
    }
    return picture;
}

enum class Shape { Box, Ellipse, Post };
enum class Look {
    Shifted, // the background it covers, `contrast` darker or brighter
    Flat     // one grey: the mean of the background it covers plus `contrast`
};

struct Object {
    Shape shape;
    double area; // share of the picture
    double centreX, centreY;
    int contrast;
    Look look = Look::Shifted;
};

// The object's pixels, as a mask over the picture.
std::vector<bool> objectMask(const Object& object, int width, int height) {
    const double aspect = object.shape == Shape::Post ? 0.25 : 1.2; // width / height
    double extent = object.area * width * height;
    if (object.shape == Shape::Ellipse)
        extent /= std::numbers::pi / 4;
    const double halfW = std::sqrt(extent * aspect) / 2;
    const double halfH = extent / (4 * halfW);
    std::vector<bool> mask(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double dx = (x + 0.5 - object.centreX * width) / halfW;
            const double dy = (y + 0.5 - object.centreY * height) / halfH;
            mask[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
                object.shape == Shape::Ellipse ? dx * dx + dy * dy <= 1
                                               : std::abs(dx) <= 1 && std::abs(dy) <= 1;
        }
    return mask;
}

QImage withObject(QImage picture, const Object& object) {
    const int width = picture.width();
    const auto mask = objectMask(object, width, picture.height());
    double sum = 0;
    double count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < width; ++x)
            if (mask[std::size_t(y) * std::size_t(width) + std::size_t(x)])
                for (int c = 0; c < 3; ++c) {
                    sum += picture.constScanLine(y)[3 * x + c];
                    ++count;
                }
    const int flat = std::clamp(int(sum / std::max(1.0, count)) + object.contrast, 0, 255);
    for (int y = 0; y < picture.height(); ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < width; ++x)
            if (mask[std::size_t(y) * std::size_t(width) + std::size_t(x)])
                for (int c = 0; c < 3; ++c)
                    row[3 * x + c] =
                        uchar(object.look == Look::Flat
                                  ? flat
                                  : std::clamp(row[3 * x + c] + object.contrast, 0, 255));
    }
    return picture;
}

// `share` of the picture, from the centre outwards, taken from `other`.
QImage withPatch(QImage picture, const QImage& other, double share) {
    const double side = std::sqrt(share);
    const int w = int(std::lround(picture.width() * side));
    const int h = int(std::lround(picture.height() * side));
    const int x0 = (picture.width() - w) / 2;
    const int y0 = (picture.height() - h) / 2;
    for (int y = y0; y < y0 + h; ++y)
        std::copy_n(other.constScanLine(y) + 3 * x0, 3 * w, picture.scanLine(y) + 3 * x0);
    return picture;
}

const QSize kSizes[] = {{320, 240}, {640, 480}};

TEST(PictureSimilarity, IsExactlyOneForIdenticalPictures) {
    for (const QSize size : {QSize(320, 240), QSize(640, 480), QSize(1280, 720), QSize(641, 479),
                             QSize(1366, 768), QSize(17, 13), QSize(8, 8), QSize(1, 1)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        const QImage scene = withNoise(makeScene(size.width(), size.height()), 5, 1);
        EXPECT_EQ(pictureSimilarity(scene, scene), 1.0);
        // A separate copy, whose row padding holds other bytes.
        QImage copy = scene.copy();
        for (int y = 0; y < copy.height(); ++y)
            std::fill(copy.scanLine(y) + 3 * copy.width(), copy.scanLine(y) + copy.bytesPerLine(),
                      uchar(0x5a));
        EXPECT_EQ(pictureSimilarity(scene, copy), 1.0);
        EXPECT_EQ(pictureSimilarity(copy, scene), 1.0);
    }
}

TEST(PictureSimilarity, NullPicturesAreAlikeAndPicturesOfOtherSizesUnlike) {
    const QImage scene = makeScene(64, 48);
    EXPECT_EQ(pictureSimilarity(QImage(), QImage()), 1.0);
    EXPECT_EQ(pictureSimilarity(scene, QImage()), 0.0);
    EXPECT_EQ(pictureSimilarity(QImage(), scene), 0.0);
    EXPECT_EQ(pictureSimilarity(scene, makeScene(64, 49)), 0.0);
    EXPECT_EQ(pictureSimilarity(scene, makeScene(65, 48)), 0.0);
}

TEST(PictureSimilarity, ComparesPicturesOfAnyFormatByTheirColours) {
    const QImage reference = makeScene(320, 240);
    const QImage current = withObject(reference, {Shape::Box, 0.12, 0.5, 0.5, -60, Look::Shifted});
    const double expected = pictureSimilarity(current, reference);
    ASSERT_LT(expected, kAlarmBelow);
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32,
                                        QImage::Format_BGR888, QImage::Format_RGBX8888}) {
        SCOPED_TRACE(format);
        EXPECT_EQ(
            pictureSimilarity(current.convertToFormat(format), reference.convertToFormat(format)),
            expected);
        EXPECT_EQ(pictureSimilarity(current.convertToFormat(format), reference), expected);
        EXPECT_EQ(pictureSimilarity(reference.convertToFormat(format), reference), 1.0);
    }
}

TEST(PictureSimilarity, CameraNoiseKeepsItAt99OrMore) {
    for (const QSize size : kSizes)
        for (const int amplitude : {3, 5}) {
            SCOPED_TRACE(testing::Message()
                         << size.width() << "x" << size.height() << " noise " << amplitude);
            const QImage scene = makeScene(size.width(), size.height());
            const QImage reference = withNoise(scene, amplitude, 11);
            for (unsigned frame = 0; frame < 3; ++frame)
                EXPECT_GE(pictureSimilarity(withNoise(scene, amplitude, 100 + frame), reference),
                          0.99);
            // A clean frame against a noisy one.
            EXPECT_GE(pictureSimilarity(scene, reference), 0.99);
        }
}

TEST(PictureSimilarity, ABrightnessChangeOfTheWholePictureRaisesNoAlarm) {
    struct Case {
        double gain;
        int offset;
        int noise;
    };
    const Case cases[] = {
        {1.0, 10, 0},
        {1.0, -10, 0},
        {1.0, 25, 0},
        {1.0, -25, 0},
        {1.0, 10, 5},
        {1.0, -10, 5},
        {1.0, 25, 5},
        {1.0, -25, 5},
        {1.0, 25, 3},
        {1.0, -25, 3},
        // Exposure scales rather than shifts: a bright area gains more.
        {1.15, 0, 5},
        {0.85, 0, 5},
        {1.1, 10, 5},
        {0.9, -10, 5},
        {0.85, 10, 5},
    };
    for (const QSize size : kSizes) {
        const QImage scene = makeScene(size.width(), size.height());
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << size.width() << "x" << size.height() << " gain " << c.gain << " offset "
                         << c.offset << " noise " << c.noise);
            QImage reference = scene;
            QImage current = withLight(scene, c.gain, c.offset);
            if (c.noise > 0) {
                reference = withNoise(reference, c.noise, 21);
                current = withNoise(current, c.noise, 22);
            }
            EXPECT_GE(pictureSimilarity(current, reference), kAlarmBelow);
            EXPECT_GE(pictureSimilarity(reference, current), kAlarmBelow);
        }
    }
}

TEST(PictureSimilarity, AnObjectOfATenthOfThePictureRaisesAnAlarm) {
    struct Case {
        const char* name;
        Object object;
        int offset; // a brightness change at the same time
    };
    const Case cases[] = {
        {"darker box in the middle", {Shape::Box, 0.10, 0.50, 0.50, -40}, 0},
        {"brighter box in the middle", {Shape::Box, 0.10, 0.50, 0.50, 40}, 0},
        {"darker ellipse, lower left", {Shape::Ellipse, 0.10, 0.30, 0.70, -40}, 0},
        {"brighter post at the right", {Shape::Post, 0.10, 0.85, 0.50, 40}, 0},
        {"darker post at the left", {Shape::Post, 0.10, 0.12, 0.55, -40}, 0},
        {"darker box before the window", {Shape::Box, 0.10, 0.18, 0.20, -40}, 0},
        {"brighter box in the shadow", {Shape::Box, 0.10, 0.82, 0.80, 40}, 0},
        {"flat box, 40 above its background", {Shape::Box, 0.10, 0.55, 0.45, 40, Look::Flat}, 0},
        {"flat ellipse, 40 below its background",
         {Shape::Ellipse, 0.10, 0.45, 0.35, -40, Look::Flat},
         0},
        {"larger darker box", {Shape::Box, 0.12, 0.40, 0.60, -40}, 0},
        {"larger brighter ellipse", {Shape::Ellipse, 0.12, 0.60, 0.40, 40}, 0},
        {"darker box, contrast 60", {Shape::Box, 0.10, 0.50, 0.50, -60}, 0},
        {"brighter post, contrast 60", {Shape::Post, 0.10, 0.70, 0.35, 60}, 0},
        {"darker box while it brightens", {Shape::Box, 0.10, 0.50, 0.50, -40}, 25},
        {"darker box while it darkens", {Shape::Box, 0.10, 0.50, 0.50, -40}, -25},
        {"brighter box while it brightens", {Shape::Box, 0.10, 0.50, 0.50, 40}, 25},
        {"brighter box while it darkens", {Shape::Box, 0.10, 0.50, 0.50, 40}, -25},
        {"darker ellipse before the window while it brightens",
         {Shape::Ellipse, 0.10, 0.18, 0.20, -40},
         25},
        {"brighter post while it darkens by 10", {Shape::Post, 0.10, 0.85, 0.50, 40}, -10},
    };
    for (const QSize size : kSizes) {
        const QImage scene = makeScene(size.width(), size.height());
        const QImage reference = withNoise(scene, 5, 31);
        unsigned seed = 40;
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << size.width() << "x" << size.height() << " " << c.name);
            const QImage changed = withLight(withObject(scene, c.object), 1.0, c.offset);
            EXPECT_LT(pictureSimilarity(changed, scene), kAlarmBelow) << "without noise";
            EXPECT_LT(pictureSimilarity(withNoise(changed, 5, ++seed), reference), kAlarmBelow)
                << "with noise";
        }
    }
}

TEST(PictureSimilarity, FallsAsMoreOfThePictureChanges) {
    for (const QSize size : kSizes) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        const QImage scene = makeScene(size.width(), size.height());
        const QImage other = makeScene(size.width(), size.height(), 1);
        const QImage reference = withNoise(scene, 5, 51);
        double previous = 1.0;
        for (const double share : {0.1, 0.3, 0.8}) {
            const double value =
                pictureSimilarity(withNoise(withPatch(scene, other, share), 5, 52), reference);
            EXPECT_LT(value, previous) << share;
            previous = value;
        }
        EXPECT_LT(pictureSimilarity(withNoise(other, 5, 53), reference), 0.5);
    }
}

TEST(PictureSimilarity, AChangeOfTheWholePictureBeyondExposureRaisesAnAlarm) {
    const QImage scene = makeScene(640, 480);
    const QImage reference = withNoise(scene, 5, 61);
    QImage black(scene.size(), QImage::Format_RGB888);
    black.fill(Qt::black);
    EXPECT_LT(pictureSimilarity(black, reference), 0.5) << "lens covered";
    EXPECT_LT(pictureSimilarity(withNoise(withLight(scene, 1.0, -90), 5, 62), reference),
              kAlarmBelow)
        << "lights off";
    EXPECT_LT(pictureSimilarity(withNoise(withLight(scene, 1.6, 0), 5, 63), reference), kAlarmBelow)
        << "lights on";
}

TEST(PictureSimilarity, SeesChangesInTheNarrowBlocksAtTheRightAndBottomEdges) {
    // Blocks are 16 pixels square at these widths; what is left over at the
    // right and at the bottom forms narrower blocks. Only they change here.
    struct Case {
        QSize size;
        bool right; // else the bottom
        double below;
    };
    const Case cases[] = {
        {{20, 20}, true, kAlarmBelow}, {{20, 20}, false, kAlarmBelow},
        {{47, 31}, true, kAlarmBelow}, {{47, 31}, false, kAlarmBelow},
        {{650, 490}, true, 0.995},     {{650, 490}, false, 0.995}, // a small share
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height()
                                        << (c.right ? " right" : " bottom"));
        const QImage scene = makeScene(c.size.width(), c.size.height());
        QImage changed = scene;
        for (int y = 0; y < c.size.height(); ++y)
            for (int x = 0; x < c.size.width(); ++x)
                if (c.right ? x >= c.size.width() / 16 * 16 : y >= c.size.height() / 16 * 16)
                    std::fill_n(changed.scanLine(y) + 3 * x, 3, uchar(0));
        EXPECT_LT(pictureSimilarity(changed, scene), c.below);
    }
}

TEST(PictureSimilarity, TinyPicturesStillCompare) {
    for (const QSize size : {QSize(1, 1), QSize(8, 8), QSize(17, 13)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        QImage dark(size, QImage::Format_RGB888);
        dark.fill(QColor(30, 30, 30));
        QImage light(size, QImage::Format_RGB888);
        light.fill(QColor(220, 220, 220));
        EXPECT_EQ(pictureSimilarity(dark, dark), 1.0);
        EXPECT_LT(pictureSimilarity(dark, light), kAlarmBelow);
        EXPECT_GE(pictureSimilarity(dark, withLight(dark, 1.0, 20)), kAlarmBelow);
    }
}

} // namespace
