#pragma once

#include <QDateTime>
#include <QString>

class QImage;

// The date-time stamp burned into every live frame: "yyyy-MM-dd H:mm:ss",
// the time left out when the moment is exactly midnight.
QString frameStampText(const QDateTime& now);

// Draws the stamp in white at the top-left corner (0, 0) of the picture with
// no background, in the default font; it becomes part of the pixels.
void drawFrameStamp(QImage& picture, const QString& text);
