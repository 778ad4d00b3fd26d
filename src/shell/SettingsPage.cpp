#include "SettingsPage.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
QLineEdit* maskedEdit(const QString& name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setEchoMode(QLineEdit::Password);
    e->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    return e;
}
} // namespace

SettingsPage::SettingsPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet4"));
    auto* group = new QGroupBox(QStringLiteral("进入软件密码设置"), this);
    Edit11 = maskedEdit(QStringLiteral("Edit11"), group);
    Edit12 = maskedEdit(QStringLiteral("Edit12"), group);
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("进入软件需要密码"), Edit11);
    form->addRow(QStringLiteral("确认密码"), Edit12);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch();
}
