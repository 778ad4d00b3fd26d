// Program entry: the settings object first, then the main window and the
// other windows and the data module in their order, the event loop, and the
// settings written at the end of every run.

#include "AlarmDetector.h"
#include "AppIcon.h"
#include "CaptureSystem.h"
#include "ErrorReport.h"
#include "ErrorReportWindow.h"
#include "FfmpegAviWriter.h"
#include "Folders.h"
#include "FrameRing.h"
#include "KelvorApplication.h"
#include "MciService.h"
#include "MonitorPage.h"
#include "PinyinSearch.h"
#include "PlaybackController.h"
#include "PlaybackPage.h"
#include "PlayerPanel.h"
#include "ProfileFile.h"
#include "QSettingsRegistryKey.h"
#include "QtMessageService.h"
#include "RecordingController.h"
#include "ReplayPage.h"
#include "ReplayPanel.h"
#include "ShellContext.h"
#include "SignalBridge.h"
#include "TFormlogin.h"
#include "TFormlogout.h"
#include "TFormtsxx.h"
#include "TFrmDisplayScr.h"
#include "TGlobal.h"
#include "TMainFrm.h"
#include "Tdbhouse.h"
#include "TestSources.h"
#include "V4l2Device.h"
#include "media.h"

#include <cstdio>

int main(int argc, char** argv) {
    KelvorApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    const QString programFile = QCoreApplication::applicationFilePath();
    TGlobal global(programFile);

    SystemClock clock;
    ErrorReport errors(clock);
    app.setErrorReport(&errors);
    ErrorReportWindow errorWindow(errors);
    QtMessageService messages;
    QSettingsRegistryKey windowKey(QString::fromUtf16(kAppTitle));

    ShellContext ctx{global, messages, errors, windowKey, clock, programFolderOf(programFile)};
    int rc = 0;
    {
        // The player draws through the MCI service; its controller works on
        // the play list of the playback page, so it is attached as soon as
        // the pages exist, before the window's creation steps.
        MciService mci(MciServiceOptions::fromEnvironment());
        Media media(mci, &TFrmDisplayScr::nativeClientSize);
        std::unique_ptr<PlaybackController> player;
        TMainFrm mainFrm(ctx, [&](TMainFrm& w) {
            player = std::make_unique<PlaybackController>(media, messages, errors,
                                                          *w.playbackPage->playerPanel);
            w.playbackPage->playerPanel->setController(*player);
            ctx.player = player.get();
        });
        player->setVolume(mainFrm.windowState().volume);

        TFrmDisplayScr displayScr(media, messages);
        displayScr.setWindowIcon(appIcon());
        displayScr.setMainWindowGeometry([&mainFrm] { return mainFrm.frameGeometry(); });
        mainFrm.playbackPage->playerPanel->attachDisplayWindow(displayScr);
        ctx.mainWindowMoved = [&displayScr] {
            displayScr.mainWindowMoved();
        };

        Tdbhouse dbhouse;
        TFormtsxx prompt;
        TFormlogout logout(global, messages);
        TFormlogin login(global, messages);
        ctx.dbhouse = &dbhouse;
        ctx.prompt = &prompt;
        ctx.logoutGate = &logout;
        ctx.loginGate = &login;

        // Cameras first, then the test sources when KELVOR_TEST_CAMERA asks
        // for them.
        CaptureSystem capture([] {
            CaptureSystem::DeviceList devices = enumerateV4l2Devices();
            for (auto& d : testDevicesFromEnvironment())
                devices.push_back(std::move(d));
            return devices;
        });
        FfmpegAviWriter writer;
        RecordingController recording(global, dbhouse, capture, writer, clock, messages, errors);
        mainFrm.monitorPage->bind(recording);
        ctx.monitor = &recording;

        FrameRing ring;
        recording.setFrameRing(&ring);
        mainFrm.replayPanel->bind(ring);
        mainFrm.replayPage->bind(ring);
        ctx.replay = &ring;
        AlarmDetector alarms(global, dbhouse, recording, clock, errors, ctx.programFolder);
        ctx.alarmCheck = &alarms;

        PinyinSearch search(*mainFrm.playbackPage->PYEdit,
                            *mainFrm.playbackPage->playerPanel->sglist, [&player](int index) {
                                player->setCurrentIndex(index);
                                player->PlayBtnClick(false);
                            });
        ctx.activateSearch = [&search] {
            search.activate();
        };

        SignalBridge bridge;
        QObject::connect(&bridge, &SignalBridge::terminationRequested, &mainFrm,
                         &TMainFrm::shutdownRequested);

        mainFrm.showMaximized();
        rc = QApplication::exec();

        // Nothing may call into the player or the video window once they go.
        ctx.activateSearch = nullptr;
        ctx.mainWindowMoved = nullptr;
        ctx.player = nullptr;
    }

    try {
        global.WriteSettings();
    } catch (const ProfileWriteError& e) {
        std::fprintf(stderr, "kelvor: %s\n", e.what());
    }
    return rc;
}
