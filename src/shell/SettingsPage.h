#pragma once

#include <QWidget>

class QLineEdit;

// The page "基础数据设置": the settings of the program. The page only holds
// the controls.
class SettingsPage final : public QWidget {
    Q_OBJECT
public:
    explicit SettingsPage(QWidget* parent = nullptr);

    QLineEdit* Edit11 = nullptr; // "进入软件需要密码"
    QLineEdit* Edit12 = nullptr; // "确认密码"
};
