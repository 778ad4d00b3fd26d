#include "PictureView.h"

#include <QPainter>
#include <algorithm>

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::setBackground(const QColor& colour) {
    setGradientBackground(colour, colour);
}

void PictureView::setGradientBackground(const QColor& top, const QColor& bottom) {
    m_top = top;
    m_bottom = bottom;
    update();
}

void PictureView::setPicture(const QImage& picture) {
    const bool sizeChanged = picture.size() != m_picture.size();
    m_picture = picture;
    if (m_autoFit && sizeChanged)
        fit();
    update();
}

void PictureView::clear() {
    m_picture = QImage();
    update();
}

void PictureView::setZoom(double percent) {
    if (percent <= 0)
        return;
    m_zoom = percent;
    update();
}

void PictureView::setAutoFit(bool on) {
    m_autoFit = on;
    if (on)
        fit();
}

void PictureView::fit() {
    if (m_picture.isNull() || width() <= 0 || height() <= 0)
        return;
    m_zoom = 100.0 *
             std::min(double(width()) / m_picture.width(), double(height()) / m_picture.height());
    update();
}

QRectF PictureView::pictureRect() const {
    const QSizeF size = QSizeF(m_picture.size()) * (m_zoom / 100.0);
    // Centred where it is smaller than the window, from the top-left where
    // it is larger.
    const qreal x = std::max(0.0, (width() - size.width()) / 2);
    const qreal y = std::max(0.0, (height() - size.height()) / 2);
    return QRectF(QPointF(x, y), size);
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_top == m_bottom) {
        p.fillRect(rect(), m_top);
    } else {
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, m_top);
        g.setColorAt(1, m_bottom);
        p.fillRect(rect(), g);
    }
    if (m_picture.isNull())
        return;
    p.setRenderHint(QPainter::SmoothPixmapTransform, m_smooth || m_zoom < 100);
    p.drawImage(pictureRect(), m_picture);
}

void PictureView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_autoFit)
        fit();
}
