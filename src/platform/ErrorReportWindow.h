#pragma once

#include <QWidget>

class ErrorReport;
class QTreeWidget;

// The window of the general error report: one line per distinct error with
// the time first and last seen and the count. Non-modal; it shows itself
// without taking the focus when an error arrives, and closing it only hides
// it.
class ErrorReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit ErrorReportWindow(ErrorReport& report, QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_list; }

private:
    void onEntryChanged(int index);

    ErrorReport& m_report;
    QTreeWidget* m_list;
};
