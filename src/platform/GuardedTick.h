#pragma once

#include <QString>
#include <functional>

class QTimer;
class ErrorReport;

// The one way a timer tick of the program runs: the timer is stopped, the
// work runs inside a guard, an error is sent to the error report, and the
// timer is started again whatever happened, so no error can leave a timer
// off for the rest of the run.
void runGuardedTick(QTimer& timer, const QString& name, ErrorReport& report,
                    const std::function<void()>& work);

// Runs `work` inside a guard that sends any error to the report under
// `name`; returns false when it failed.
bool runGuarded(const QString& name, ErrorReport& report, const std::function<void()>& work);

// Connects the timer's timeout to a guarded tick of `work`. For timers that
// run for the whole run: the timer is started again after every tick, so a
// timer whose own tick may stop it for good (the player's time display at
// the end of a file, a one-shot timer) uses runGuarded instead.
void connectGuardedTick(QTimer& timer, const QString& name, ErrorReport& report,
                        std::function<void()> work);
