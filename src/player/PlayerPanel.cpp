#include "PlayerPanel.h"

#include "FileListGrid.h"
#include "TFrmDisplayScr.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kButtonSize = 28;
constexpr int kButtonTop = 10;
constexpr int kButtonStep = 32;
constexpr int kMarkTop = 72;
constexpr int kMarkWidth = 36;
constexpr int kTickTop = 44;

QPixmap barPicture() {
    QPixmap picture(PlaybackController::kBarWidth, 6);
    picture.fill(QColor(0x80, 0x80, 0x80));
    QPainter painter(&picture);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawLine(0, 0, picture.width() - 1, 0);
    painter.setPen(Qt::white);
    painter.drawLine(0, picture.height() - 1, picture.width() - 1, picture.height() - 1);
    return picture;
}

QPixmap knobPicture() {
    const int size = PlaybackController::kKnobWidth;
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x00, 0x00, 0x80));
    painter.setBrush(QColor(0x40, 0x80, 0xFF));
    painter.drawEllipse(QRectF(0.5, 0.5, size - 1, size - 1));
    return picture;
}

} // namespace

// The video display window seen from the controller, with its signals
// forwarded to the controller's actions.
class PlayerPanel::DisplayWindowLink final : public VideoWindowPort {
public:
    DisplayWindowLink(TFrmDisplayScr& window, PlaybackController& controller) : m_window(&window) {
        using C = PlaybackController;
        auto forward = [&controller](const char* name, void (C::*action)()) {
            return [&controller, name, action] {
                controller.guarded(QString::fromUtf8(name),
                                   [&controller, action] { (controller.*action)(); });
            };
        };
        m_connections = {
            QObject::connect(&window, &TFrmDisplayScr::closed,
                             forward("FormClose", &C::displayWindowClosed)),
            QObject::connect(&window, &TFrmDisplayScr::previousRequested,
                             forward("PrevBtnClick", &C::PrevBtnClick)),
            QObject::connect(&window, &TFrmDisplayScr::nextRequested,
                             forward("NextBtnClick", &C::NextBtnClick)),
            QObject::connect(&window, &TFrmDisplayScr::backRequested,
                             forward("BackBtnClick", &C::BackBtnClick)),
            QObject::connect(&window, &TFrmDisplayScr::forwardRequested,
                             forward("StepBtnClick", &C::StepBtnClick)),
        };
        window.setPictureActive([&controller] { return controller.videoActive(); });
    }
    ~DisplayWindowLink() override {
        for (const QMetaObject::Connection& c : m_connections)
            QObject::disconnect(c);
        if (m_window)
            m_window->setPictureActive({});
    }

    bool isShown() const override { return m_window && m_window->isVisible(); }
    void closeWindow() override {
        if (m_window)
            m_window->close();
    }
    quintptr pictureWindow() override {
        if (!m_window)
            return 0;
        // The player can only draw into a window that is on the screen, so
        // the video window shows before the file opens; it takes the video's
        // own size once that is known.
        m_shownForOpen = !m_window->isVisible();
        if (m_shownForOpen) {
            m_window->show();
            QCoreApplication::processEvents();
        }
        return static_cast<quintptr>(m_window->ScrPnl->winId());
    }
    void presentVideo(QSize native, const QString& title) override {
        if (!m_window)
            return;
        if (m_shownForOpen)
            m_window->resize(TFrmDisplayScr::naturalSize(native));
        m_shownForOpen = false;
        m_window->presentVideo(native, title);
    }

private:
    // The window may go before the panel.
    QPointer<TFrmDisplayScr> m_window;
    bool m_shownForOpen = false; // the window was shown for the file being opened
    QList<QMetaObject::Connection> m_connections;
};

PlayerPanel::PlayerPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PlayerPanel"));
    auto* transport = new QWidget(this);
    transport->setObjectName(QStringLiteral("PlayerTransport"));
    transport->setFixedHeight(kTransportHeight);

    QWidget* t = transport;
    auto button = [t](const char* name, const QString& glyph, const QString& hint, int slot) {
        auto* b = new QToolButton(t);
        b->setObjectName(QString::fromUtf8(name));
        b->setText(glyph);
        b->setToolTip(hint);
        b->setAutoRaise(true);
        b->setGeometry(PlaybackController::kBarLeft + slot * kButtonStep, kButtonTop, kButtonSize,
                       kButtonSize);
        return b;
    };
    playBtn = button("playBtn", QStringLiteral("▶"), QStringLiteral("播放/重新播放"), 0);
    pauseBtn = button("pauseBtn", QStringLiteral("❚❚"), QStringLiteral("暂停/继续"), 1);
    stopBtn = button("stopBtn", QStringLiteral("■"), QStringLiteral("停止"), 2);
    prevBtn = button("prevBtn", QStringLiteral("|◀"), QStringLiteral("上一个"), 3);
    BackBtn = button("BackBtn", QStringLiteral("◀◀"), QStringLiteral("后退"), 4);
    StepBtn = button("StepBtn", QStringLiteral("▶▶"), QStringLiteral("快进"), 5);
    NextBtn = button("NextBtn", QStringLiteral("▶|"), QStringLiteral("下一个"), 6);
    EjectBtn = button("EjectBtn", QStringLiteral("⏏"), QStringLiteral("弹出/关上CD-ROM"), 7);

    lblTime = new QLabel(PlaybackController::zeroTime(), transport);
    lblTime->setObjectName(QStringLiteral("lblTime"));
    lblTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblTime->setToolTip(
        PlaybackController::timeModeCaption(PlaybackController::TimeMode::PlayTime));
    const int timeLeft = PlaybackController::kBarLeft + 8 * kButtonStep;
    lblTime->setGeometry(timeLeft, kButtonTop,
                         PlaybackController::kBarLeft + PlaybackController::kBarWidth - timeLeft,
                         kButtonSize);
    lblTime->setContextMenuPolicy(Qt::DefaultContextMenu);
    lblTime->installEventFilter(this);
    setTimeColour(false);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    auto* modes = new QActionGroup(PopupMenu2);
    modes->setExclusive(true);
    mnuShowPlaytime = PopupMenu2->addAction(
        PlaybackController::timeModeCaption(PlaybackController::TimeMode::PlayTime));
    mnuShowPlaytime->setObjectName(QStringLiteral("mnuShowPlaytime"));
    mnuShowlesttime = PopupMenu2->addAction(
        PlaybackController::timeModeCaption(PlaybackController::TimeMode::RemainingTime));
    mnuShowlesttime->setObjectName(QStringLiteral("mnuShowlesttime"));
    for (QAction* item : {mnuShowPlaytime, mnuShowlesttime}) {
        item->setCheckable(true);
        modes->addAction(item);
    }
    mnuShowPlaytime->setChecked(true);
    connect(mnuShowPlaytime, &QAction::triggered, this, [this] {
        run("mnuShowPlaytimeClick", [](PlaybackController& c) {
            c.mnuShowPlaytimeClick(PlaybackController::TimeMode::PlayTime);
        });
    });
    connect(mnuShowlesttime, &QAction::triggered, this, [this] {
        run("mnuShowPlaytimeClick", [](PlaybackController& c) {
            c.mnuShowPlaytimeClick(PlaybackController::TimeMode::RemainingTime);
        });
    });

    for (int k = 0; k < 6; ++k) {
        auto* tick = new QLabel(QStringLiteral("|"), transport);
        tick->setObjectName(QStringLiteral("Label%1").arg(18 + k));
        tick->setGeometry(kTickLeft + k * kTickSpacing, kTickTop, 6, 12);
        tick->installEventFilter(this);
        ticks << tick;
        auto* mark = new QLabel(PlaybackController::zeroMark(), transport);
        mark->setObjectName(QStringLiteral("Label%1").arg(6 + k));
        mark->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        mark->setGeometry(kTickLeft + k * kTickSpacing + 2 - kMarkWidth / 2, kMarkTop, kMarkWidth,
                          14);
        mark->installEventFilter(this);
        timeMarks << mark;
    }

    bar = new QLabel(transport);
    bar->setObjectName(QStringLiteral("bar"));
    bar->setPixmap(barPicture());
    bar->setGeometry(PlaybackController::kBarLeft, kBarTop, PlaybackController::kBarWidth, 6);
    bar->installEventFilter(this);
    dot = new QLabel(transport);
    dot->setObjectName(QStringLiteral("dot"));
    dot->setPixmap(knobPicture());
    dot->setGeometry(PlaybackController::kBarLeft, kKnobTop, PlaybackController::kKnobWidth,
                     PlaybackController::kKnobWidth);
    dot->installEventFilter(this);
    dot->raise();

    sglist = new FileListGrid(this);
    sglist->setObjectName(QStringLiteral("sglist"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(transport);
    layout->addWidget(sglist, 1);

    using C = PlaybackController;
    const std::pair<QToolButton*, std::pair<const char*, void (C::*)()>> actions[] = {
        {pauseBtn, {"PausebtnClick", &C::PausebtnClick}},
        {stopBtn, {"StopBtnClick", &C::StopBtnClick}},
        {prevBtn, {"PrevBtnClick", &C::PrevBtnClick}},
        {BackBtn, {"BackBtnClick", &C::BackBtnClick}},
        {StepBtn, {"StepBtnClick", &C::StepBtnClick}},
        {NextBtn, {"NextBtnClick", &C::NextBtnClick}},
        {EjectBtn, {"EjectBtnClick", &C::EjectBtnClick}},
    };
    for (const auto& [b, action] : actions) {
        const auto [name, member] = action;
        connect(b, &QToolButton::clicked, this,
                [this, name, member] { run(name, [member](C& c) { (c.*member)(); }); });
    }
    connect(playBtn, &QToolButton::clicked, this,
            [this] { run("PlayBtnClick", [](C& c) { c.PlayBtnClick(true); }); });
}

PlayerPanel::~PlayerPanel() {
    m_link.reset();
}

void PlayerPanel::setController(PlaybackController& controller) {
    for (const QMetaObject::Connection& c : m_connections)
        disconnect(c);
    m_link.reset();
    m_controller = &controller;
    m_connections = {
        connect(&controller, &PlaybackController::timeTextChanged, this, &PlayerPanel::showTime),
        connect(&controller, &PlaybackController::timeMarksChanged, this, &PlayerPanel::showMarks),
        connect(&controller, &PlaybackController::knobMoved, this,
                [this](int left) { dot->move(left, kKnobTop); }),
        connect(&controller, &PlaybackController::timeModeChanged, this,
                &PlayerPanel::showTimeMode),
    };
    showTime(controller.timeText());
    showMarks(controller.timeMarks());
    dot->move(controller.knobLeft(), kKnobTop);
    showTimeMode(controller.timeMode(), controller.timeHint());
}

void PlayerPanel::attachDisplayWindow(TFrmDisplayScr& window) {
    if (!m_controller)
        return;
    m_controller->setVideoWindow(nullptr);
    m_link.reset();
    m_link = std::make_unique<DisplayWindowLink>(window, *m_controller);
    m_controller->setVideoWindow(m_link.get());
}

// ------------------------------------------------------------ list port

PlayList& PlayerPanel::playList() {
    return sglist->playList();
}

int PlayerPanel::AddPlayFile(const QString& path) {
    return sglist->AddPlayFile(path);
}

QString PlayerPanel::GetListCell(const QString& key, int row) const {
    return sglist->GetListCell(key, row);
}

int PlayerPanel::currentRow() const {
    return sglist->currentRow();
}

void PlayerPanel::setCurrentRow(int row) {
    sglist->setCurrentCell(row, sglist->currentColumn());
}

void PlayerPanel::repaintList() {
    sglist->viewport()->update();
}

// ------------------------------------------------------------ mirroring

void PlayerPanel::run(const char* name, const std::function<void(PlaybackController&)>& action) {
    if (!m_controller)
        return;
    PlaybackController& c = *m_controller;
    c.guarded(QString::fromUtf8(name), [&c, &action] { action(c); });
}

void PlayerPanel::showTime(const QString& text) {
    lblTime->setText(text);
}

void PlayerPanel::showMarks(const QStringList& marks) {
    for (int i = 0; i < timeMarks.size() && i < marks.size(); ++i)
        timeMarks[i]->setText(marks[i]);
}

void PlayerPanel::showTimeMode(PlaybackController::TimeMode mode, const QString& hint) {
    lblTime->setToolTip(hint);
    (mode == PlaybackController::TimeMode::PlayTime ? mnuShowPlaytime : mnuShowlesttime)
        ->setChecked(true);
}

void PlayerPanel::setTimeColour(bool hover) {
    QPalette palette = lblTime->palette();
    palette.setColor(QPalette::WindowText, hover ? QColor(Qt::white) : QColor(0x00, 0x00, 0x80));
    lblTime->setPalette(palette);
}

bool PlayerPanel::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    auto* mouse = dynamic_cast<QMouseEvent*>(event);

    if (watched == lblTime) {
        if (type == QEvent::Enter) {
            setTimeColour(true);
        } else if (type == QEvent::Leave) {
            setTimeColour(false);
        } else if (press && mouse->button() == Qt::LeftButton) {
            PopupMenu2->popup(mouse->globalPosition().toPoint());
            return true;
        } else if (type == QEvent::ContextMenu) {
            PopupMenu2->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        return false;
    }
    if (watched == bar && press) {
        const int x = qRound(mouse->position().x());
        run("barMouseDown",
            [mouse, x](PlaybackController& c) { c.barMouseDown(mouse->button(), x); });
        return true;
    }
    if (watched == dot && mouse) {
        const int x = qRound(mouse->position().x());
        if (press)
            run("dotMouseDown",
                [mouse, x](PlaybackController& c) { c.dotMouseDown(mouse->button(), x); });
        else if (type == QEvent::MouseMove)
            run("dotMouseMove", [x](PlaybackController& c) { c.dotMouseMove(x); });
        else if (type == QEvent::MouseButtonRelease)
            run("dotMouseUp",
                [mouse, x](PlaybackController& c) { c.dotMouseUp(mouse->button(), x); });
        else
            return false;
        return true;
    }
    auto* label = qobject_cast<QLabel*>(watched);
    if (press && label && (timeMarks.contains(label) || ticks.contains(label))) {
        if (mouse->button() == Qt::LeftButton)
            Q_EMIT windowDragRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
