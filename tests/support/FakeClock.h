#pragma once

#include "Clock.h"

// A clock that stands still until a test moves it.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime t = QDateTime(QDate(2026, 12, 11), QTime(12, 0, 0)))
        : m_now(std::move(t)) {}
    QDateTime now() const override { return m_now; }
    void set(QDateTime t) { m_now = std::move(t); }
    void advanceSecs(qint64 s) { m_now = m_now.addSecs(s); }

private:
    QDateTime m_now;
};
