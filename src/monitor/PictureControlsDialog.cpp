#include "PictureControlsDialog.h"

#include "CaptureSystem.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

PictureControlsDialog::PictureControlsDialog(CaptureSystem& capture, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("PictureControlsDialog"));
    setWindowTitle(QStringLiteral("调节亮度"));
    setModal(true);
    auto* form = new QFormLayout;
    const QList<CaptureControl> controls = capture.controls();
    for (const CaptureControl& c : controls) {
        const quint32 id = c.id;
        auto apply = [&capture, id](int v) {
            capture.setControl(id, v);
        };
        switch (c.kind) {
        case CaptureControl::Kind::Boolean: {
            auto* box = new QCheckBox(this);
            box->setChecked(c.value != 0);
            connect(box, &QCheckBox::toggled, this, [apply](bool on) { apply(on ? 1 : 0); });
            form->addRow(c.name, box);
            break;
        }
        case CaptureControl::Kind::Menu: {
            auto* combo = new QComboBox(this);
            for (int v = c.minimum; v <= c.maximum; ++v)
                combo->addItem(c.menuItems.value(v - c.minimum, QString::number(v)), v);
            combo->setCurrentIndex(c.value - c.minimum);
            connect(combo, &QComboBox::activated, this,
                    [combo, apply](int i) { apply(combo->itemData(i).toInt()); });
            form->addRow(c.name, combo);
            break;
        }
        case CaptureControl::Kind::Integer: {
            auto* slider = new QSlider(Qt::Horizontal, this);
            slider->setObjectName(c.name);
            slider->setRange(c.minimum, c.maximum);
            slider->setSingleStep(std::max(1, c.step));
            slider->setValue(c.value);
            auto* value = new QLabel(QString::number(c.value), this);
            value->setMinimumWidth(40);
            connect(slider, &QSlider::valueChanged, this, [apply, value](int v) {
                value->setNum(v);
                apply(v);
            });
            auto* row = new QHBoxLayout;
            row->addWidget(slider, 1);
            row->addWidget(value);
            form->addRow(c.name, row);
            break;
        }
        }
    }
    if (controls.isEmpty())
        form->addRow(new QLabel(QStringLiteral("此设备没有可调节的画面属性。"), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(420, sizeHint().height());
}
