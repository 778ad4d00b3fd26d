#include "Similarity.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Blocks are square and a multiple of 16 pixels wide (48 bytes of RGB888,
// three SSE2 registers), about 40 across the picture at any capture size.
constexpr int kBlockUnit = 16;
constexpr int kTargetColumns = 40;
// Keeps a block row below 256 registers, so that its per-byte clip counts
// can be kept in bytes (see sumBlock).
constexpr int kMaxBlockUnits = 80;

// A block whose mean brightness departs from the fitted brightness change by
// less than kLow grey levels is unchanged, by kHigh or more fully changed,
// and in between partly.
constexpr double kLow = 8.0;
constexpr double kHigh = 24.0;

// The fitted change of brightness moves no grey level by more than kMaxShift:
// a larger change of the whole picture (lights switched off, the lens
// covered) is a change. Its gain stays within kMinGain..kMaxGain and is only
// fitted when the blocks' brightness spreads by at least kMinSpread grey
// levels (standard deviation); otherwise the change is a pure offset. Blocks
// within kInlierResidual of the fit take part in its next round. Blocks with
// more than kClipShare of their bytes at 0 or 255 take no part at all.
constexpr double kMaxShift = 40.0;
constexpr double kMinGain = 0.8;
constexpr double kMaxGain = 1.25;
constexpr double kMinSpread = 12.0;
constexpr double kInlierResidual = (kLow + kHigh) / 2;
constexpr int kFitRounds = 3;
constexpr double kClipShare = 0.01;

// The changed share of the picture that maps to a similarity of exactly 0.93.
constexpr double kAlarmFraction = 0.05;

int blockSizeFor(int width) {
    const int units = (width + kBlockUnit * kTargetColumns / 2) / (kBlockUnit * kTargetColumns);
    return kBlockUnit * std::clamp(units, 1, kMaxBlockUnits);
}

struct Block {
    double a = 0;      // mean of the first picture's bytes
    double b = 0;      // mean of the second picture's bytes
    double low = 0;    // share of bytes at 0 in either picture
    double high = 0;   // share of bytes at 255 in either picture
    double weight = 0; // pixels covered
};

// Sums over the sampled bytes of one block.
struct Sums {
    std::int64_t a = 0;
    std::int64_t b = 0;
    std::int64_t low = 0;
    std::int64_t high = 0;
};

constexpr std::uint64_t kLow7Bits = 0x7f7f7f7f7f7f7f7fULL;
constexpr std::uint64_t kEvenBytes = 0x00ff00ff00ff00ffULL;

// The top bit of every byte of x that is 0, and no other bit.
std::uint64_t zeroBytes(std::uint64_t x) {
    return ~(((x & kLow7Bits) + kLow7Bits) | x | kLow7Bits);
}

std::int64_t laneTotal(std::uint64_t lanes) {
    return std::int64_t((lanes & 0xffff) + ((lanes >> 16) & 0xffff) + ((lanes >> 32) & 0xffff) +
                        (lanes >> 48));
}

// Sums the bytes [from, to) of each of the sampled rows, eight at a time in
// a 64-bit word, the rest one by one.
Sums sumPlain(const uchar* const* rowsA, const uchar* const* rowsB, int rows, int from, int to) {
    Sums sums;
    // Byte sums in four 16-bit lanes and clip counts in eight 8-bit lanes,
    // moved into `sums` before they hold more than 128 words.
    std::uint64_t lanesA = 0;
    std::uint64_t lanesB = 0;
    std::uint64_t lanesLow = 0;
    std::uint64_t lanesHigh = 0;
    int counted = 0;
    auto flush = [&] {
        sums.a += laneTotal(lanesA);
        sums.b += laneTotal(lanesB);
        sums.low += laneTotal((lanesLow & kEvenBytes) + ((lanesLow >> 8) & kEvenBytes));
        sums.high += laneTotal((lanesHigh & kEvenBytes) + ((lanesHigh >> 8) & kEvenBytes));
        lanesA = lanesB = lanesLow = lanesHigh = 0;
        counted = 0;
    };
    for (int r = 0; r < rows; ++r) {
        const uchar* rowA = rowsA[r];
        const uchar* rowB = rowsB[r];
        int x = from;
        for (; to - x >= 8; x += 8) {
            if (counted == 128)
                flush();
            std::uint64_t a;
            std::uint64_t b;
            std::memcpy(&a, rowA + x, 8);
            std::memcpy(&b, rowB + x, 8);
            lanesA += (a & kEvenBytes) + ((a >> 8) & kEvenBytes);
            lanesB += (b & kEvenBytes) + ((b >> 8) & kEvenBytes);
            lanesLow += (zeroBytes(a) | zeroBytes(b)) >> 7;
            lanesHigh += (zeroBytes(~a) | zeroBytes(~b)) >> 7;
            ++counted;
        }
        for (; x < to; ++x) {
            sums.a += rowA[x];
            sums.b += rowB[x];
            sums.low += (rowA[x] == 0) | (rowB[x] == 0);
            sums.high += (rowA[x] == 255) | (rowB[x] == 255);
        }
    }
    flush();
    return sums;
}

#ifdef __SSE2__
std::int64_t total(__m128i halves) {
    alignas(16) std::int64_t lanes[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), halves);
    return lanes[0] + lanes[1];
}

// Sums one full block: `vectors` registers of 16 bytes from `offset` on, in
// each of the sampled rows. The block is walked row after row so that its
// sums stay in registers; the rows of one band stay in the cache meanwhile.
template <int kVectors>
Sums sumBlock(const uchar* const* rowsA, const uchar* const* rowsB, int rows, int offset,
              int dynamicVectors) {
    const int vectors = kVectors > 0 ? kVectors : dynamicVectors;
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi8(-1);
    // _mm_sad_epu8 sums: two 64-bit halves each.
    __m128i a = zero;
    __m128i b = zero;
    __m128i low = zero;
    __m128i high = zero;
    // Per-byte counts of clipped bytes, moved into low and high before they
    // can pass 255.
    __m128i lowCount = zero;
    __m128i highCount = zero;
    int counted = 0;
    for (int r = 0; r < rows; ++r) {
        if (counted + vectors > 255) {
            low = _mm_add_epi64(low, _mm_sad_epu8(lowCount, zero));
            high = _mm_add_epi64(high, _mm_sad_epu8(highCount, zero));
            lowCount = zero;
            highCount = zero;
            counted = 0;
        }
        const uchar* pa = rowsA[r] + offset;
        const uchar* pb = rowsB[r] + offset;
        for (int v = 0; v < vectors; ++v) {
            const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pa));
            const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb));
            a = _mm_add_epi64(a, _mm_sad_epu8(va, zero));
            b = _mm_add_epi64(b, _mm_sad_epu8(vb, zero));
            // A byte at 0 (255) in either picture; a set mask byte is -1, so
            // subtracting the mask counts one.
            lowCount = _mm_sub_epi8(lowCount, _mm_cmpeq_epi8(_mm_min_epu8(va, vb), zero));
            highCount = _mm_sub_epi8(highCount, _mm_cmpeq_epi8(_mm_max_epu8(va, vb), full));
            pa += 16;
            pb += 16;
        }
        counted += vectors;
    }
    low = _mm_add_epi64(low, _mm_sad_epu8(lowCount, zero));
    high = _mm_add_epi64(high, _mm_sad_epu8(highCount, zero));
    return {total(a), total(b), total(low), total(high)};
}
#endif

// Sums one band of blocks over its sampled rows. `out` receives the sums of
// the full blocks and then of the narrower block at the right edge, if any.
void sumBand(const std::vector<const uchar*>& rowsA, const std::vector<const uchar*>& rowsB,
             int rowBytes, int blockBytes, int fullColumns, Sums* out) {
    const int rows = int(rowsA.size());
    for (int c = 0; c < fullColumns; ++c) {
#ifdef __SSE2__
        const int vectors = blockBytes / 16;
        out[c] = vectors == 3
                     ? sumBlock<3>(rowsA.data(), rowsB.data(), rows, c * blockBytes, 3)
                     : sumBlock<0>(rowsA.data(), rowsB.data(), rows, c * blockBytes, vectors);
#else
        out[c] = sumPlain(rowsA.data(), rowsB.data(), rows, c * blockBytes, (c + 1) * blockBytes);
#endif
    }
    const int tailFrom = fullColumns * blockBytes;
    if (tailFrom < rowBytes)
        out[fullColumns] = sumPlain(rowsA.data(), rowsB.data(), rows, tailFrom, rowBytes);
}

double median(std::vector<double>& values) {
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

struct Fit {
    double gain = 1.0;
    double offset = 0.0;

    double residual(double a, double b) const { return b - (gain * a + offset); }
    // How far the fitted change moves a byte of value v.
    double shift(double v) const { return (gain - 1.0) * v + offset; }

    // Keeps gain and offset within their bounds, and the shift within
    // kMaxShift over 0..255 (being linear, it is largest at an end).
    Fit bounded() const {
        Fit fit{std::clamp(gain, kMinGain, kMaxGain), std::clamp(offset, -kMaxShift, kMaxShift)};
        fit.gain = std::clamp(fit.gain, 1.0 + (-kMaxShift - fit.offset) / 255.0,
                              1.0 + (kMaxShift - fit.offset) / 255.0);
        return fit;
    }
};

// The brightness change b = gain * a + offset between the pictures. It starts
// as a pure offset, the median difference of the blocks, which a change in
// fewer than half of the blocks cannot move far. Then a few rounds of least
// squares over the blocks that the current fit explains to within
// kInlierResidual refine gain and offset: changed blocks lie outside that
// band and do not pull the fit towards themselves. Blocks that clip in either
// picture are left out, since clipping bends the change there.
Fit fitBrightness(const std::vector<Block>& blocks) {
    struct Point {
        double a, b, weight;
    };
    std::vector<Point> points;
    points.reserve(blocks.size());
    for (const Block& block : blocks)
        if (block.low + block.high <= kClipShare)
            points.push_back({block.a, block.b, block.weight});
    // Mostly clipped pictures (night, glare): judge the offset on all blocks.
    const std::size_t enough = std::max<std::size_t>(6, blocks.size() / 5);
    if (points.size() < enough) {
        points.clear();
        for (const Block& block : blocks)
            points.push_back({block.a, block.b, block.weight});
    }

    Fit fit;
    std::vector<double> differences;
    differences.reserve(points.size());
    for (const Point& p : points)
        differences.push_back(p.b - p.a);
    fit.offset = median(differences);
    fit = fit.bounded();

    for (int round = 0; round < kFitRounds; ++round) {
        double weight = 0, sumA = 0, sumB = 0, sumAA = 0, sumAB = 0;
        std::size_t inliers = 0;
        for (const Point& p : points) {
            const bool inlier = std::abs(fit.residual(p.a, p.b)) < kInlierResidual;
            const double w = inlier ? p.weight : 0.0;
            weight += w;
            sumA += w * p.a;
            sumB += w * p.b;
            sumAA += w * p.a * p.a;
            sumAB += w * p.a * p.b;
            inliers += inlier ? 1 : 0;
        }
        if (inliers < enough)
            break;
        // Identical pictures give covAB == varA bit for bit: a gain of 1.
        const double meanA = sumA / weight;
        const double meanB = sumB / weight;
        const double varA = sumAA / weight - meanA * meanA;
        const double covAB = sumAB / weight - meanA * meanB;
        Fit next;
        if (varA >= kMinSpread * kMinSpread)
            next.gain = covAB / varA;
        next.offset = meanB - next.gain * meanA;
        next = next.bounded();
        const bool settled =
            std::abs(next.gain - fit.gain) < 1e-4 && std::abs(next.offset - fit.offset) < 1e-2;
        fit = next;
        if (settled)
            break;
    }
    return fit;
}

} // namespace

double pictureSimilarity(const QImage& a, const QImage& b) {
    if (a.isNull() && b.isNull())
        return 1.0;
    if (a.size() != b.size())
        return 0.0;
    const QImage rgbA =
        a.format() == QImage::Format_RGB888 ? a : a.convertToFormat(QImage::Format_RGB888);
    const QImage rgbB =
        b.format() == QImage::Format_RGB888 ? b : b.convertToFormat(QImage::Format_RGB888);

    const int width = a.width();
    const int height = a.height();
    const int blockSize = blockSizeFor(width);
    const int fullColumns = width / blockSize;
    const int tailWidth = width % blockSize; // of the narrower block at the right
    const int columns = fullColumns + (tailWidth != 0 ? 1 : 0);
    const int bands = (height + blockSize - 1) / blockSize;

    std::vector<Block> blocks;
    blocks.reserve(std::size_t(columns) * std::size_t(bands));
    std::vector<Sums> sums(static_cast<std::size_t>(columns));
    std::vector<const uchar*> rowsA;
    std::vector<const uchar*> rowsB;
    for (int band = 0; band < bands; ++band) {
        const int y0 = band * blockSize;
        const int y1 = std::min(height, y0 + blockSize);
        // Every other row, starting with the band's first.
        rowsA.clear();
        rowsB.clear();
        for (int y = y0; y < y1; y += 2) {
            rowsA.push_back(rgbA.constScanLine(y));
            rowsB.push_back(rgbB.constScanLine(y));
        }
        sumBand(rowsA, rowsB, 3 * width, 3 * blockSize, fullColumns, sums.data());
        const int sampledRows = int(rowsA.size());
        const double perFullByte = 1.0 / (3.0 * blockSize * sampledRows);
        for (int c = 0; c < columns; ++c) {
            const int blockWidth = c < fullColumns ? blockSize : tailWidth;
            const double perByte =
                c < fullColumns ? perFullByte : 1.0 / (3.0 * blockWidth * sampledRows);
            const Sums& s = sums[std::size_t(c)];
            blocks.push_back({double(s.a) * perByte, double(s.b) * perByte, double(s.low) * perByte,
                              double(s.high) * perByte, double(blockWidth) * (y1 - y0)});
        }
    }

    const Fit fit = fitBrightness(blocks);
    const double toleranceHigh = std::abs(fit.shift(255.0));
    const double toleranceLow = std::abs(fit.shift(0.0));
    double changed = 0;
    double total = 0;
    for (const Block& block : blocks) {
        // Clipping may pull a block's mean away from the fitted change: a
        // byte at 255 in either picture (pushed there by the change, or
        // already there and brighter in truth) departs from the change by at
        // most the shift at 255, a byte at 0 by at most the shift at 0.
        const double departure = std::abs(fit.residual(block.a, block.b)) -
                                 block.high * toleranceHigh - block.low * toleranceLow;
        const double score = std::clamp((departure - kLow) * (1.0 / (kHigh - kLow)), 0.0, 1.0);
        changed += block.weight * score;
        total += block.weight;
    }
    const double fraction = changed / total;
    // (1 - f)^p with p chosen so that f = kAlarmFraction gives 0.93: exactly 1
    // for no change, 0 when everything changed, strictly falling in between.
    static const double exponent = std::log(0.93) / std::log(1.0 - kAlarmFraction);
    return std::pow(1.0 - fraction, exponent);
}
