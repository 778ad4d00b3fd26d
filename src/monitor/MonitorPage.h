#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QFrame;
class QVBoxLayout;
class PictureView;
class RecordingController;

// The page "视频监控": the live view with its zoom controls on the left, the
// group "选择监控设备" with the device and format lists, the capture size, the
// default-size box and the monitoring button on the right.
//
// Monitoring state lives in the RecordingController; once bound, the page
// mirrors it and forwards the user's actions. The zoom controls act on the
// view directly.
class MonitorPage final : public QWidget {
    Q_OBJECT
public:
    explicit MonitorPage(QWidget* parent = nullptr);

    void bind(RecordingController& controller);
    // Places a panel of another subsystem (the replay panel) in the right
    // column under the device group.
    void addSidePanel(QWidget* panel);

    // Zoom handlers of the live view.
    void TrackBar1Change(int position);
    void BitBtn2Click();
    void CheckBox3Click(bool checked);
    void BitBtn3Click();

    PictureView* ImageEnView1 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QLabel* Label27 = nullptr;
    QPushButton* BitBtn2 = nullptr; // "默认比例"
    QCheckBox* CheckBox3 = nullptr; // "适合比例"
    QPushButton* BitBtn3 = nullptr; // "调节亮度"

    QComboBox* ComboBox1 = nullptr;
    QPushButton* SpeedButton9 = nullptr;
    QListWidget* ListBox2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QPushButton* SpeedButton3 = nullptr;
    QFrame* sp5 = nullptr;
    QPushButton* BitBtn17 = nullptr; // "抓拍帧回放(F5)"

private:
    void showState();
    void showPicture();

    RecordingController* m_controller = nullptr;
    QVBoxLayout* m_side = nullptr;
};
