#include "TFormtpbjyl.h"

#include "PictureView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace {

const QColor kBackground(235, 242, 255);
constexpr int kBarHeight = 36;
constexpr int kIconSize = 24;

enum class Glyph { ZoomIn, ZoomOut, Fit, Original };

// The button pictures, drawn here rather than shipped as files.
QIcon drawIcon(Glyph glyph) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 70, 130);
    p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
    switch (glyph) {
    case Glyph::ZoomIn:
    case Glyph::ZoomOut:
        // A magnifier with a plus or a minus in its glass.
        p.drawEllipse(QRectF(3, 3, 13, 13));
        p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15, 15), QPointF(21, 21));
        p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6.5, 9.5), QPointF(12.5, 9.5));
        if (glyph == Glyph::ZoomIn)
            p.drawLine(QPointF(9.5, 6.5), QPointF(9.5, 12.5));
        break;
    case Glyph::Fit: {
        // A frame with arrows pointing to its corners.
        p.drawRect(QRectF(3, 3, 18, 18));
        QPainterPath arrows;
        for (const QPointF& corner :
             {QPointF(6, 6), QPointF(18, 6), QPointF(6, 18), QPointF(18, 18)}) {
            const QPointF toward = (corner - QPointF(12, 12)) / 6;
            arrows.moveTo(QPointF(12, 12) + toward * 2);
            arrows.lineTo(corner);
            arrows.moveTo(corner - QPointF(toward.x() * 3, 0));
            arrows.lineTo(corner);
            arrows.lineTo(corner - QPointF(0, toward.y() * 3));
        }
        p.setPen(QPen(ink, 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(arrows);
        break;
    }
    case Glyph::Original: {
        QFont f = p.font();
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 0, kIconSize, kIconSize), Qt::AlignCenter, QStringLiteral("1:1"));
        break;
    }
    }
    return QIcon(pixmap);
}

QToolButton* makeButton(QWidget* parent, const QString& name, const QString& hint,
                        const QIcon& icon) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setIcon(icon);
    button->setIconSize(QSize(kIconSize, kIconSize));
    button->setAutoRaise(true); // flat until the mouse is over it
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TFormtpbjyl::TFormtpbjyl(const QString& path, QWidget* parent)
    : TFormtpbjyl(PathSource([path] { return path; }), parent) {}

TFormtpbjyl::TFormtpbjyl(PathSource pathSource, QWidget* parent)
    : QDialog(parent), m_pathSource(std::move(pathSource)) {
    setObjectName(QStringLiteral("Formtpbjyl"));
    setWindowTitle(QStringLiteral("预览"));
    setModal(true);
    // The size it has when taken out of the maximised state; none of the
    // children asks for one.
    resize(800, 600);
    setWindowState(Qt::WindowMaximized);
    // Font matching falls back to a font that exists when this one does not.
    QFont f = font();
    f.setFamily(QStringLiteral("宋体"));
    setFont(f);

    ImageEnVect1 = new PictureView(this);
    ImageEnVect1->setObjectName(QStringLiteral("ImageEnVect1"));
    ImageEnVect1->setBackground(kBackground);
    ImageEnVect1->setSmoothScaling(true);

    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(kBarHeight);
    Panel2->setAutoFillBackground(true);
    QPalette bar = Panel2->palette();
    bar.setColor(QPalette::Window, kBackground);
    Panel2->setPalette(bar);
    Panel2->installEventFilter(this);

    // Panel1 is a child of Panel2 without a layout there: it is placed by
    // centreButtons() and may stick out on both sides of a narrow bar.
    Panel1 = new QWidget(Panel2);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    QStyle* s = style();
    SpeedButton1 = makeButton(Panel1, QStringLiteral("SpeedButton1"), QStringLiteral("放大"),
                              drawIcon(Glyph::ZoomIn));
    SpeedButton2 = makeButton(Panel1, QStringLiteral("SpeedButton2"), QStringLiteral("缩水"),
                              drawIcon(Glyph::ZoomOut));
    SpeedButton4 = makeButton(Panel1, QStringLiteral("SpeedButton4"), QStringLiteral("适合"),
                              drawIcon(Glyph::Fit));
    SpeedButton5 = makeButton(Panel1, QStringLiteral("SpeedButton5"), QStringLiteral("原始大小"),
                              drawIcon(Glyph::Original));
    SpeedButton6 = makeButton(Panel1, QStringLiteral("SpeedButton6"), QStringLiteral("返回"),
                              s->standardIcon(QStyle::SP_ArrowBack));
    SpeedButton6->setText(QStringLiteral("返回"));
    SpeedButton6->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* buttons = new QHBoxLayout(Panel1);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(8);
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton4, SpeedButton5, SpeedButton6})
        buttons->addWidget(b);
    Panel1->setFixedSize(Panel1->sizeHint().width(), kBarHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ImageEnVect1, 1);
    layout->addWidget(Panel2);

    connect(SpeedButton1, &QToolButton::clicked, this, &TFormtpbjyl::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TFormtpbjyl::SpeedButton2Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TFormtpbjyl::SpeedButton4Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TFormtpbjyl::SpeedButton5Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &TFormtpbjyl::SpeedButton6Click);
    centreButtons();
}

void TFormtpbjyl::FormShow() {
    setWindowTitle(QStringLiteral("图片预览"));
    ImageEnVect1->setAutoFit(false);
    ImageEnVect1->clear();
    try {
        const QString path = m_pathSource ? m_pathSource() : QString();
        if (path.isEmpty())
            return;
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QImage picture = reader.read();
        if (picture.isNull())
            return;
        ImageEnVect1->setPicture(picture);
        // Fitted now and again while a maximised window is still being
        // given its final size; the first zoom button ends it.
        ImageEnVect1->setAutoFit(true);
    } catch (...) {
        // A snapshot that cannot be shown leaves the view empty.
    }
}

void TFormtpbjyl::FormPaint() {
    centreButtons();
}

void TFormtpbjyl::FormResize() {
    centreButtons();
}

void TFormtpbjyl::SpeedButton1Click() {
    zoomTo(ImageEnVect1->zoom() * 2);
}

void TFormtpbjyl::SpeedButton2Click() {
    zoomTo(ImageEnVect1->zoom() / 2);
}

void TFormtpbjyl::SpeedButton4Click() {
    ImageEnVect1->setAutoFit(false);
    ImageEnVect1->fit();
}

void TFormtpbjyl::SpeedButton5Click() {
    zoomTo(100);
}

void TFormtpbjyl::SpeedButton6Click() {
    reject();
}

void TFormtpbjyl::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormtpbjyl::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    FormPaint();
}

void TFormtpbjyl::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

bool TFormtpbjyl::eventFilter(QObject* watched, QEvent* event) {
    // The layout sizes the bar after the window's own resize; centre again
    // then, and before the bar paints.
    if (watched == Panel2 && (event->type() == QEvent::Resize || event->type() == QEvent::Paint))
        centreButtons();
    return QDialog::eventFilter(watched, event);
}

void TFormtpbjyl::centreButtons() {
    // Integer division truncates toward zero; a negative left is kept, so a
    // bar narrower than the group cuts it on both sides.
    const int left = (Panel2->width() - Panel1->width()) / 2;
    const int top = (Panel2->height() - Panel1->height()) / 2;
    if (Panel1->pos() != QPoint(left, top))
        Panel1->move(left, top);
}

void TFormtpbjyl::zoomTo(double percent) {
    ImageEnVect1->setAutoFit(false);
    ImageEnVect1->setZoom(percent);
}
