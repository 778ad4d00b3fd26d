#pragma once

#include "ShellContext.h"
#include "WindowState.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <functional>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class QWindow;
class MonitorPage;
class ReplayPage;
class ReplayPanel;
class PlaybackPage;
class SettingsPage;

// The main window: the page control with the program's six pages, the tray
// icon and its menu, and the start-up and shutdown of the program.
//
// Creation runs FormCreate; the first showing runs FormShow (entry password,
// data folders, database, settings into the controls, timers); every
// activation from another window of the program runs FormActivate; closing
// runs FormCloseQuery and FormClose and ends the event loop. The handlers
// keep the names of the events they answer and forward to the subsystems
// through the ports of the ShellContext. User-interface thread only.
class TMainFrm final : public QMainWindow {
    Q_OBJECT
public:
    // `wire` runs after the pages exist and before the window's creation
    // steps, so that subsystems that need the pages' controls can attach
    // their ports first.
    explicit TMainFrm(ShellContext& context, const std::function<void(TMainFrm&)>& wire = {},
                      QWidget* parent = nullptr);
    ~TMainFrm() override;

    // Whether the entry password gate let the program go on.
    bool entryGatePassed() const { return m_gatePassed; }
    bool firstShown() const { return m_firstShown; }
    const WindowStateData& windowState() const { return m_windowState; }
    const QImage& backgroundPicture() const { return m_backFace; }

    // Tray menu and page handlers.
    void pop_ShowClick();
    void N29Click();
    void N13Click();
    void N36Click();

    // Recent-frame replay: the enlarged page and back.
    void Button7Click();
    void Button3Click();

    // The close path of the desktop's log-off or shutdown and of Ctrl+C in a
    // terminal: the same as the window's close button.
    void shutdownRequested();

    // Start-up and shutdown steps, public so that tests can run them on
    // their own.
    void FormActivate();
    void tkjqyTimer();

    QTabWidget* PageControl1 = nullptr;
    MonitorPage* monitorPage = nullptr;
    PlaybackPage* playbackPage = nullptr;
    SettingsPage* settingsPage = nullptr;
    ReplayPanel* replayPanel = nullptr; // Panel15 on the monitoring page
    ReplayPage* replayPage = nullptr;   // TabSheet6
    QSystemTrayIcon* TrayNotifyIcon1 = nullptr;
    QMenu* main_pop = nullptr;
    QAction* pop_Show = nullptr;
    QAction* N29 = nullptr;
    QAction* N36 = nullptr;
    QAction* N13 = nullptr;
    QAction* N41 = nullptr; // F5
    QAction* N40 = nullptr; // F10
    QAction* N38 = nullptr; // F11
    QTimer* tbj = nullptr;
    QTimer* tsend = nullptr;
    QTimer* tkjqy = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormCloseQuery();
    void FormClose();
    void FormDestroy();

    void buildPages();
    void buildTray();
    void buildTimers();
    void buildReplayKeys();
    void PageControl1Change(int index);
    void loadBackgroundPicture();
    bool passExitGate();
    void onFocusWindowChanged(QWindow* focus);

    ShellContext& m_ctx;
    WindowStateData m_windowState;
    QImage m_backFace;
    bool m_firstShown = false;
    bool m_gatePassed = false;
    bool m_closed = false;
    bool m_activatedOnce = false;
    QPointer<QWindow> m_lastFocus;
};
