#include "GuardedTick.h"

#include "ErrorReport.h"

#include <QTimer>
#include <exception>

bool runGuarded(const QString& name, ErrorReport& report, const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        report.report(name, QString::fromUtf8(e.what()));
    } catch (...) {
        report.report(name, QStringLiteral("unknown error"));
    }
    return false;
}

void runGuardedTick(QTimer& timer, const QString& name, ErrorReport& report,
                    const std::function<void()>& work) {
    timer.stop();
    runGuarded(name, report, work);
    timer.start();
}

void connectGuardedTick(QTimer& timer, const QString& name, ErrorReport& report,
                        std::function<void()> work) {
    QObject::connect(&timer, &QTimer::timeout, &timer,
                     [&timer, name, &report, work = std::move(work)] {
                         runGuardedTick(timer, name, report, work);
                     });
}
