// The cost of the motion alarm on the user-interface thread, measured side by
// side in one run:
//   - one detection tick (take the current frame, compare it with the
//     reference) at 640x480, 1280x720 and 1920x1080, beside a plain copy of
//     the same two frames (target: the tick at most 2 x the copy);
//   - one alarm (BMP written and read back, JPEG at quality 90, row in bjb)
//     at the same sizes.
// Best of several rounds, since this machine's speed wanders.

#include "AlarmDetector.h"
#include "BenchCamera.h"
#include "CaptureSystem.h"
#include "Clock.h"
#include "ErrorReport.h"
#include "FfmpegAviWriter.h"
#include "MessageService.h"
#include "PatternDevice.h"
#include "RecordingController.h"
#include "TGlobal.h"
#include "Tdbhouse.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

struct SilentMessages final : MessageService {
    void show(const QString&, Icon) override {}
    bool askYesNo(const QString&) override { return false; }
};

template <typename F> double bestMs(int rounds, int reps, F&& f) {
    double best = 1e9;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < reps; ++i)
            f(i);
        best = std::min(best, t.nsecsElapsed() / 1e6 / reps);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    std::printf("motion alarm, ms per operation (best of 5 rounds)\n");
    std::printf("%-10s %10s %10s %8s %10s\n", "size", "copy x2", "tick", "ratio", "alarm");
    for (const QSize size : {QSize(640, 480), QSize(1280, 720), QSize(1920, 1080)}) {
        PatternDevice pattern(QStringLiteral("pattern"), PatternDevice::Options{});
        pattern.open();
        pattern.setFormat(size.width(), size.height());
        const QImage a = pattern.renderFrame(0, 0);
        const QImage b = pattern.renderFrame(1, 0.04);

        QImage ca(size, QImage::Format_RGB888);
        QImage cb(size, QImage::Format_RGB888);
        const double copyMs = bestMs(5, 40, [&](int) {
            std::memcpy(ca.bits(), a.constBits(), size_t(a.sizeInBytes()));
            std::memcpy(cb.bits(), b.constBits(), size_t(b.sizeInBytes()));
        });

        QTemporaryDir dir;
        for (const char* d : {"dat", "avi", "sourcejpg"})
            QDir(dir.path()).mkdir(QString::fromUtf8(d));
        QFile::copy(QStringLiteral(KELVOR_DB_FILE), dir.filePath(QStringLiteral("dat/dzxcb.mdb")));
        const QString folder = dir.path() + QLatin1Char('/');
        TGlobal global(dir.filePath(QStringLiteral("kelvor")));
        global.strzxylj = dir.filePath(QStringLiteral("avi"));
        global.strsfbj = QStringLiteral("1");
        global.strsfbcsp = QStringLiteral("0");
        Tdbhouse db;
        db.open(folder);
        SystemClock clock;
        SilentMessages messages;
        ErrorReport errors(clock);
        FfmpegAviWriter writer;
        BenchCamera* device = nullptr;
        qint64 ts = 0;
        CaptureSystem capture([&] {
            CaptureSystem::DeviceList list;
            auto d = std::make_unique<BenchCamera>();
            device = d.get();
            list.push_back(std::move(d));
            return list;
        });
        RecordingController rc(global, db, capture, writer, clock, messages, errors);
        rc.refillDevices();
        rc.pressSpeedButton3();
        AlarmDetector detector(global, db, rc, clock, errors, folder);

        device->push(a, ts += 40000, 25);
        detector.TakeReferenceFrame();
        // Each tick fetches a fresh frame, as it does between frame events.
        const double tickMs = bestMs(5, 40, [&](int i) {
            device->push(i % 2 ? a : b, ts += 40000, 25);
            detector.TakeCurrentFrame();
            detector.CompareWithReference();
        });
        device->push(b, ts += 40000, 25);
        detector.setComparer([](const QImage&, const QImage&) { return 0.5; });
        const double alarmMs = bestMs(5, 10, [&](int) { detector.tbjTimer(); });
        if (!errors.entries().isEmpty())
            std::fprintf(stderr, "error: %s\n", qPrintable(errors.entries()[0].text));

        std::printf("%4dx%-5d %10.3f %10.3f %8.2f %10.2f\n", size.width(), size.height(), copyMs,
                    tickMs, tickMs / copyMs, alarmMs);
        rc.pressSpeedButton3();
    }
    std::printf("target: tick <= 2 x copy\n");
    return 0;
}
