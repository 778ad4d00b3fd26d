// Start-up, activation, tray and shutdown of the main window, driven with
// fakes of the other subsystems on the offscreen platform.
#include "ErrorReport.h"
#include "FakeClock.h"
#include "FakeMessageService.h"
#include "FakeRegistryKey.h"
#include "MonitorPage.h"
#include "PictureView.h"
#include "PlaybackPage.h"
#include "SettingsPage.h"
#include "ShellPorts.h"
#include "TFormtsxx.h"
#include "TGlobal.h"
#include "TMainFrm.h"
#include "Tdbhouse.h"
#include "TempDir.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct FakeMonitor final : MonitorPort {
    void refillDevices() override { calls << QStringLiteral("refillDevices"); }
    bool isMonitoring() const override { return monitoring; }
    void toggleMonitoring() override {
        calls << QStringLiteral("toggleMonitoring");
        monitoring = !monitoring;
    }
    void closeRecording() override {
        calls << QStringLiteral("closeRecording");
        promptShownWhileClosing = prompt && prompt->isVisible();
    }
    void setDefaultSizeBox(bool on) override {
        calls << QStringLiteral("defaultSize=%1").arg(on ? 1 : 0);
    }
    void setCaptureSizeTexts(const QString& w, const QString& h) override {
        calls << QStringLiteral("size=%1x%2").arg(w, h);
    }

    QStringList calls;
    bool monitoring = false;
    TFormtsxx* prompt = nullptr;
    bool promptShownWhileClosing = false;
};

struct FakeReplay final : ReplayPort {
    void N41Click() override { keys << QStringLiteral("F5"); }
    void N40Click() override { keys << QStringLiteral("F10"); }
    void N38Click() override { keys << QStringLiteral("F11"); }
    QStringList keys;
};

struct FakeGate final : PasswordGate {
    bool ask() override {
        ++asked;
        return answer;
    }
    int asked = 0;
    bool answer = true;
};

QString readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old");
}

// A program folder with its database, and everything the main window needs.
struct MainWindow : ::testing::Test {
    TempDir dir;
    std::unique_ptr<TGlobal> global;
    FakeMessageService messages;
    FakeClock clock{QDateTime(QDate(2026, 3, 10), QTime(9, 30, 0))};
    ErrorReport errors{clock};
    FakeRegistryKey windowKey;
    FakeMonitor monitor;
    FakeGate login, logout;
    FakeReplay replay;
    Tdbhouse dbhouse;
    TFormtsxx prompt;
    std::unique_ptr<ShellContext> ctx;
    std::unique_ptr<TMainFrm> frm;

    MainWindow() {
        errors.setEchoToStderr(false);
        layOutProgramFolder(dir);
        global = std::make_unique<TGlobal>(dir.file(QStringLiteral("kelvor")));
        monitor.prompt = &prompt;
    }

    QString folder(const char* name) const { return dir.file(QString::fromUtf8(name)); }
    QString settingsText() const { return readFile(dir.file(QStringLiteral("kelvor.ini"))); }

    void create() {
        ctx = std::make_unique<ShellContext>(
            ShellContext{*global, messages, errors, windowKey, clock, dir.folder()});
        frm = std::make_unique<TMainFrm>(*ctx);
        ctx->dbhouse = &dbhouse;
        ctx->prompt = &prompt;
        ctx->logoutGate = &logout;
        ctx->loginGate = &login;
        ctx->monitor = &monitor;
        ctx->replay = &replay;
    }
    void start() {
        create();
        frm->show();
    }
};

TEST_F(MainWindow, FrameHasItsCaptionPagesTrayAndMinimumSize) {
    start();
    EXPECT_EQ(frm->windowTitle(), QStringLiteral("Kelvor视频监控"));
    EXPECT_EQ(frm->minimumSize(), QSize(402, 138));
    const QStringList captions{"视频监控",     "视频回放", "报警画面显示",
                               "基础数据设置", "帮助",     "报警帧回放画面"};
    ASSERT_EQ(frm->PageControl1->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i) {
        EXPECT_EQ(frm->PageControl1->tabText(i), captions[i]);
        EXPECT_EQ(frm->PageControl1->isTabVisible(i), i != 5) << i;
    }
    EXPECT_EQ(frm->TrayNotifyIcon1->toolTip(), QStringLiteral("Kelvor视频监控录像软件"));
    QStringList items;
    for (QAction* a : frm->main_pop->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(items, (QStringList{"隐藏界面", "显示界面", "在线帮助", "-", "退出"}));
}

TEST_F(MainWindow, FirstRunMakesTheFoldersAndEmptiesTheStagingFolders) {
    QDir(dir.path()).mkdir(QStringLiteral("bjjpg"));
    QDir(dir.path()).mkdir(QStringLiteral("zipfile"));
    touch(folder("bjjpg/old.jpg"));
    touch(folder("zipfile/0101120000.zip"));
    global->strqyemail = QStringLiteral("1");
    start();

    for (const char* name : {"sourcejpg", "bjjpg", "zipfile", "avi"})
        EXPECT_TRUE(QDir(folder(name)).exists()) << name;
    EXPECT_FALSE(QFile::exists(folder("bjjpg/old.jpg")));
    EXPECT_FALSE(QFile::exists(folder("zipfile/0101120000.zip")));
    EXPECT_EQ(global->strzxylj, dir.folder() + QStringLiteral("avi"));
    EXPECT_EQ(global->strqyemail, QStringLiteral("0"));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(dbhouse.isOpen());
}

TEST_F(MainWindow, FirstShowingPutsTheSettingsIntoTheControlsAndStartsTheTimers) {
    global->strjrmm = QStringLiteral("pw");
    global->strw1 = QStringLiteral("800");
    global->strh1 = QStringLiteral("600");
    global->strjp = QStringLiteral("1");
    start();
    EXPECT_EQ(login.asked, 1);
    EXPECT_EQ(frm->settingsPage->Edit11->text(), QStringLiteral("pw"));
    EXPECT_EQ(frm->settingsPage->Edit12->text(), QStringLiteral("pw"));
    EXPECT_EQ(frm->playbackPage->dateFrom->text(), QStringLiteral("2026-02-08"));
    EXPECT_EQ(frm->playbackPage->dateTo->text(), QStringLiteral("2026-03-10"));
    EXPECT_EQ(monitor.calls, (QStringList{"defaultSize=1", "size=800x600", "refillDevices"}));
    EXPECT_EQ(frm->monitorPage->ImageEnView1->zoom(), 100) << "nothing to fit yet";
    EXPECT_TRUE(frm->monitorPage->ImageEnView1->autoFit());
    EXPECT_FALSE(frm->monitorPage->TrackBar1->isEnabled());
    EXPECT_FALSE(frm->monitorPage->BitBtn17->isHidden());
    EXPECT_TRUE(frm->tsend->isActive());
    EXPECT_TRUE(frm->tbj->isActive());
    EXPECT_TRUE(frm->tkjqy->isActive());
    EXPECT_EQ(frm->tsend->interval(), 3000);
    EXPECT_EQ(frm->tbj->interval(), 500);
    EXPECT_EQ(frm->tkjqy->interval(), 4000);
}

TEST_F(MainWindow, FirstRunWritesTheWindowStateDuringStartUp) {
    start();
    for (const char* v : {"ImgFace", "Volume", "WinHeight", "WinWidth", "WinTop", "ShowList"})
        EXPECT_TRUE(windowKey.valueExists(QString::fromUtf8(v))) << v;
    EXPECT_EQ(windowKey.values["Volume"].toInt(), 23);
    EXPECT_FALSE(frm->windowState().imgFace) << "no backFace.bmp in the current folder";
}

TEST_F(MainWindow, ARecordingFolderWhoseParentIsMissingIsNotMadeAndNothingIsSaid) {
    global->strzxylj = dir.file(QStringLiteral("no/such/avi"));
    start();
    EXPECT_FALSE(QDir(dir.file(QStringLiteral("no"))).exists());
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(QDir(folder("sourcejpg")).exists());
}

TEST_F(MainWindow, AMissingDatabaseSaysDataErrorOnceAndTheWindowStillOpens) {
    QFile::remove(dir.file(QStringLiteral("dat/dzxcb.mdb")));
    start();
    EXPECT_EQ(messages.shown, QStringList{QStringLiteral("data error")});
    EXPECT_TRUE(frm->isVisible());
    EXPECT_TRUE(frm->tbj->isActive());
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("dat/dzxcb.mdb"))));
}

TEST_F(MainWindow, NoPasswordAsksNothingARefusedEntryEndsTheRunBeforeAnyWork) {
    start();
    EXPECT_EQ(login.asked, 0);
    EXPECT_TRUE(frm->entryGatePassed());
    frm.reset();
    dbhouse.close();

    QDir(folder("sourcejpg")).removeRecursively();
    global->strjrmm = QStringLiteral("pw");
    global->strqyemail = QStringLiteral("1");
    login.answer = false;
    QSignalSpy quit(qApp, &QCoreApplication::aboutToQuit);
    start();
    EXPECT_EQ(login.asked, 1);
    EXPECT_FALSE(frm->entryGatePassed());
    EXPECT_FALSE(frm->tbj->isActive());
    EXPECT_FALSE(QDir(folder("sourcejpg")).exists());
    EXPECT_EQ(global->strqyemail, QStringLiteral("1"));
    EXPECT_FALSE(dbhouse.isOpen());
}

TEST_F(MainWindow, AutomaticStartTogglesMonitoringAndHidesToTheTray) {
    struct Case {
        const char* strjrjk;
        const char* strzxh;
        bool monitoring;
        bool visible;
    };
    for (const Case c : {Case{"1", "0", true, true}, Case{"0", "1", false, false},
                         Case{"true", "0", false, true}}) {
        SCOPED_TRACE(std::string(c.strjrjk) + "/" + c.strzxh);
        monitor.monitoring = false;
        global->strjrjk = QString::fromUtf8(c.strjrjk);
        global->strzxh = QString::fromUtf8(c.strzxh);
        start();
        frm->tkjqyTimer();
        EXPECT_EQ(monitor.monitoring, c.monitoring);
        EXPECT_EQ(frm->isVisible(), c.visible);
        EXPECT_FALSE(frm->tkjqy->isActive()) << "one tick only";
        frm.reset();
    }
}

TEST_F(MainWindow, ActivationRefillsTheDeviceList) {
    start();
    monitor.calls.clear();
    frm->FormActivate();
    EXPECT_EQ(monitor.calls, QStringList{QStringLiteral("refillDevices")});
}

TEST_F(MainWindow, FocusComingBackFromAWindowOfTheProgramActivatesAgain) {
    start();
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    EXPECT_EQ(monitor.calls.count(QStringLiteral("refillDevices")), 1) << "the first activation";

    QDialog dialog(frm.get());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == dialog.windowHandle(); }));
    dialog.close();
    frm->activateWindow();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == frm->windowHandle(); }));
    EXPECT_EQ(monitor.calls.count(QStringLiteral("refillDevices")), 2)
        << "after a dialog of the program closes";
}

TEST_F(MainWindow, ReplayKeysActWhateverHasTheFocus) {
    start();
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    frm->PageControl1->setCurrentIndex(1);
    QLineEdit* edit = frm->playbackPage->dateFrom;
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F5);
    QTest::keyClick(edit, Qt::Key_F10);
    QTest::keyClick(edit, Qt::Key_F11);
    QTest::mouseClick(frm->monitorPage->BitBtn17, Qt::LeftButton);
    EXPECT_EQ(replay.keys, (QStringList{"F5", "F10", "F11", "F5"}));
}

TEST_F(MainWindow, TheEnlargedReplayTabShowsOnlyWhileItIsOpen) {
    start();
    frm->Button7Click();
    EXPECT_TRUE(frm->PageControl1->isTabVisible(5));
    EXPECT_EQ(frm->PageControl1->currentIndex(), 5);
    frm->Button3Click();
    EXPECT_EQ(frm->PageControl1->currentIndex(), 0);
    EXPECT_FALSE(frm->PageControl1->isTabVisible(5));

    frm->Button7Click();
    frm->PageControl1->setCurrentIndex(1);
    EXPECT_TRUE(frm->PageControl1->isTabVisible(5)) << "another page keeps the tab";
    frm->PageControl1->setCurrentIndex(0);
    EXPECT_FALSE(frm->PageControl1->isTabVisible(5)) << "the monitoring page hides it";
}

TEST_F(MainWindow, ClosingWhileMonitoringClosesTheRecordingUnderThePrompt) {
    start();
    monitor.monitoring = true;
    monitor.calls.clear();
    frm->setGeometry(40, 50, 900, 700);
    EXPECT_TRUE(frm->close());
    EXPECT_EQ(monitor.calls, QStringList{QStringLiteral("closeRecording")});
    EXPECT_TRUE(monitor.promptShownWhileClosing);
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_EQ(windowKey.values["WinHeight"].toInt(), frm->geometry().height());
    EXPECT_EQ(windowKey.values["WinWidth"].toInt(), frm->geometry().width());
    EXPECT_EQ(windowKey.values["WinTop"].toInt(), frm->geometry().top());
}

TEST_F(MainWindow, ClosingWhileNotMonitoringShowsNoPrompt) {
    start();
    monitor.calls.clear();
    EXPECT_TRUE(frm->close());
    EXPECT_TRUE(monitor.calls.isEmpty());
    EXPECT_FALSE(monitor.promptShownWhileClosing);
}

TEST_F(MainWindow, AWindowStateThatCannotBeWrittenDoesNotPreventClosing) {
    start();
    windowKey.failAll = true;
    EXPECT_TRUE(frm->close());
    EXPECT_FALSE(frm->isVisible());
    ASSERT_EQ(errors.entries().size(), 1);
    EXPECT_TRUE(errors.entries()[0].text.contains(QStringLiteral("Failed to set data for")));
}

TEST_F(MainWindow, TrayItemsAskThePasswordOnlyWhenOneIsSet) {
    start();
    frm->pop_ShowClick();
    EXPECT_FALSE(frm->isVisible());
    frm->pop_ShowClick();
    EXPECT_FALSE(frm->isVisible()) << "hiding a hidden window does nothing";
    frm->N29Click();
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(logout.asked, 0);

    global->strjrmm = QStringLiteral("pw");
    frm->pop_ShowClick();
    EXPECT_EQ(logout.asked, 0) << "hiding asks nothing";
    logout.answer = false;
    frm->N29Click();
    EXPECT_FALSE(frm->isVisible()) << "返回 leaves the window as it was";
    frm->N13Click();
    EXPECT_FALSE(frm->isVisible());
    EXPECT_TRUE(windowKey.writes.count(QStringLiteral("WinTop")) == 1) << "not closed";
    logout.answer = true;
    frm->N29Click();
    EXPECT_TRUE(frm->isVisible());
    frm->N29Click();
    EXPECT_TRUE(frm->isVisible()) << "showing a visible window asks and does nothing more";
    EXPECT_EQ(logout.asked, 4);
    frm->N13Click();
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(windowKey.writes.count(QStringLiteral("WinTop")), 2) << "closed: state saved";
}

} // namespace
