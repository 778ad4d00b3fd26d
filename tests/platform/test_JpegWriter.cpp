// JPEG snapshots: every file is read back with libjpeg's own decompressor.
#include "JpegWriter.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <vector>

#include <jpeglib.h>

namespace {

struct Decoded {
    int width = 0;
    int height = 0;
    int components = 0;
    bool progressive = false;
    J_COLOR_SPACE colourSpace = JCS_UNKNOWN;
    int sampling[3][2] = {};           // h, v factor of each component
    std::array<int, 64> quant[2] = {}; // luminance, chrominance; natural order
    std::vector<unsigned char> rgb;    // width * height * 3
    char message[JMSG_LENGTH_MAX] = {};
    jpeg_decompress_struct cinfo;
    struct {
        jpeg_error_mgr pub;
        std::jmp_buf jump;
    } err;

    QRgb pixel(int x, int y) const {
        const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
        return qRgb(p[0], p[1], p[2]);
    }
};

void decodeErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<decltype(Decoded::err)*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

// Decodes `data` into *out (RGB); false with out->message on a libjpeg error.
// Everything it changes lives behind `out`, as setjmp demands.
bool decodeInto(const QByteArray* data, Decoded* out) {
    jpeg_decompress_struct& cinfo = out->cinfo;
    cinfo.err = jpeg_std_error(&out->err.pub);
    out->err.pub.error_exit = decodeErrorExit;
    if (setjmp(out->err.jump)) {
        (*cinfo.err->format_message)(reinterpret_cast<j_common_ptr>(&cinfo), out->message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data->constData()),
                 static_cast<unsigned long>(data->size()));
    jpeg_read_header(&cinfo, TRUE);
    out->width = static_cast<int>(cinfo.image_width);
    out->height = static_cast<int>(cinfo.image_height);
    out->components = cinfo.num_components;
    out->progressive = cinfo.progressive_mode;
    out->colourSpace = cinfo.jpeg_color_space;
    for (int c = 0; c < cinfo.num_components && c < 3; ++c) {
        out->sampling[c][0] = cinfo.comp_info[c].h_samp_factor;
        out->sampling[c][1] = cinfo.comp_info[c].v_samp_factor;
    }
    for (int t = 0; t < 2; ++t) {
        if (const JQUANT_TBL* table = cinfo.quant_tbl_ptrs[t]) {
            for (int i = 0; i < 64; ++i)
                out->quant[t][static_cast<std::size_t>(i)] = table->quantval[i];
        }
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out->rgb.resize(static_cast<std::size_t>(out->width) * out->height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &out->rgb[static_cast<std::size_t>(cinfo.output_scanline) * out->width * 3];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

Decoded decode(const QString& path) {
    const QByteArray data = readAll(path);
    Decoded d;
    EXPECT_TRUE(decodeInto(&data, &d)) << d.message;
    return d;
}

// The markers of the file up to the start of the scan, walked segment by
// segment from SOI.
std::vector<int> markersBeforeScan(const QByteArray& data) {
    std::vector<int> markers;
    const auto byte = [&](qsizetype i) {
        return static_cast<unsigned char>(data.at(i));
    };
    if (data.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return markers;
    qsizetype i = 2;
    while (i + 4 <= data.size() && byte(i) == 0xFF) {
        const int marker = byte(i + 1);
        markers.push_back(marker);
        if (marker == 0xDA)
            break;
        i += 2 + (byte(i + 2) << 8 | byte(i + 3));
    }
    return markers;
}

// The example tables of the JPEG standard (Annex K, tables K.1 and K.2), in
// natural order, scaled for `quality` as libjpeg scales them, clamped to the
// baseline range.
std::array<int, 64> expectedTable(const std::array<int, 64>& base, int quality) {
    const long scale = jpeg_quality_scaling(quality);
    std::array<int, 64> out{};
    for (std::size_t i = 0; i < 64; ++i)
        out[i] = static_cast<int>(std::clamp((base[i] * scale + 50) / 100, 1L, 255L));
    return out;
}

constexpr std::array<int, 64> kLuminance = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<int, 64> kChrominance = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

void expectNear(QRgb actual, QRgb expected, int tolerance, const char* where) {
    EXPECT_NEAR(qRed(actual), qRed(expected), tolerance) << where;
    EXPECT_NEAR(qGreen(actual), qGreen(expected), tolerance) << where;
    EXPECT_NEAR(qBlue(actual), qBlue(expected), tolerance) << where;
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

const QRgb kFlat = qRgb(200, 60, 30);

struct Case {
    const char* name;
    int width;
    int height;
    QImage::Format format;
    QRgb colour; // as written; what decodes back
};

class Sizes : public ::testing::TestWithParam<Case> {};

// Odd sizes exercise partial MCUs and RGB888 rows padded to 4 bytes; the
// other formats go through the conversion.
TEST_P(Sizes, DecodesToThePictureSizeAndColourAsABaselineYCbCrFile) {
    const Case c = GetParam();
    TempDir dir;
    const QString path = dir.file(QStringLiteral("snap.jpg"));
    QImage picture(c.width, c.height, c.format);
    picture.fill(c.colour);
    writeJpeg(picture, path);

    const Decoded d = decode(path);
    EXPECT_EQ(d.width, c.width);
    EXPECT_EQ(d.height, c.height);
    EXPECT_EQ(d.components, 3);
    EXPECT_EQ(d.colourSpace, JCS_YCbCr);
    EXPECT_FALSE(d.progressive);
    for (int y = 0; y < d.height; y += std::max(1, d.height / 7))
        for (int x = 0; x < d.width; x += std::max(1, d.width / 7))
            expectNear(d.pixel(x, y), c.colour, 3, c.name);
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("snap.jpg")});
}

INSTANTIATE_TEST_SUITE_P(JpegWriter, Sizes,
                         ::testing::Values(Case{"vga", 640, 480, QImage::Format_RGB888, kFlat},
                                           Case{"one", 1, 1, QImage::Format_RGB888, kFlat},
                                           Case{"odd", 17, 9, QImage::Format_RGB888, kFlat},
                                           Case{"tall", 3, 70, QImage::Format_RGB888, kFlat},
                                           Case{"argb", 33, 20, QImage::Format_ARGB32, kFlat},
                                           Case{"rgb32", 16, 16, QImage::Format_RGB32, kFlat},
                                           Case{"grey", 31, 15, QImage::Format_Grayscale8,
                                                qRgb(90, 90, 90)}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(JpegWriter, FileIsBaselineWithTheStandardTablesForQuality90) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("snap.jpg"));
    QImage picture(48, 32, QImage::Format_RGB888);
    picture.fill(kFlat);
    writeJpeg(picture, path);

    const std::vector<int> markers = markersBeforeScan(readAll(path));
    ASSERT_FALSE(markers.empty());
    EXPECT_EQ(markers.back(), 0xDA) << "the headers run up to the scan";
    const auto has = [&](int m) {
        return std::find(markers.begin(), markers.end(), m) != markers.end();
    };
    EXPECT_TRUE(has(0xC0)) << "SOF0, baseline";
    for (int other : {0xC1, 0xC2, 0xC3, 0xC9, 0xCA})
        EXPECT_FALSE(has(other)) << "SOF marker " << std::hex << other;

    const Decoded d = decode(path);
    EXPECT_FALSE(d.progressive);
    // 4:2:0: luminance at full resolution, both chroma halved both ways.
    EXPECT_EQ(d.sampling[0][0], 2);
    EXPECT_EQ(d.sampling[0][1], 2);
    EXPECT_EQ(d.sampling[1][0], 1);
    EXPECT_EQ(d.sampling[2][1], 1);
    EXPECT_EQ(d.quant[0], expectedTable(kLuminance, 90));
    EXPECT_EQ(d.quant[1], expectedTable(kChrominance, 90));
    EXPECT_EQ(d.quant[0][0], 3) << "16 * 20 % rounds to 3";
}

TEST(JpegWriter, QualityIsPassedOn) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("snap.jpg"));
    QImage picture(8, 8, QImage::Format_RGB888);
    picture.fill(kFlat);
    writeJpeg(picture, path, 50);
    const Decoded d = decode(path);
    EXPECT_EQ(d.quant[0], expectedTable(kLuminance, 50));
    EXPECT_EQ(d.quant[1], expectedTable(kChrominance, 50));
}

// Four colours in the quadrants of an odd-sized picture: rows in order, no
// mirror, R/G/B in place, padded rows read with their stride.
TEST(JpegWriter, PixelsKeepTheirPlaceAndColour) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("snap.jpg"));
    const int w = 101;
    const int h = 75;
    const QRgb colours[4] = {qRgb(220, 40, 40), qRgb(40, 200, 60), qRgb(30, 50, 210),
                             qRgb(240, 240, 240)};
    QImage picture(w, h, QImage::Format_RGB888);
    {
        QPainter p(&picture);
        p.fillRect(0, 0, w / 2, h / 2, QColor(colours[0]));
        p.fillRect(w / 2, 0, w - w / 2, h / 2, QColor(colours[1]));
        p.fillRect(0, h / 2, w / 2, h - h / 2, QColor(colours[2]));
        p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, QColor(colours[3]));
    }
    writeJpeg(picture, path);
    const Decoded d = decode(path);
    ASSERT_EQ(d.width, w);
    ASSERT_EQ(d.height, h);
    expectNear(d.pixel(w / 4, h / 4), colours[0], 4, "top left");
    expectNear(d.pixel(3 * w / 4, h / 4), colours[1], 4, "top right");
    expectNear(d.pixel(w / 4, 3 * h / 4), colours[2], 4, "bottom left");
    expectNear(d.pixel(3 * w / 4, 3 * h / 4), colours[3], 4, "bottom right");
}

TEST(JpegWriter, ReplacesAnExistingFile) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("snap.jpg"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    QImage picture(20, 10, QImage::Format_RGB888);
    picture.fill(kFlat);
    writeJpeg(picture, path);
    const Decoded d = decode(path);
    EXPECT_EQ(d.width, 20);
    EXPECT_LT(QFile(path).size(), 100000);
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("snap.jpg")});
}

QByteArray oldContent() {
    return QByteArrayLiteral("the previous snapshot");
}

void writeOld(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(oldContent());
}

TEST(JpegWriter, FailuresThrowWithThePathAndLeaveNothingBehind) {
    TempDir dir;
    QImage good(16, 16, QImage::Format_RGB888);
    good.fill(kFlat);
    QImage tooWide(70000, 1, QImage::Format_RGB888); // libjpeg takes at most 65500
    tooWide.fill(kFlat);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.jpg")));

    struct Failure {
        const char* name;
        QString path;
        QImage picture;
    };
    const Failure failures[] = {
        {"missing folder", dir.file(QStringLiteral("missing/snap.jpg")), good},
        {"a folder in its place", dir.file(QStringLiteral("folder.jpg")), good},
        {"empty picture", dir.file(QStringLiteral("empty.jpg")), QImage()},
        {"libjpeg refuses", dir.file(QStringLiteral("wide.jpg")), tooWide},
    };
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.name);
        try {
            writeJpeg(f.picture, f.path);
            ADD_FAILURE() << "no JpegError";
        } catch (const JpegError& e) {
            EXPECT_TRUE(QString::fromStdString(e.what()).contains(f.path)) << e.what();
        }
    }
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("folder.jpg")});
    EXPECT_TRUE(entries(dir.file(QStringLiteral("folder.jpg"))).isEmpty());
}

TEST(JpegWriter, AFailedWriteKeepsTheExistingFile) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("snap.jpg"));
    writeOld(path);
    QImage tooTall(1, 66000, QImage::Format_RGB888);
    tooTall.fill(kFlat);
    EXPECT_THROW(writeJpeg(tooTall, path), JpegError);
    EXPECT_EQ(readAll(path), oldContent());
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("snap.jpg")});
}

// A full disk, made by limiting the size of files this process may write.
TEST(JpegWriter, AFullDiskThrowsAndKeepsTheExistingFile) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("snap.jpg"));
    writeOld(path);
    QImage noise(256, 256, QImage::Format_RGB888);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb((x * 37 + y * 91) % 256, (x * x + y) % 256, (x ^ y) & 255));

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    QString message;
    try {
        writeJpeg(noise, path);
    } catch (const JpegError& e) {
        threw = true;
        message = QString::fromStdString(e.what());
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(threw);
    EXPECT_TRUE(message.contains(path)) << message.toStdString();
    EXPECT_EQ(readAll(path), oldContent());
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("snap.jpg")});
}

} // namespace
