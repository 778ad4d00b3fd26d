#pragma once

#include <QWidget>

class FrameRing;
class PictureView;
class QPushButton;

// The enlarged replay (the page "报警帧回放画面", TabSheet6): the step
// buttons, "返回" and ImageEnView14 filling the page. Mirrors the ring's
// state and forwards the step buttons; "返回" (Button3) is handled by the
// main window, which owns the pages.
class ReplayPage final : public QWidget {
    Q_OBJECT
public:
    explicit ReplayPage(QWidget* parent = nullptr);
    void bind(FrameRing& ring);

    QPushButton* Button1 = nullptr; // "<   (F10)"
    QPushButton* Button2 = nullptr; // ">   (F11)"
    QPushButton* Button3 = nullptr; // "返回"
    PictureView* ImageEnView14 = nullptr;

private:
    void showState();

    FrameRing* m_ring = nullptr;
};
