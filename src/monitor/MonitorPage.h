#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QFrame;

// The page "视频监控": the live view area and the group "选择监控设备" with
// the device and format lists, the capture size, the default-size box and
// the monitoring button. The page only holds the controls; what they do is
// done by the main window and the monitoring controller.
class MonitorPage final : public QWidget {
    Q_OBJECT
public:
    explicit MonitorPage(QWidget* parent = nullptr);

    QFrame* liveView = nullptr;          // ImageEnView1
    QComboBox* ComboBox1 = nullptr;      // devices
    QPushButton* SpeedButton9 = nullptr; // "刷新设备"
    QListWidget* ListBox2 = nullptr;     // formats
    QLineEdit* Edit1 = nullptr;          // capture width
    QLineEdit* Edit2 = nullptr;          // capture height
    QCheckBox* CheckBox4 = nullptr;      // "软件默认分辨率"
    QPushButton* SpeedButton3 = nullptr; // "开始监控/停止监控", checkable
    QFrame* sp5 = nullptr;               // monitoring indicator
    QPushButton* BitBtn17 = nullptr;     // "抓拍帧回放(F5)"
};
