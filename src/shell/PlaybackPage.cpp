#include "PlaybackPage.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

PlaybackPage::PlaybackPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet2"));
    auto* query = new QGroupBox(QStringLiteral("监控视频文件查询"), this);
    dateFrom = new QLineEdit(query);
    dateFrom->setObjectName(QStringLiteral("dateFrom"));
    dateTo = new QLineEdit(query);
    dateTo->setObjectName(QStringLiteral("dateTo"));
    auto* row = new QHBoxLayout(query);
    row->addWidget(new QLabel(QStringLiteral("日期从"), query));
    row->addWidget(dateFrom);
    row->addWidget(new QLabel(QStringLiteral("到"), query));
    row->addWidget(dateTo);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(query);
    layout->addStretch();
}
