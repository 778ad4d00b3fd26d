#include "LiveView.h"

#include <QPainter>
#include <algorithm>

LiveView::LiveView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ImageEnView1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(160, 120);
}

void LiveView::setPicture(const QImage& picture) {
    const bool sizeChanged = picture.size() != m_picture.size();
    m_picture = picture;
    if (m_autoFit && sizeChanged)
        fit();
    update();
}

void LiveView::clear() {
    m_picture = QImage();
    update();
}

void LiveView::setZoom(double percent) {
    if (percent <= 0)
        return;
    m_zoom = percent;
    update();
}

void LiveView::setAutoFit(bool on) {
    m_autoFit = on;
    if (on)
        fit();
}

void LiveView::fit() {
    if (m_picture.isNull() || width() <= 0 || height() <= 0)
        return;
    m_zoom = 100.0 *
             std::min(double(width()) / m_picture.width(), double(height()) / m_picture.height());
    update();
}

QRectF LiveView::pictureRect() const {
    const QSizeF size = QSizeF(m_picture.size()) * (m_zoom / 100.0);
    // Centred where it is smaller than the window, from the top-left where
    // it is larger.
    const qreal x = std::max(0.0, (width() - size.width()) / 2);
    const qreal y = std::max(0.0, (height() - size.height()) / 2);
    return QRectF(QPointF(x, y), size);
}

void LiveView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (m_picture.isNull())
        return;
    p.setRenderHint(QPainter::SmoothPixmapTransform, m_zoom < 100);
    p.drawImage(pictureRect(), m_picture);
}

void LiveView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_autoFit)
        fit();
}
