#include "MonitorPage.h"

#include "PictureControlsDialog.h"
#include "PictureView.h"
#include "RecordingController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {
QLabel* redHint(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setStyleSheet(QStringLiteral("color: red;"));
    l->setWordWrap(true);
    return l;
}

QString indicatorStyle(bool lime) {
    return lime ? QStringLiteral("#sp5 { background: rgb(0, 255, 0); border-radius: 8px; }")
                : QStringLiteral("#sp5 { background: rgb(255, 0, 0); border-radius: 8px; }");
}
} // namespace

MonitorPage::MonitorPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet1"));

    ImageEnView1 = new PictureView(this);
    ImageEnView1->setObjectName(QStringLiteral("ImageEnView1"));
    ImageEnView1->setMinimumSize(160, 120);

    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(1, 3000);
    TrackBar1->setValue(100);
    TrackBar1->setTickInterval(100);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    Label27 = new QLabel(QStringLiteral("画面比例(100%)"), this);
    Label27->setObjectName(QStringLiteral("Label27"));
    BitBtn2 = new QPushButton(QStringLiteral("默认比例"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    CheckBox3 = new QCheckBox(QStringLiteral("适合比例"), this);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    CheckBox3->setChecked(true);
    auto* brightness = new QGroupBox(QStringLiteral("调节亮度"), this);
    BitBtn3 = new QPushButton(QStringLiteral("调节亮度"), brightness);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    (new QHBoxLayout(brightness))->addWidget(BitBtn3);

    auto* zoomRow = new QHBoxLayout;
    zoomRow->addWidget(Label27);
    zoomRow->addWidget(TrackBar1, 1);
    zoomRow->addWidget(BitBtn2);
    zoomRow->addWidget(CheckBox3);
    zoomRow->addWidget(brightness);

    auto* left = new QVBoxLayout;
    left->addWidget(ImageEnView1, 1);
    left->addLayout(zoomRow);

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
    sp5->setStyleSheet(indicatorStyle(true));
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
    m_side = right;
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
    layout->addLayout(left, 1);
    layout->addWidget(side);

    connect(TrackBar1, &QSlider::valueChanged, this, &MonitorPage::TrackBar1Change);
    connect(BitBtn2, &QPushButton::clicked, this, &MonitorPage::BitBtn2Click);
    connect(CheckBox3, &QCheckBox::toggled, this, &MonitorPage::CheckBox3Click);
    connect(BitBtn3, &QPushButton::clicked, this, &MonitorPage::BitBtn3Click);
}

void MonitorPage::bind(RecordingController& controller) {
    m_controller = &controller;
    connect(&controller, &RecordingController::stateChanged, this, &MonitorPage::showState);
    connect(&controller, &RecordingController::pictureChanged, this, &MonitorPage::showPicture);
    connect(ComboBox1, &QComboBox::activated, &controller, &RecordingController::ComboBox1Change);
    connect(SpeedButton9, &QPushButton::clicked, &controller,
            &RecordingController::SpeedButton9Click);
    connect(ListBox2, &QListWidget::currentRowChanged, &controller,
            &RecordingController::ListBox2Click);
    connect(ListBox2, &QListWidget::itemClicked, &controller,
            [this](QListWidgetItem* item) { m_controller->ListBox2Click(ListBox2->row(item)); });
    connect(CheckBox4, &QCheckBox::toggled, &controller, &RecordingController::CheckBox4Click);
    connect(SpeedButton3, &QPushButton::clicked, &controller,
            &RecordingController::pressSpeedButton3);
    showState();
}

void MonitorPage::addSidePanel(QWidget* panel) {
    // Above the stretch at the end of the column.
    m_side->insertWidget(m_side->count() - 1, panel);
}

void MonitorPage::showState() {
    const RecordingController& c = *m_controller;
    {
        const QSignalBlocker b(ComboBox1);
        if (ComboBox1->count() != c.deviceNames().size() || [&] {
                for (int i = 0; i < ComboBox1->count(); ++i)
                    if (ComboBox1->itemText(i) != c.deviceNames()[i])
                        return true;
                return false;
            }()) {
            ComboBox1->clear();
            ComboBox1->addItems(c.deviceNames());
        }
        ComboBox1->setCurrentIndex(c.deviceIndex());
    }
    {
        const QSignalBlocker b(ListBox2);
        QStringList shown;
        for (int i = 0; i < ListBox2->count(); ++i)
            shown << ListBox2->item(i)->text();
        if (shown != c.formatLines()) {
            ListBox2->clear();
            ListBox2->addItems(c.formatLines());
        }
    }
    Edit1->setText(c.widthText());
    Edit2->setText(c.heightText());
    {
        const QSignalBlocker b(CheckBox4);
        CheckBox4->setChecked(c.defaultSize());
    }
    SpeedButton3->setChecked(c.monitoring());
    SpeedButton3->setText(c.caption());
    sp5->setStyleSheet(indicatorStyle(c.indicator() == RecordingController::Indicator::Lime));
}

void MonitorPage::showPicture() {
    ImageEnView1->setPicture(m_controller->picture());
}

void MonitorPage::TrackBar1Change(int position) {
    ImageEnView1->setZoom(position);
    Label27->setText(QStringLiteral("比例 (") + QString::number(ImageEnView1->zoom(), 'g', 15) +
                     QStringLiteral("%)"));
}

void MonitorPage::BitBtn2Click() {
    ImageEnView1->setZoom(100);
}

void MonitorPage::CheckBox3Click(bool checked) {
    if (checked) {
        ImageEnView1->setAutoFit(true);
        ImageEnView1->fit();
        TrackBar1->setEnabled(false);
    } else {
        ImageEnView1->setAutoFit(false);
        TrackBar1->setEnabled(true);
        ImageEnView1->setZoom(TrackBar1->value());
    }
}

void MonitorPage::BitBtn3Click() {
    if (!m_controller || !m_controller->monitoring())
        return;
    PictureControlsDialog dialog(m_controller->capture(), ImageEnView1);
    dialog.exec();
}
