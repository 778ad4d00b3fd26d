#include "PasswordDialog.h"

#include "MessageService.h"
#include "TGlobal.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PasswordDialog::PasswordDialog(const TGlobal& global, MessageService& messages,
                               const QString& backCaption, const QSize& outerSize, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_global(global),
      m_messages(messages), m_edit(new QLineEdit(this)),
      m_ok(new QPushButton(QStringLiteral("确定"), this)),
      m_back(new QPushButton(backCaption, this)) {
    setWindowTitle(QStringLiteral("Kelvor视频监控录像软件"));
    setModal(true);
    setFixedSize(outerSize);
    QFont f = font();
    f.setBold(true);
    setFont(f);

    auto* label = new QLabel(QStringLiteral("Kelvor视频监控录像软件登录密码："), this);
    m_edit->setObjectName(QStringLiteral("Edit1"));
    m_edit->setEchoMode(QLineEdit::Password);
    m_edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    m_ok->setObjectName(QStringLiteral("BitBtn1"));
    m_back->setObjectName(QStringLiteral("BitBtn2"));
    for (QPushButton* b : {m_ok, m_back}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_back);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &PasswordDialog::okClick);
    connect(m_back, &QPushButton::clicked, this, &PasswordDialog::backClick);
}

bool PasswordDialog::ask() {
    m_result = false;
    exec();
    return m_result;
}

void PasswordDialog::showEvent(QShowEvent* event) {
    m_edit->clear();
    m_edit->setFocus();
    QDialog::showEvent(event);
}

void PasswordDialog::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape have no button to press here.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void PasswordDialog::reject() {
    // The dialog has no close button; only its own buttons close it.
    if (m_closingByButton)
        QDialog::reject();
}

void PasswordDialog::okClick() {
    if (m_edit->text() == m_global.strjrmm) {
        m_result = true;
        accept();
    } else {
        m_result = false;
        m_messages.show(QStringLiteral("登录密码不对！"));
    }
}

void PasswordDialog::backClick() {
    m_result = false;
    m_closingByButton = true;
    QDialog::reject();
    m_closingByButton = false;
}
