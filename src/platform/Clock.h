#pragma once

#include <QDateTime>

// Where "now" comes from. Code that names files by time, fills date ranges or
// decides by age takes a Clock so that tests can fix the time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// The local wall clock.
class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
