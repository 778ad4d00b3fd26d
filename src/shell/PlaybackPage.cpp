#include "PlaybackPage.h"

#include "PlayerPanel.h"

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
    playerPanel = new PlayerPanel(this);
    // Out of sight but able to take the focus.
    PYEdit = new QLineEdit(this);
    PYEdit->setFixedSize(1, 1);
    PYEdit->setFrame(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(query);
    layout->addWidget(playerPanel, 1);
    layout->addWidget(PYEdit);
}
