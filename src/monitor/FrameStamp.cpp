#include "FrameStamp.h"

#include "DateTexts.h"

#include <QImage>
#include <QPainter>

QString frameStampText(const QDateTime& now) {
    if (now.time() == QTime(0, 0))
        return dateText(now.date());
    return dateText(now.date()) + QLatin1Char(' ') + timeText(now.time());
}

void drawFrameStamp(QImage& picture, const QString& text) {
    if (picture.isNull())
        return;
    QPainter p(&picture);
    p.setPen(QColor(255, 255, 255));
    p.setBackgroundMode(Qt::TransparentMode);
    p.drawText(QRect(0, 0, picture.width(), picture.height()), Qt::AlignLeft | Qt::AlignTop, text);
}
