#pragma once

#include <QWidget>

class FrameRing;
class PictureView;
class QLabel;
class QPushButton;

// The replay panel on the monitoring page (Panel15): the replay view
// ImageEnView13, the step buttons, "放大查看", "回放退出" and the message
// label. Hidden until a replay starts. Mirrors the ring's state and forwards
// the buttons; "放大查看" (Button7) is handled by the main window, which owns
// the pages.
class ReplayPanel final : public QWidget {
    Q_OBJECT
public:
    explicit ReplayPanel(QWidget* parent = nullptr);
    void bind(FrameRing& ring);

    PictureView* ImageEnView13 = nullptr;
    QPushButton* Button4 = nullptr; // "< (F10)"
    QPushButton* Button5 = nullptr; // "> (F11)"
    QPushButton* Button7 = nullptr; // "放大查看"
    QPushButton* Button6 = nullptr; // "回放退出"
    QLabel* lts = nullptr;
    QLabel* Label52 = nullptr;

private:
    void showState();

    FrameRing* m_ring = nullptr;
};
