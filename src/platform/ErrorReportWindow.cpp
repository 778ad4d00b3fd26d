#include "ErrorReportWindow.h"

#include "ErrorReport.h"
#include "MessageService.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd H:mm:ss");
}

ErrorReportWindow::ErrorReportWindow(ErrorReport& report, QWidget* parent)
    : QWidget(parent, Qt::Window), m_report(report), m_list(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("ErrorReportWindow"));
    setWindowTitle(QString::fromUtf16(kAppTitle) + QStringLiteral(" - 错误报告"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_list->setObjectName(QStringLiteral("ErrorList"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("错误"), QStringLiteral("首次"), QStringLiteral("最近"),
                             QStringLiteral("次数")});
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setStretchLastSection(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    resize(640, 240);
    connect(&m_report, &ErrorReport::entryChanged, this, &ErrorReportWindow::onEntryChanged);
}

void ErrorReportWindow::onEntryChanged(int index) {
    const ErrorReport::Entry& e = m_report.entries().at(index);
    QTreeWidgetItem* item = m_list->topLevelItem(index);
    if (!item) {
        item = new QTreeWidgetItem(m_list);
        item->setText(0, e.text);
        item->setText(1, e.first.toString(kTimeFormat));
    }
    item->setText(2, e.last.toString(kTimeFormat));
    item->setText(3, QString::number(e.count));
    if (!isVisible())
        show();
}
