#pragma once

#include <QApplication>

class ErrorReport;

// The application object. An error that escapes an event handler is caught
// here and sent to the general error report instead of ending the program.
class KelvorApplication final : public QApplication {
    Q_OBJECT
public:
    KelvorApplication(int& argc, char** argv);

    void setErrorReport(ErrorReport* report) { m_report = report; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    ErrorReport* m_report = nullptr;
};
