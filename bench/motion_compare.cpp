// The cost of the motion alarm's picture comparison beside a plain copy of
// the two frames it compares, measured side by side in one run.
//
// For each capture size two frames of the test camera's still scene with
// independent camera noise are compared with pictureSimilarity, and the same two frames
// are copied with memcpy (what the alarm tick does anyway before comparing).
// Printed: the best of several rounds for each, in milliseconds of the
// thread's CPU time per call, and their ratio. The target is a ratio of at
// most 2.
//
// Usage: motion_compare [calls per round]   (default 50, 15 rounds)

#include "PatternDevice.h"
#include "Similarity.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <vector>

namespace {

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
        // Two frames of the test camera's still scene with new noise each.
        PatternDevice::Options options;
        options.noise = 5;
        PatternDevice camera(QStringLiteral("scene"), options);
        camera.open();
        camera.setFormat(size.width(), size.height());
        const QImage current = camera.renderFrame(1, 0.04);
        const QImage reference = camera.renderFrame(2, 0.08);
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
