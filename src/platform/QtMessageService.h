#pragma once

#include "MessageService.h"

// Message boxes shown with QMessageBox, modal to the active window, titled
// with the application title.
class QtMessageService final : public MessageService {
public:
    void show(const QString& text, Icon icon = Icon::None) override;
    bool askYesNo(const QString& text) override;
};
