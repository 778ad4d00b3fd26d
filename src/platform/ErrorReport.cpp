#include "ErrorReport.h"

#include <cstdio>

namespace {
bool isPowerOfTen(int n) {
    while (n >= 10 && n % 10 == 0)
        n /= 10;
    return n == 1;
}
} // namespace

ErrorReport::ErrorReport(const Clock& clock, QObject* parent) : QObject(parent), m_clock(clock) {}

void ErrorReport::report(const QString& where, const QString& what) {
    const QString text = where.isEmpty() ? what : where + QStringLiteral(": ") + what;
    const QDateTime now = m_clock.now();
    int index = -1;
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].text == text) {
            index = i;
            break;
        }
    }
    if (index < 0) {
        m_entries.append(Entry{text, now, now, 1});
        index = static_cast<int>(m_entries.size()) - 1;
    } else {
        Entry& e = m_entries[index];
        e.last = now;
        ++e.count;
    }
    const Entry& e = m_entries[index];
    if (m_echo && isPowerOfTen(e.count)) {
        const QString line = QStringLiteral("kelvor: %1 %2 (%3)\n")
                                 .arg(now.toString(QStringLiteral("yyyy-MM-dd H:mm:ss")), text)
                                 .arg(e.count);
        std::fputs(line.toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
    }
    Q_EMIT entryChanged(index);
}
