#include "AppIcon.h"

#include <QPainter>
#include <QPixmap>

QIcon appIcon() {
    QIcon icon;
    for (int size : {16, 22, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal s = size / 16.0;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2a, 0x5d, 0x9f));
        p.drawRoundedRect(QRectF(1 * s, 4 * s, 10 * s, 8 * s), 1.5 * s, 1.5 * s);
        p.drawPolygon(QPolygonF({QPointF(11 * s, 7 * s), QPointF(15 * s, 4.5 * s),
                                 QPointF(15 * s, 11.5 * s), QPointF(11 * s, 9 * s)}));
        p.setBrush(QColor(0xe0, 0x20, 0x20));
        p.drawEllipse(QPointF(3.5 * s, 6.5 * s), 1.1 * s, 1.1 * s);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}
