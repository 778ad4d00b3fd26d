#pragma once

#include "PasswordDialog.h"

// The entry password dialog, asked before the main window is first shown.
// "退出" refuses the entry, which ends the program.
class TFormlogin final : public PasswordDialog {
    Q_OBJECT
public:
    TFormlogin(const TGlobal& global, MessageService& messages, QWidget* parent = nullptr)
        : PasswordDialog(global, messages, QStringLiteral("退出"), QSize(317, 178), parent) {
        setObjectName(QStringLiteral("Formlogin"));
    }
};
