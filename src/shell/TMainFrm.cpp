#include "TMainFrm.h"

#include "AppIcon.h"
#include "DateTexts.h"
#include "ErrorReport.h"
#include "FileListGrid.h"
#include "Folders.h"
#include "GuardedTick.h"
#include "HelpWindow.h"
#include "MessageService.h"
#include "MonitorPage.h"
#include "PictureView.h"
#include "PlaybackPage.h"
#include "PlayerPanel.h"
#include "ReplayPage.h"
#include "ReplayPanel.h"
#include "SettingsPage.h"
#include "ShellPorts.h"
#include "TFormtsxx.h"
#include "TGlobal.h"
#include "Tdbhouse.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace {
const QString kBackFace = QStringLiteral("backFace.bmp");
constexpr int kReplayPageIndex = 5;

// The look of the main window, applied once at creation.
const char16_t kSkin[] = u"QTabWidget::pane { border: 1px solid #7a9cc6; }"
                         u"QTabBar::tab { padding: 4px 14px; background: #dfe9f5; "
                         u"border: 1px solid #7a9cc6; border-bottom: none; }"
                         u"QTabBar::tab:selected { background: #ffffff; }"
                         u"QGroupBox { font-weight: bold; }";

template <typename F> void ignoreErrors(F&& f) {
    try {
        f();
    } catch (...) {
        // Start-up groups end silently on an error; the next group runs.
    }
}
} // namespace

TMainFrm::TMainFrm(ShellContext& context, const std::function<void(TMainFrm&)>& wire,
                   QWidget* parent)
    : QMainWindow(parent), m_ctx(context) {
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QStringLiteral("Kelvor视频监控"));
    setWindowIcon(appIcon());
    buildPages();
    buildTray();
    buildTimers();
    buildReplayKeys();
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &TMainFrm::onFocusWindowChanged);
    // The window sees key presses before the control that has the focus.
    qApp->installEventFilter(this);
    connect(playbackPage->playerPanel, &PlayerPanel::windowDragRequested, this, [this] {
        if (QWindow* w = windowHandle())
            w->startSystemMove();
    });
    if (wire)
        wire(*this);
    FormCreate();
}

TMainFrm::~TMainFrm() {
    qApp->removeEventFilter(this);
    FormDestroy();
}

void TMainFrm::buildPages() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    monitorPage = new MonitorPage(PageControl1);
    playbackPage = new PlaybackPage(PageControl1);
    settingsPage = new SettingsPage(PageControl1);

    auto* alarmPage = new QWidget(PageControl1);
    alarmPage->setObjectName(QStringLiteral("TabSheet3"));

    auto* helpPage = new QWidget(PageControl1);
    helpPage->setObjectName(QStringLiteral("TabSheet5"));
    auto* helpButton = new QPushButton(QStringLiteral("在线帮助"), helpPage);
    helpButton->setObjectName(QStringLiteral("BitBtn10"));
    auto* helpLayout = new QVBoxLayout(helpPage);
    helpLayout->addWidget(helpButton, 0, Qt::AlignLeft | Qt::AlignTop);
    connect(helpButton, &QPushButton::clicked, this, &TMainFrm::N36Click);

    replayPage = new ReplayPage(PageControl1);
    replayPanel = new ReplayPanel(monitorPage);
    monitorPage->addSidePanel(replayPanel);
    connect(replayPanel->Button7, &QPushButton::clicked, this, &TMainFrm::Button7Click);
    connect(replayPage->Button3, &QPushButton::clicked, this, &TMainFrm::Button3Click);
    connect(monitorPage->BitBtn17, &QPushButton::clicked, this, [this] {
        if (m_ctx.replay)
            m_ctx.replay->N41Click();
    });

    PageControl1->addTab(monitorPage, QStringLiteral("视频监控"));
    PageControl1->addTab(playbackPage, QStringLiteral("视频回放"));
    PageControl1->addTab(alarmPage, QStringLiteral("报警画面显示"));
    PageControl1->addTab(settingsPage, QStringLiteral("基础数据设置"));
    PageControl1->addTab(helpPage, QStringLiteral("帮助"));
    PageControl1->addTab(replayPage, QStringLiteral("报警帧回放画面"));
    setCentralWidget(PageControl1);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMainFrm::PageControl1Change);
}

void TMainFrm::buildTray() {
    TrayNotifyIcon1 = new QSystemTrayIcon(appIcon(), this);
    TrayNotifyIcon1->setObjectName(QStringLiteral("TrayNotifyIcon1"));
    TrayNotifyIcon1->setToolTip(QStringLiteral("Kelvor视频监控录像软件"));
    main_pop = new QMenu(this);
    main_pop->setObjectName(QStringLiteral("main_pop"));
    pop_Show = main_pop->addAction(QStringLiteral("隐藏界面"));
    pop_Show->setObjectName(QStringLiteral("pop_Show"));
    N29 = main_pop->addAction(QStringLiteral("显示界面"));
    N29->setObjectName(QStringLiteral("N29"));
    N36 = main_pop->addAction(QStringLiteral("在线帮助"));
    N36->setObjectName(QStringLiteral("N36"));
    main_pop->addSeparator();
    N13 = main_pop->addAction(QStringLiteral("退出"));
    N13->setObjectName(QStringLiteral("N13"));
    // The menu opens on a right click; left and double clicks do nothing.
    TrayNotifyIcon1->setContextMenu(main_pop);
    connect(pop_Show, &QAction::triggered, this, &TMainFrm::pop_ShowClick);
    connect(N29, &QAction::triggered, this, &TMainFrm::N29Click);
    connect(N36, &QAction::triggered, this, &TMainFrm::N36Click);
    connect(N13, &QAction::triggered, this, &TMainFrm::N13Click);
}

void TMainFrm::buildTimers() {
    tbj = new QTimer(this);
    tbj->setObjectName(QStringLiteral("tbj"));
    tbj->setInterval(500);
    connectGuardedTick(*tbj, QStringLiteral("tbjTimer"), m_ctx.errors, [this] {
        if (m_ctx.alarmCheck)
            m_ctx.alarmCheck->tick();
    });
    tsend = new QTimer(this);
    tsend->setObjectName(QStringLiteral("tsend"));
    tsend->setInterval(3000);
    connectGuardedTick(*tsend, QStringLiteral("tsendTimer"), m_ctx.errors, [this] {
        if (m_ctx.alarmMail)
            m_ctx.alarmMail->tick();
    });
    tkjqy = new QTimer(this);
    tkjqy->setObjectName(QStringLiteral("tkjqy"));
    tkjqy->setInterval(4000);
    tkjqy->setSingleShot(true);
    connect(tkjqy, &QTimer::timeout, this, &TMainFrm::tkjqyTimer);
}

void TMainFrm::buildReplayKeys() {
    // F5, F10 and F11 act in the whole window, whatever has the focus.
    auto key = [this](const char* name, Qt::Key k, void (ReplayPort::*handler)()) {
        auto* a = new QAction(this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(QKeySequence(k));
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        connect(a, &QAction::triggered, this, [this, handler] {
            if (m_ctx.replay)
                (m_ctx.replay->*handler)();
        });
        return a;
    };
    N41 = key("N41", Qt::Key_F5, &ReplayPort::N41Click);
    N40 = key("N40", Qt::Key_F10, &ReplayPort::N40Click);
    N38 = key("N38", Qt::Key_F11, &ReplayPort::N38Click);
}

void TMainFrm::Button7Click() {
    PageControl1->setTabVisible(kReplayPageIndex, true);
    PageControl1->setCurrentIndex(kReplayPageIndex);
}

void TMainFrm::Button3Click() {
    PageControl1->setCurrentIndex(0);
    PageControl1->setTabVisible(kReplayPageIndex, false);
}

void TMainFrm::PageControl1Change(int index) {
    // Coming back to the monitoring page closes the enlarged replay's tab.
    if (index == 0) {
        PageControl1->setTabVisible(kReplayPageIndex, false);
        monitorPage->ImageEnView1->update();
    }
}

// ---------------------------------------------------------------- start-up

void TMainFrm::FormCreate() {
    // The program writes its own dates as "yyyy-MM-dd" and "H:mm:ss"
    // (DateTexts.h); the user's regional settings are left alone.

    ignoreErrors([this] {
        setStyleSheet(QString::fromUtf16(kSkin));
        TrayNotifyIcon1->show();
        setAcceptDrops(true);
        if (m_ctx.player)
            m_ctx.player->setUp();
        setMinimumSize(kMinWindowWidth, kMinWindowHeight);
        m_windowState.bounds = geometry();
        QSize screen(1024, 768);
        if (QScreen* s = QGuiApplication::primaryScreen())
            screen = s->geometry().size();
        // Whatever the load applied before a failed write stays applied.
        struct Apply {
            TMainFrm* w;
            ~Apply() { w->setGeometry(w->m_windowState.bounds); }
        } apply{this};
        loadWindowState(m_ctx.windowKey, screen, m_windowState);
        loadBackgroundPicture();
    });

    ignoreErrors([this] {
        recreateFolder(m_ctx.programFolder + QStringLiteral("bjjpg"));
        recreateFolder(m_ctx.programFolder + QStringLiteral("zipfile"));
    });

    if (m_ctx.player)
        runGuarded(QStringLiteral("RefreshMode"), m_ctx.errors,
                   [this] { m_ctx.player->RefreshMode(); });
}

void TMainFrm::loadBackgroundPicture() {
    if (!m_windowState.imgFace)
        return;
    const QString path = QDir::current().filePath(kBackFace);
    if (!QFileInfo::exists(path)) {
        m_windowState.imgFace = false;
        return;
    }
    if (!m_backFace.load(path)) {
        m_ctx.messages.show(QStringLiteral("背景图片载入失败"), MessageService::Icon::Warning);
        return;
    }
    QPalette p = palette();
    p.setBrush(QPalette::Window, QBrush(m_backFace));
    setPalette(p);
    setAutoFillBackground(true);
    playbackPage->playerPanel->sglist->setBackgroundPicture(m_backFace);
}

void TMainFrm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FormShow();
}

void TMainFrm::FormShow() {
    if (m_firstShown)
        return;

    if (m_ctx.codec)
        ignoreErrors([this] { m_ctx.codec->copyCodecFiles(); });

    PageControl1->setTabVisible(kReplayPageIndex, false);

    m_gatePassed = true;
    if (!m_ctx.global.strjrmm.isEmpty()) {
        m_gatePassed = false;
        if (m_ctx.loginGate)
            m_gatePassed = m_ctx.loginGate->ask();
    }
    m_firstShown = true;
    if (!m_gatePassed) {
        // The loop ends as soon as it runs; the settings are still written.
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return;
    }

    TGlobal& g = m_ctx.global;
    g.strqyemail = QStringLiteral("0");
    if (g.strzxylj.isEmpty())
        g.strzxylj = m_ctx.programFolder + QStringLiteral("avi");
    makeFolder(m_ctx.programFolder + QStringLiteral("sourcejpg"));
    makeFolder(m_ctx.programFolder + QStringLiteral("bjjpg"));
    makeFolder(g.strzxylj);

    if (!m_ctx.dbhouse || !m_ctx.dbhouse->open(m_ctx.programFolder))
        m_ctx.messages.show(QStringLiteral("data error"));

    // Setting the box runs its own click when the state changes.
    if (m_ctx.monitor)
        m_ctx.monitor->setDefaultSizeBox(TGlobal::isOn(g.strfbl));

    settingsPage->Edit11->setText(g.strjrmm);
    settingsPage->Edit12->setText(g.strjrmm);

    const QDate today = m_ctx.clock.now().date();
    playbackPage->dateFrom->setText(dateText(today.addDays(-30)));
    playbackPage->dateTo->setText(dateText(today));

    if (m_ctx.monitor)
        m_ctx.monitor->setCaptureSizeTexts(g.strw1, g.strh1);

    monitorPage->ImageEnView1->clear();
    monitorPage->ImageEnView1->setZoom(100);

    tsend->start();
    tbj->start();
    tkjqy->start();

    monitorPage->CheckBox3->setChecked(true);
    monitorPage->CheckBox3Click(true);

    monitorPage->BitBtn17->setVisible(TGlobal::isOn(g.strjp));

    // The first showing is followed by the activation steps, whether or not
    // the desktop hands the window the focus (a session without a window
    // manager never does).
    m_activatedOnce = true;
    m_lastFocus = windowHandle();
    FormActivate();
}

void TMainFrm::onFocusWindowChanged(QWindow* focus) {
    // Activation counts when the focus comes to the main window for the
    // first time or from another window of the program, not when the user
    // comes back from another program.
    if (focus && focus == windowHandle()) {
        const bool fromOwnWindow = m_lastFocus && m_lastFocus != windowHandle();
        if (!m_activatedOnce || fromOwnWindow) {
            m_activatedOnce = true;
            FormActivate();
        }
    }
    if (focus)
        m_lastFocus = focus;
}

void TMainFrm::FormActivate() {
    if (!m_gatePassed || m_closed)
        return;
    if (m_ctx.monitor)
        runGuarded(QStringLiteral("FormActivate"), m_ctx.errors,
                   [this] { m_ctx.monitor->refillDevices(); });
}

void TMainFrm::tkjqyTimer() {
    tkjqy->stop();
    if (TGlobal::isOn(m_ctx.global.strjrjk) && m_ctx.monitor)
        runGuarded(QStringLiteral("tkjqyTimer"), m_ctx.errors,
                   [this] { m_ctx.monitor->toggleMonitoring(); });
    if (TGlobal::isOn(m_ctx.global.strzxh) && isVisible())
        hide();
}

// ---------------------------------------------------------------- tray

void TMainFrm::pop_ShowClick() {
    if (isVisible())
        hide();
}

bool TMainFrm::passExitGate() {
    if (m_ctx.global.strjrmm.isEmpty())
        return true;
    return m_ctx.logoutGate && m_ctx.logoutGate->ask();
}

void TMainFrm::N29Click() {
    if (!passExitGate())
        return;
    if (!isVisible()) {
        show();
        raise();
        activateWindow();
    }
}

void TMainFrm::N13Click() {
    if (!passExitGate())
        return;
    close();
}

void TMainFrm::N36Click() {
    HelpWindow help(isVisible() ? this : nullptr);
    help.exec();
}

// ---------------------------------------------------------------- shutdown

void TMainFrm::shutdownRequested() {
    if (!m_firstShown || !m_gatePassed) {
        // Still at the entry gate: end without the close path, as a refused
        // entry does.
        QCoreApplication::quit();
        return;
    }
    close();
}

void TMainFrm::closeEvent(QCloseEvent* event) {
    event->accept();
    if (m_closed)
        return;
    m_closed = true;
    if (m_firstShown && m_gatePassed) {
        FormCloseQuery();
        FormClose();
    }
    // The tray keeps the program alive while the window is hidden, so the
    // end of the run is said here rather than left to the last window.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TMainFrm::FormCloseQuery() {
    if (!m_ctx.monitor || !m_ctx.monitor->isMonitoring())
        return;
    if (m_ctx.prompt)
        m_ctx.prompt->showNow();
    runGuarded(QStringLiteral("FormCloseQuery"), m_ctx.errors,
               [this] { m_ctx.monitor->closeRecording(); });
    if (m_ctx.prompt)
        m_ctx.prompt->close();
}

void TMainFrm::FormClose() {
    tbj->stop();
    tsend->stop();
    tkjqy->stop();
    m_windowState.bounds = geometry();
    // A window state that cannot be written must not keep the program open.
    runGuarded(QStringLiteral("SaveWindowState"), m_ctx.errors,
               [this] { saveWindowState(m_ctx.windowKey, m_windowState); });
}

void TMainFrm::FormDestroy() {
    if (TrayNotifyIcon1)
        TrayNotifyIcon1->hide();
}

// ---------------------------------------------------------------- keys, moves

bool TMainFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    // Each key once: at the control that has the focus (the event travels on
    // to the parents when the control ignores it).
    QWidget* focus = QApplication::focusWidget();
    if (widget->window() != this || (focus ? widget != focus : widget != this))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_T && key->modifiers() == Qt::AltModifier && m_ctx.activateSearch) {
        PageControl1->setCurrentIndex(1);
        m_ctx.activateSearch();
        return true;
    }
    if (m_ctx.player)
        runGuarded(QStringLiteral("FormKeyDown"), m_ctx.errors,
                   [this, key] { m_ctx.player->handleKey(key->key(), key->modifiers()); });
    return false; // the control keeps the key as well
}

void TMainFrm::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (m_ctx.mainWindowMoved)
        m_ctx.mainWindowMoved();
}

// ---------------------------------------------------------------- drops

void TMainFrm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainFrm::dropEvent(QDropEvent* event) {
    QStringList paths;
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            paths << url.toLocalFile();
    event->acceptProposedAction();
    if (!isEnabled())
        return;
    raise();
    activateWindow();
    if (m_ctx.player && !paths.isEmpty())
        runGuarded(QStringLiteral("FormDropFiles"), m_ctx.errors,
                   [this, &paths] { m_ctx.player->filesDropped(paths); });
}
