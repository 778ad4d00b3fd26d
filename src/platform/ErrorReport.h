#pragma once

#include "Clock.h"

#include <QList>
#include <QObject>
#include <QString>

// The program's general error report: every error that a guard catches (a
// timer tick, an event handler) is reported here. Each distinct text is kept
// once, with the time it was first and last seen and how often; a flood of
// the same error stays one entry. Each new entry is also written as one line
// to standard error, and a repeated one again when its count reaches 10, 100,
// 1000 and so on, so the terminal is not flooded either.
//
// User-interface thread only. report() never blocks and never throws.
class ErrorReport : public QObject {
    Q_OBJECT
public:
    struct Entry {
        QString text;
        QDateTime first;
        QDateTime last;
        int count = 0;
    };

    explicit ErrorReport(const Clock& clock, QObject* parent = nullptr);

    // Reports an error; `where` names the step that failed ("tbjTimer").
    void report(const QString& where, const QString& what);

    const QList<Entry>& entries() const { return m_entries; }

    // Whether lines go to standard error (tests switch it off).
    void setEchoToStderr(bool on) { m_echo = on; }

Q_SIGNALS:
    // An entry was added (index == entries().size() - 1) or updated.
    void entryChanged(int index);

private:
    const Clock& m_clock;
    QList<Entry> m_entries;
    bool m_echo = true;
};
