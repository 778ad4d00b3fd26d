#pragma once

#include "RecordingController.h"
#include "ShellPorts.h"

#include <QImage>
#include <QObject>
#include <array>

// The ring of the 45 most recent frames and its replay.
//
// While feeding (the frame handler calls feed() with the picture the live
// view held before each new frame, only while recent-frame replay is on),
// slots 1 to 45 are written in turn. F5 freezes the ring and opens the replay
// panel on slot 1; F10 and F11 step through the slots by number; "回放退出"
// ends the replay and feeding resumes after the slot written last. Positions
// beyond either end are kept (each press moves further out and shows an empty
// picture with "到顶了！" or "到底了！").
//
// A slot holds its own picture: the frames are implicitly shared images that
// the live view never draws into again once the next frame has come, and a
// redraw of the same picture detaches it, so a later frame cannot change a
// slot. The ring holds at most 45 frames' worth of pixels.
//
// The replay views (ImageEnView13 on the panel, ImageEnView14 on the enlarged
// page), the message label and the panel's visibility are state here; the
// widgets mirror it. User-interface thread only.
class FrameRing final : public QObject, public FrameRingPort, public ReplayPort {
    Q_OBJECT
public:
    static constexpr int kSlots = 45;

    explicit FrameRing(QObject* parent = nullptr);

    // Feeding, once per frame.
    void feed(const QImage& previousPicture) override;

    // Replay handlers.
    void N41Click() override; // start (F5, "抓拍帧回放(F5)")
    void N40Click() override; // previous (F10, "< (F10)")
    void N38Click() override; // next (F11, "> (F11)")
    void Button6Click();      // end the replay ("回放退出")

    // State.
    int FrameRingIndex = 0;
    bool FrameRingFrozen = false;
    int ReplayPos = 0;
    const QImage& slot(int number) const { return m_slots.at(size_t(number - 1)); }
    const QImage& view13() const { return m_view13; }
    const QImage& view14() const { return m_view14; }
    QString lts() const { return m_lts; }
    bool panelVisible() const { return m_panelVisible; }

Q_SIGNALS:
    void changed();

private:
    std::array<QImage, kSlots> m_slots;
    QImage m_view13;
    QImage m_view14;
    QString m_lts = QStringLiteral("...");
    bool m_panelVisible = false;
};
