#include "KelvorApplication.h"

#include "ErrorReport.h"

#include <cstdio>
#include <exception>

KelvorApplication::KelvorApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool KelvorApplication::notify(QObject* receiver, QEvent* event) {
    QString what;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        what = QString::fromUtf8(e.what());
    } catch (...) {
        what = QStringLiteral("unknown error");
    }
    if (m_report)
        m_report->report(receiver ? receiver->objectName() : QString(), what);
    else
        std::fprintf(stderr, "kelvor: %s\n", what.toLocal8Bit().constData());
    return false;
}
