#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// The program writes and reads its own dates and times with fixed patterns,
// "yyyy-MM-dd" and "H:mm:ss", whatever the user's regional settings say; it
// never changes those settings.
inline const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
inline const QString kTimeFormat = QStringLiteral("H:mm:ss");

inline QString dateText(const QDate& d) {
    return d.toString(kDateFormat);
}
inline QString timeText(const QTime& t) {
    return t.toString(kTimeFormat);
}
inline QString dateTimeText(const QDateTime& t) {
    return dateText(t.date()) + QLatin1Char(' ') + timeText(t.time());
}
// An invalid date when the text is not a date of that form.
inline QDate parseDateText(const QString& s) {
    return QDate::fromString(s.trimmed(), kDateFormat);
}
