#pragma once

#include "ShellPorts.h"

#include <QImage>
#include <QObject>
#include <functional>

class Clock;
class ErrorReport;
class RecordingController;
class TGlobal;
class Tdbhouse;
class QTimer;

// The motion alarm. Every 10 s while monitoring (tyt) a fresh frame becomes
// the reference; every 500 ms (tbj, the main window's timer) a fresh frame is
// compared with it, and below 93 % similarity it is saved as an alarm
// snapshot: "YYMMDDHHMMSS" + counter as a BMP and as a baseline JPEG at
// quality 90 in sourcejpg, the JPEG entered in bjb as not yet mailed.
//
// The check runs whether or not monitoring is on (a stopped camera leaves the
// last picture, compared with the last reference). The counter starts at 1
// and grows before each snapshot for the whole run, so the first snapshot of
// a run carries 2.
//
// Errors (a full disk, a removed sourcejpg, a database error) propagate out of
// the ticks; the guarded ticks report them once in the error report and the
// timers run on, so detection resumes when the cause goes away.
// User-interface thread only.
class AlarmDetector final : public QObject, public TickPort {
    Q_OBJECT
public:
    // Similarity of two equally sized pictures, 0 to 1.
    using Comparer = std::function<double(const QImage&, const QImage&)>;

    AlarmDetector(TGlobal& global, Tdbhouse& db, RecordingController& recording,
                  const Clock& clock, ErrorReport& errors, QString programFolder,
                  QObject* parent = nullptr);

    void setComparer(Comparer comparer) { m_compare = std::move(comparer); }

    void TakeReferenceFrame();
    void TakeCurrentFrame();
    void CompareWithReference();
    void tytTimer();
    void tbjTimer();
    void tick() override { tbjTimer(); } // the main window's tbj

    bool HasReference = false;
    double similarity = 100;
    int AlarmCounter = 1;
    const QImage& reference() const { return m_reference; }
    const QImage& current() const { return m_current; }
    QTimer* referenceTimer() const { return m_tyt; }

    static constexpr double kThreshold = 93;

private:
    void raiseAlarm();

    TGlobal& m_global;
    Tdbhouse& m_db;
    RecordingController& m_recording;
    const Clock& m_clock;
    ErrorReport& m_errors;
    QString m_programFolder;
    Comparer m_compare;
    QImage m_reference;
    QImage m_current;
    QTimer* m_tyt;
};
