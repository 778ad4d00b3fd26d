#include "TFrmDisplayScr.h"

#include "MessageService.h"
#include "media.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScreen>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>

namespace {

const QColor kBackground(51, 51, 51);
const QColor kBlue(0, 0, 255);
const QColor kAqua(0, 255, 255);
// The device alias the player opens its files under.
const QString kAlias = QStringLiteral("MyMp3");

constexpr int kButtonWidth = 16;
constexpr int kButtonHeight = 15;
constexpr int kCorner = 16; // length of each arm of the bottom-right handle

enum class Glyph { Maximise, Restore, Close };

// The title-bar button pictures, white on the blue bar.
QIcon drawGlyph(Glyph glyph) {
    QPixmap pixmap(12, 11);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QPen thin(Qt::white, 1);
    p.setPen(thin);
    switch (glyph) {
    case Glyph::Maximise:
        p.drawRect(1, 1, 9, 8);
        p.drawLine(1, 2, 10, 2);
        break;
    case Glyph::Restore:
        p.drawRect(3, 0, 7, 6);
        p.fillRect(1, 3, 7, 6, kBlue);
        p.drawRect(1, 3, 7, 6);
        p.drawLine(1, 4, 8, 4);
        break;
    case Glyph::Close:
        p.setPen(QPen(Qt::white, 1.6));
        p.setRenderHint(QPainter::Antialiasing);
        p.drawLine(QPointF(2, 1.5), QPointF(10, 9.5));
        p.drawLine(QPointF(10, 1.5), QPointF(2, 9.5));
        break;
    }
    return QIcon(pixmap);
}

void fill(QWidget* w, const QColor& colour) {
    w->setAutoFillBackground(true);
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, colour);
    w->setPalette(palette);
}

QLabel* makeStrip(QWidget* parent, const char* name, Qt::CursorShape cursor) {
    auto* strip = new QLabel(parent);
    strip->setObjectName(QString::fromUtf8(name));
    fill(strip, kBlue);
    strip->setCursor(cursor);
    return strip;
}

QToolButton* makeButton(QWidget* parent, const char* name, const char* hint, Glyph glyph) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setToolTip(QString::fromUtf8(hint));
    button->setIcon(drawGlyph(glyph));
    button->setIconSize(QSize(12, 11));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(kButtonWidth, kButtonHeight);
    return button;
}

bool near(int a, int b) {
    return std::abs(a - b) <= TFrmDisplayScr::kSnapDistance;
}

int rightOf(const QRect& r) {
    return r.x() + r.width();
}

int bottomOf(const QRect& r) {
    return r.y() + r.height();
}

} // namespace

TFrmDisplayScr::TFrmDisplayScr(Media& media, MessageService& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_media(media), m_messages(messages) {
    setObjectName(QStringLiteral("FrmDisplayScr"));
    // Closing this window must never end the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    fill(this, kBackground);
    setMinimumSize(kMinimumSize);
    resize(kInitialSize);

    TitleBar = new QLabel(this);
    TitleBar->setObjectName(QStringLiteral("TitleBar"));
    fill(TitleBar, kBlue);
    QFont f = TitleBar->font();
    f.setPixelSize(12);
    TitleBar->setFont(f);

    Image3 = new QLabel(TitleBar);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setGeometry(3, 2, 16, 16);

    const auto textLabel = [this](const char* name, const char* text, const QColor& colour) {
        auto* label = new QLabel(QString::fromUtf8(text), TitleBar);
        label->setObjectName(QString::fromUtf8(name));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour);
        label->setPalette(palette);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return label;
    };
    rateLb = textLabel("rateLb", "比例", Qt::white);
    TitleLb = textLabel("TitleLb", "标题", kAqua);

    big1 = makeButton(TitleBar, "big1", "最大化", Glyph::Maximise);
    big2 = makeButton(TitleBar, "big2", "还原", Glyph::Restore);
    big2->hide();
    sbtnClose = makeButton(TitleBar, "sbtnClose", "关闭", Glyph::Close);

    Label6 = makeStrip(this, "Label6", Qt::SizeHorCursor);
    Label2 = makeStrip(this, "Label2", Qt::SizeHorCursor);
    Label3 = makeStrip(this, "Label3", Qt::SizeVerCursor);
    Label4 = makeStrip(this, "Label4", Qt::SizeFDiagCursor);
    Label5 = makeStrip(this, "Label5", Qt::SizeFDiagCursor);

    ScrPnl = new QWidget(this);
    ScrPnl->setObjectName(QStringLiteral("ScrPnl"));
    // The media device draws into this panel's own window.
    ScrPnl->setAttribute(Qt::WA_NativeWindow);
    fill(ScrPnl, Qt::black);
    ScrPnl->setGeometry(pictureGeometry(kInitialSize, QSize()));

    contextMenu = new QMenu(this);
    contextMenu->setObjectName(QStringLiteral("contextMenu"));
    previousAction = contextMenu->addAction(QStringLiteral("上一个"));
    nextAction = contextMenu->addAction(QStringLiteral("下一个"));
    connect(previousAction, &QAction::triggered, this, &TFrmDisplayScr::previousRequested);
    connect(nextAction, &QAction::triggered, this, &TFrmDisplayScr::nextRequested);

    connect(big1, &QToolButton::clicked, this, &TFrmDisplayScr::TitleBarDblClick);
    connect(big2, &QToolButton::clicked, this, &TFrmDisplayScr::TitleBarDblClick);
    connect(sbtnClose, &QToolButton::clicked, this, &QWidget::close);

    for (QWidget* w : {static_cast<QWidget*>(TitleBar), static_cast<QWidget*>(Image3),
                       static_cast<QWidget*>(rateLb), static_cast<QWidget*>(TitleLb),
                       static_cast<QWidget*>(Label6), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(Label3), static_cast<QWidget*>(Label4),
                       static_cast<QWidget*>(Label5), ScrPnl})
        w->installEventFilter(this);

    updateIcon();
    layoutFrame();
}

QRect TFrmDisplayScr::pictureGeometry(QSize client, QSize native) {
    const int availW = client.width() - 2 * kEdge;
    const int availH = client.height() - kTitleBarHeight - kEdge;
    if (native.width() <= 0 || native.height() <= 0 || availW <= 0 || availH <= 0)
        return QRect(kEdge, kTitleBarHeight, std::max(availW, 0), std::max(availH, 0));
    // 64-bit products: a maximised window on a large screen times a large
    // native size stays far from overflow either way, but cheaply so.
    const int w = static_cast<int>(qint64(availH) * native.width() / native.height());
    if (w < availW)
        return QRect(kEdge + (availW - w) / 2, kTitleBarHeight, w, availH);
    const int h = static_cast<int>(qint64(availW) * native.height() / native.width());
    return QRect(kEdge, kTitleBarHeight + (availH - h) / 2, availW, h);
}

QSize TFrmDisplayScr::naturalSize(QSize native) {
    return QSize(native.width() + 2 * kEdge, native.height() + kTitleBarHeight + kEdge);
}

QRect TFrmDisplayScr::resizedGeometry(const QRect& start, Qt::Edges edges, QPoint delta,
                                      QSize minimum) {
    int left = start.x();
    int top = start.y();
    int width = start.width();
    int height = start.height();
    if (edges & Qt::LeftEdge) {
        width = std::max(start.width() - delta.x(), minimum.width());
        left = rightOf(start) - width;
    } else if (edges & Qt::RightEdge) {
        width = std::max(start.width() + delta.x(), minimum.width());
    }
    if (edges & Qt::TopEdge) {
        height = std::max(start.height() - delta.y(), minimum.height());
        top = bottomOf(start) - height;
    } else if (edges & Qt::BottomEdge) {
        height = std::max(start.height() + delta.y(), minimum.height());
    }
    return QRect(left, top, width, height);
}

TFrmDisplayScr::DockPlacement TFrmDisplayScr::dockOnOwnMove(const QRect& video, const QRect& main) {
    const int r = rightOf(main);
    if (near(video.x(), r) && near(video.y(), main.y()))
        return {QPoint(r, main.y()), Dock::Right};
    if (near(bottomOf(video), main.y()) && video.x() <= r && rightOf(video) >= main.x())
        return {QPoint(video.x(), main.y() - video.height()), Dock::Above};
    return {video.topLeft(), Dock::None};
}

TFrmDisplayScr::DockPlacement
TFrmDisplayScr::dockOnMainMove(Dock state, bool visible, const QRect& video, const QRect& main) {
    if (!visible)
        return {video.topLeft(), Dock::None};
    const int r = rightOf(main);
    switch (state) {
    case Dock::None:
        // The same tests as for the window's own moves: a window that is
        // not over the main window's width is not pulled onto its top.
        return dockOnOwnMove(video, main);
    case Dock::Right:
        return {QPoint(r, main.y()), Dock::Right};
    case Dock::Above: {
        int left = video.x();
        if (left > r)
            left = r;
        else if (rightOf(video) < main.x())
            left = main.x() - video.width();
        return {QPoint(left, main.y() - video.height()), Dock::Above};
    }
    }
    return {video.topLeft(), Dock::None};
}

QSize TFrmDisplayScr::nativeClientSize(quintptr window) {
    const QWidget* w = QWidget::find(static_cast<WId>(window));
    return w ? w->size() : QSize();
}

void TFrmDisplayScr::setNativeSize(QSize native) {
    m_native = native;
    m_natural = naturalSize(native);
    ScrPnl->setGeometry(pictureGeometry(size(), m_native));
}

void TFrmDisplayScr::presentVideo(QSize native, const QString& title) {
    setNativeSize(native);
    if (!isVisible())
        resize(m_natural);
    TitleLb->setText(title);
    layoutTitle();
    if (!isVisible())
        show();
    FormResize();
}

void TFrmDisplayScr::FormShow() {
    if (m_maximised)
        return;
    const QRect screenRect = screen() ? screen()->geometry() : QRect(0, 0, 0, 0);
    const int mainTop = m_mainGeometry ? m_mainGeometry().y() : 0;
    const int h = frameGeometry().height();
    const int top = h < mainTop ? mainTop - h : 0;
    const int left = screenRect.x() + (screenRect.width() - frameGeometry().width()) / 2;
    move(left, top);
}

void TFrmDisplayScr::FormResize() {
    ScrPnl->setGeometry(pictureGeometry(size(), m_native));
    if (!isVisible() || !m_pictureActive || !m_pictureActive())
        return;
    const QString reply = m_media.MciPutWindow(ScrPnl->winId(), kAlias, 0, 0, 0, 0);
    if (reply != QLatin1String("ok")) {
        m_messages.show(reply, MessageService::Icon::Information);
        return;
    }
    // Without a native width there is no scale to show.
    if (m_native.width() > 0) {
        const qint64 percent = qint64(ScrPnl->width()) * 100 / m_native.width();
        rateLb->setText(QStringLiteral("[%1%]").arg(percent));
        layoutTitle();
    }
}

void TFrmDisplayScr::TitleBarDblClick() {
    if (!m_maximised) {
        m_normalBounds = geometry();
        // No docking while the window covers the screen.
        m_maximised = true;
        m_dock = Dock::None;
        const QRect screenRect = screen() ? screen()->geometry() : geometry();
        setGeometry(screenRect);
        big2->show();
        big1->hide();
    } else {
        m_maximised = false;
        setGeometry(m_normalBounds);
        big1->show();
        big2->hide();
    }
}

void TFrmDisplayScr::mainWindowMoved() {
    if (!m_mainGeometry || m_maximised)
        return;
    const DockPlacement p = dockOnMainMove(m_dock, isVisible(), frameGeometry(), m_mainGeometry());
    m_dock = p.dock;
    placeAt(p.topLeft);
}

void TFrmDisplayScr::placeAt(QPoint topLeft) {
    if (topLeft == frameGeometry().topLeft())
        return;
    // The move re-enters moveEvent; the placement is already final.
    const QScopedValueRollback guard(m_placing, true);
    move(topLeft);
}

void TFrmDisplayScr::applyOwnDocking() {
    if (m_placing || !m_mainGeometry || m_maximised || !isVisible())
        return;
    const DockPlacement p = dockOnOwnMove(frameGeometry(), m_mainGeometry());
    m_dock = p.dock;
    placeAt(p.topLeft);
}

void TFrmDisplayScr::layoutFrame() {
    const int w = width();
    const int h = height();
    TitleBar->setGeometry(0, 0, w, kTitleBarHeight);
    sbtnClose->move(w - kButtonWidth - 3, 2);
    big1->move(w - 2 * kButtonWidth - 5, 2);
    big2->move(big1->pos());
    Label6->setGeometry(0, kTitleBarHeight, kEdge, h - kTitleBarHeight);
    Label2->setGeometry(w - kEdge, kTitleBarHeight, kEdge, h - kTitleBarHeight - kCorner);
    Label3->setGeometry(kEdge, h - kEdge, w - kEdge - kCorner, kEdge);
    Label4->setGeometry(w - kCorner, h - kEdge, kCorner, kEdge);
    Label5->setGeometry(w - kEdge, h - kCorner, kEdge, kCorner - kEdge);
    layoutTitle();
}

void TFrmDisplayScr::layoutTitle() {
    rateLb->adjustSize();
    rateLb->setGeometry(22, 0, rateLb->width(), kTitleBarHeight);
    const int left = rateLb->x() + rateLb->width() + 6;
    TitleLb->setGeometry(left, 0, std::max(big1->x() - 4 - left, 0), kTitleBarHeight);
}

void TFrmDisplayScr::updateIcon() {
    Image3->setPixmap(windowIcon().pixmap(16, 16));
}

bool TFrmDisplayScr::dragEvent(QMouseEvent* event, Drag kind, Qt::Edges edges) {
    const QPoint global = event->globalPosition().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (event->button() != Qt::LeftButton)
            return false;
        m_drag = kind;
        m_dragEdges = edges;
        m_pressGlobal = global;
        m_pressGeometry = geometry();
        return true;
    case QEvent::MouseMove:
        if (m_drag == Drag::None || !(event->buttons() & Qt::LeftButton))
            return false;
        if (m_drag == Drag::Move)
            move(m_pressGeometry.topLeft() + (global - m_pressGlobal));
        else
            setGeometry(resizedGeometry(m_pressGeometry, m_dragEdges, global - m_pressGlobal,
                                        minimumSize()));
        return true;
    case QEvent::MouseButtonRelease:
        if (event->button() != Qt::LeftButton || m_drag == Drag::None)
            return false;
        m_drag = Drag::None;
        return true;
    default:
        return false;
    }
}

bool TFrmDisplayScr::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
                       type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick;
    if (!mouse)
        return QWidget::eventFilter(watched, event);
    auto* me = static_cast<QMouseEvent*>(event);
    // Only the left button drags; the others go on to the window (context
    // menu).
    const bool left = me->button() == Qt::LeftButton || (me->buttons() & Qt::LeftButton);
    if (!left)
        return QWidget::eventFilter(watched, event);

    if (watched == ScrPnl)
        return true; // the picture neither moves nor sizes the window

    Qt::Edges edges;
    if (watched == Label6)
        edges = Qt::LeftEdge;
    else if (watched == Label2)
        edges = Qt::RightEdge;
    else if (watched == Label3)
        edges = Qt::BottomEdge;
    else if (watched == Label4 || watched == Label5)
        edges = Qt::BottomEdge | Qt::RightEdge;
    if (edges) {
        if (type != QEvent::MouseButtonDblClick)
            dragEvent(me, Drag::Size, edges);
        return true;
    }

    // The title bar, its labels and the icon.
    if (type == QEvent::MouseButtonDblClick)
        TitleBarDblClick();
    else
        dragEvent(me, Drag::Move, {});
    return true;
}

void TFrmDisplayScr::mousePressEvent(QMouseEvent* event) {
    if (!dragEvent(event, Drag::Move, {}))
        QWidget::mousePressEvent(event);
}

void TFrmDisplayScr::mouseMoveEvent(QMouseEvent* event) {
    if (!dragEvent(event, Drag::Move, {}))
        QWidget::mouseMoveEvent(event);
}

void TFrmDisplayScr::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragEvent(event, Drag::Move, {}))
        QWidget::mouseReleaseEvent(event);
}

void TFrmDisplayScr::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFrmDisplayScr::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutFrame();
    FormResize();
}

void TFrmDisplayScr::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    applyOwnDocking();
}

void TFrmDisplayScr::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    m_drag = Drag::None;
    Q_EMIT closed();
}

bool TFrmDisplayScr::event(QEvent* event) {
    const bool done = QWidget::event(event);
    if (event->type() == QEvent::WindowIconChange ||
        event->type() == QEvent::ApplicationWindowIconChange)
        updateIcon();
    return done;
}

void TFrmDisplayScr::keyPressEvent(QKeyEvent* event) {
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_Left:
            Q_EMIT previousRequested();
            return;
        case Qt::Key_Right:
            Q_EMIT nextRequested();
            return;
        case Qt::Key_PageUp:
            Q_EMIT backRequested();
            return;
        case Qt::Key_PageDown:
            Q_EMIT forwardRequested();
            return;
        default:
            break;
        }
    }
    QWidget::keyPressEvent(event);
}

void TFrmDisplayScr::contextMenuEvent(QContextMenuEvent* event) {
    contextMenu->popup(event->globalPos());
    event->accept();
}
