// The cost of the motion alarm's picture comparison beside a plain copy of
// the two frames it compares, measured side by side in one run.
//
// For each capture size two frames of a textured scene with independent
// camera noise are compared with pictureSimilarity, and the same two frames
// are copied with memcpy (what the alarm tick does anyway before comparing).
// Printed: the best of several rounds for each, in milliseconds of the
// thread's CPU time per call, and their ratio. The target is a ratio of at
// most 2.
//
// Usage: motion_compare [calls per round]   (default 50, 15 rounds)

#include "Similarity.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

namespace {

// Gradients, hard-edged rectangles, fine checkers, and areas at the limits.
QImage makeScene(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB888);
    std::mt19937 texture(7);
    for (int y = 0; y < height; ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int u = 256 * x / width;
            const int v = 256 * y / height;
            int grey = 40 + (u + v) / 3;
            if (u < 64 && v < 64)
                grey = 250;
            else if (u > 192 && v > 192)
                grey = 3;
            else if (u > 96 && u < 160 && v < 80)
                grey = ((x / 4 + y / 4) % 2) != 0 ? 220 : 30;
            else if (u > 96 && u < 160 && v > 140)
                grey = 60 + int(texture() % 140);
            row[3 * x] = uchar(grey);
            row[3 * x + 1] = uchar(std::min(255, grey + 10));
            row[3 * x + 2] = uchar(std::max(0, grey - 10));
        }
    }
    return picture;
}

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

// This thread's CPU time: other processes on a busy machine do not count.
double threadMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

template <typename F> double milliseconds(int calls, F&& work) {
    const double start = threadMilliseconds();
    for (int i = 0; i < calls; ++i)
        work();
    return (threadMilliseconds() - start) / calls;
}

} // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int rounds = 15;
    std::printf("%-11s %14s %14s %7s %11s\n", "size", "compare ms", "copy both ms", "ratio",
                "similarity");
    for (const QSize size :
         {QSize(320, 240), QSize(640, 480), QSize(1280, 720), QSize(1920, 1080)}) {
        const QImage scene = makeScene(size.width(), size.height());
        const QImage current = withNoise(scene, 5, 1);
        const QImage reference = withNoise(scene, 5, 2);
        const auto bytes = std::size_t(current.sizeInBytes());
        std::vector<uchar> copyA(bytes);
        std::vector<uchar> copyB(bytes);

        volatile double sink = 0;
        double similarity = 0;
        double compare = 1e300;
        double copy = 1e300;
        // Rounds alternate, so that both see the same load on the machine.
        for (int round = 0; round < rounds; ++round) {
            compare = std::min(compare, milliseconds(calls, [&] {
                                   similarity = pictureSimilarity(current, reference);
                                   sink = sink + similarity;
                               }));
            copy = std::min(copy, milliseconds(calls, [&] {
                                std::memcpy(copyA.data(), current.constBits(), bytes);
                                std::memcpy(copyB.data(), reference.constBits(), bytes);
                                sink = sink + copyA[bytes / 2] + copyB[bytes / 3];
                            }));
        }
        std::printf("%4dx%-6d %14.4f %14.4f %7.2f %11.4f\n", size.width(), size.height(), compare,
                    copy, compare / copy, similarity * 100);
    }
    return 0;
}
