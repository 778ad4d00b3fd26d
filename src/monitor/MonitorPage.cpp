#include "MonitorPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLabel* redHint(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setStyleSheet(QStringLiteral("color: red;"));
    l->setWordWrap(true);
    return l;
}
} // namespace

MonitorPage::MonitorPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet1"));

    liveView = new QFrame(this);
    liveView->setObjectName(QStringLiteral("ImageEnView1"));
    liveView->setFrameShape(QFrame::StyledPanel);
    liveView->setStyleSheet(QStringLiteral("#ImageEnView1 { background: black; }"));
    liveView->setMinimumSize(320, 240);

    auto* group = new QGroupBox(QStringLiteral("选择监控设备"), this);
    ComboBox1 = new QComboBox(group);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    SpeedButton9 = new QPushButton(QStringLiteral("刷新设备"), group);
    SpeedButton9->setObjectName(QStringLiteral("SpeedButton9"));
    ListBox2 = new QListWidget(group);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    Edit1 = new QLineEdit(QStringLiteral("640"), group);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit2 = new QLineEdit(QStringLiteral("480"), group);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setReadOnly(true);
    CheckBox4 = new QCheckBox(QStringLiteral("软件默认分辨率"), group);
    CheckBox4->setObjectName(QStringLiteral("CheckBox4"));
    CheckBox4->setChecked(true);
    SpeedButton3 = new QPushButton(QStringLiteral("开始监控"), group);
    SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    SpeedButton3->setCheckable(true);
    sp5 = new QFrame(group);
    sp5->setObjectName(QStringLiteral("sp5"));
    sp5->setFixedSize(16, 16);
    sp5->setStyleSheet(QStringLiteral("#sp5 { background: rgb(0, 255, 0); border-radius: 8px; }"));
    BitBtn17 = new QPushButton(QStringLiteral("抓拍帧回放(F5)"), group);
    BitBtn17->setObjectName(QStringLiteral("BitBtn17"));

    auto* grid = new QGridLayout(group);
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("设备选择"), group), row, 0);
    grid->addWidget(ComboBox1, row++, 1, 1, 3);
    grid->addWidget(SpeedButton9, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("画面分辨率选择："), group), row++, 0, 1, 4);
    grid->addWidget(ListBox2, row, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("（如果要手动\n选择分辨率请\n把下面软件默\n"
                                              "认分辨率钩去\n掉）"),
                               group),
                    row++, 3);
    grid->addWidget(new QLabel(QStringLiteral("长"), group), row, 0);
    grid->addWidget(Edit1, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("宽"), group), row, 2);
    grid->addWidget(Edit2, row++, 3);
    grid->addWidget(CheckBox4, row++, 0, 1, 4);
    grid->addWidget(SpeedButton3, row, 0, 1, 3);
    grid->addWidget(sp5, row++, 3);
    grid->addWidget(BitBtn17, row++, 0, 1, 4);

    auto* right = new QVBoxLayout;
    right->addWidget(group);
    right->addWidget(
        redHint(QStringLiteral("提示：开启本软件之前，请确认您已经接好摄像头。"), this));
    right->addWidget(redHint(QStringLiteral("如果摄像头没有图像请钩选“软件默认分辨率”"), this));
    right->addWidget(redHint(QStringLiteral("如果视频不流畅请钩选“软件默认分辨率”"), this));
    right->addStretch();

    auto* side = new QWidget(this);
    side->setLayout(right);
    side->setFixedWidth(300);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(liveView, 1);
    layout->addWidget(side);
}
