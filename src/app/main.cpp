// Program entry: the settings object first, then the main window and the
// other windows and the data module in their order, the event loop, and the
// settings written at the end of every run.

#include "AlarmDetector.h"
#include "CaptureSystem.h"
#include "ErrorReport.h"
#include "ErrorReportWindow.h"
#include "FfmpegAviWriter.h"
#include "Folders.h"
#include "FrameRing.h"
#include "KelvorApplication.h"
#include "MonitorPage.h"
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
#include "TGlobal.h"
#include "TMainFrm.h"
#include "Tdbhouse.h"
#include "TestSources.h"
#include "V4l2Device.h"

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
        TMainFrm mainFrm(ctx);
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

        SignalBridge bridge;
        QObject::connect(&bridge, &SignalBridge::terminationRequested, &mainFrm,
                         &TMainFrm::shutdownRequested);

        mainFrm.showMaximized();
        rc = QApplication::exec();
    }

    try {
        global.WriteSettings();
    } catch (const ProfileWriteError& e) {
        std::fprintf(stderr, "kelvor: %s\n", e.what());
    }
    return rc;
}
