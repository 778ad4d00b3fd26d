// The player's speed for a 640x480 recording made by the program's writer,
// measured side by side in one run:
//   - from the play command to the first frame shown (the position has left
//     0), through the playback controller and the MCI service, beside the
//     mpv command line started on the same file until it has shown one frame
//     (`mpv --vo=null --ao=null --frames=1`, process start to exit);
//   - the cost of one Timer2 refresh of the controller (status, position,
//     time display, position bar), beside one position query made straight
//     on libmpv.
// Both players run without video or audio output. Best of several rounds.
//
// Usage: player_start [rounds]   (default 5)

#include "CaptureDevice.h"
#include "ErrorReport.h"
#include "FfmpegAviWriter.h"
#include "FileListGrid.h"
#include "MciService.h"
#include "MessageService.h"
#include "PatternDevice.h"
#include "PlaybackController.h"
#include "PlayerPanel.h"
#include "media.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <clocale>
#include <cstdio>

#include <mpv/client.h>

namespace {

struct SilentMessages final : MessageService {
    void show(const QString& text, Icon) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool askYesNo(const QString&) override { return false; }
};

QString makeRecording(const QString& folder) {
    const QString path = folder + QStringLiteral("/260310093005.avi");
    PatternDevice pattern(QStringLiteral("pattern"), PatternDevice::Options{});
    pattern.open();
    pattern.setFormat(640, 480);
    FfmpegAviWriter writer;
    writer.create(path, QStringLiteral("Xvid"));
    for (int i = 0; i < 75; ++i) // 3 s at 25 frames a second
        writer.append(CapturedFrame{pattern.renderFrame(i, i / 25.0), qint64(i) * 40000, 25});
    writer.close();
    return path;
}

// libmpv on its own: the cost of one position query while playing.
double mpvQueryMs(const QString& path) {
    std::setlocale(LC_NUMERIC, "C");
    mpv_handle* mpv = mpv_create();
    mpv_set_option_string(mpv, "vo", "null");
    mpv_set_option_string(mpv, "ao", "null");
    mpv_initialize(mpv);
    const QByteArray file = path.toUtf8();
    const char* cmd[] = {"loadfile", file.constData(), nullptr};
    mpv_command(mpv, cmd);
    for (;;) {
        mpv_event* e = mpv_wait_event(mpv, 5);
        if (e->event_id == MPV_EVENT_PLAYBACK_RESTART || e->event_id == MPV_EVENT_NONE ||
            e->event_id == MPV_EVENT_END_FILE)
            break;
    }
    double pos = 0;
    QElapsedTimer t;
    t.start();
    constexpr int kQueries = 2000;
    for (int i = 0; i < kQueries; ++i)
        mpv_get_property(mpv, "time-pos", MPV_FORMAT_DOUBLE, &pos);
    const double ms = t.nsecsElapsed() / 1e6 / kQueries;
    mpv_terminate_destroy(mpv);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    QTemporaryDir dir;
    const QString path = makeRecording(dir.path());

    MciServiceOptions options;
    options.videoOutput = "null";
    options.audioOutput = "null";
    MciService mci(options);
    Media media(mci);
    SilentMessages messages;
    SystemClock clock;
    ErrorReport errors(clock);
    PlayerPanel panel;
    PlaybackController player(media, messages, errors, panel);
    panel.setController(player);
    player.setUp();
    panel.sglist->AddPlayFile(path);

    double firstFrameMs = 1e9;
    double refreshMs = 1e9;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        player.setCurrentIndex(0);
        player.PlayBtnClick(false);
        // The first frame is shown once the position has left 0.
        while (media.MciPosition(QStringLiteral("MyMp3")) <= 0 && t.elapsed() < 5000)
            QCoreApplication::processEvents();
        firstFrameMs = std::min(firstFrameMs, t.nsecsElapsed() / 1e6);

        QElapsedTimer u;
        u.start();
        constexpr int kRefreshes = 200;
        for (int i = 0; i < kRefreshes; ++i)
            player.Timer2Timer();
        refreshMs = std::min(refreshMs, u.nsecsElapsed() / 1e6 / kRefreshes);
        player.StopBtnClick();
    }

    double cliMs = -1;
    const QString mpvExe = QStandardPaths::findExecutable(QStringLiteral("mpv"));
    if (!mpvExe.isEmpty()) {
        cliMs = 1e9;
        for (int r = 0; r < rounds; ++r) {
            QElapsedTimer t;
            t.start();
            QProcess::execute(mpvExe, {QStringLiteral("--no-config"), QStringLiteral("--vo=null"),
                                       QStringLiteral("--ao=null"), QStringLiteral("--frames=1"),
                                       QStringLiteral("--really-quiet"), path});
            cliMs = std::min(cliMs, t.nsecsElapsed() / 1e6);
        }
    }
    const double queryMs = mpvQueryMs(path);

    std::printf("player, 640x480 Xvid recording, best of %d rounds, ms\n", rounds);
    std::printf("%-28s %10s %10s %8s\n", "", "ours", "mpv", "ratio");
    if (cliMs > 0)
        std::printf("%-28s %10.1f %10.1f %8.2f\n", "play command to first frame", firstFrameMs,
                    cliMs, firstFrameMs / cliMs);
    else
        std::printf("%-28s %10.1f %10s\n", "play command to first frame", firstFrameMs, "(no mpv)");
    std::printf("%-28s %10.4f %10.4f %8.2f\n", "one Timer2 refresh", refreshMs, queryMs,
                refreshMs / queryMs);
    return 0;
}
