#pragma once

#include <QDialog>

// The help window: a short page on using the program. Opened modally from
// the tray menu and from the help page, destroyed when it closes.
class HelpWindow final : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
};
