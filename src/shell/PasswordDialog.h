#pragma once

#include "ShellPorts.h"

#include <QDialog>

class TGlobal;
class MessageService;
class QLineEdit;
class QPushButton;

// The small modal dialog that asks for the entry password. The typed text
// must equal `strjrmm` exactly, with case. "确定" with the right password
// closes it passed; a wrong one shows "登录密码不对！" and keeps it open for
// another try; the other button closes it not passed. Neither button is a
// default or cancel button, so Enter and Escape do nothing.
class PasswordDialog : public QDialog, public PasswordGate {
    Q_OBJECT
public:
    bool ask() override;
    bool result() const { return m_result; }

    QLineEdit* edit() const { return m_edit; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* backButton() const { return m_back; }

protected:
    PasswordDialog(const TGlobal& global, MessageService& messages, const QString& backCaption,
                   const QSize& outerSize, QWidget* parent);

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void okClick();
    void backClick();

    const TGlobal& m_global;
    MessageService& m_messages;
    QLineEdit* m_edit;
    QPushButton* m_ok;
    QPushButton* m_back;
    bool m_result = false;
    bool m_closingByButton = false;
};
