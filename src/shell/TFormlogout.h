#pragma once

#include "PasswordDialog.h"

// The exit password dialog, asked by the tray items "退出" and "显示界面".
// "返回" leaves the program as it was.
class TFormlogout final : public PasswordDialog {
    Q_OBJECT
public:
    TFormlogout(const TGlobal& global, MessageService& messages, QWidget* parent = nullptr)
        : PasswordDialog(global, messages, QStringLiteral("返回"), QSize(319, 177), parent) {
        setObjectName(QStringLiteral("Formlogout"));
    }
};
