#include "FrameRing.h"

FrameRing::FrameRing(QObject* parent) : QObject(parent) {}

void FrameRing::feed(const QImage& previousPicture) {
    if (FrameRingFrozen)
        return;
    ++FrameRingIndex;
    m_slots[size_t(FrameRingIndex - 1)] = previousPicture;
    if (FrameRingIndex >= kSlots)
        FrameRingIndex = 0;
}

void FrameRing::N41Click() {
    m_panelVisible = true;
    FrameRingFrozen = true;
    ReplayPos = 0;
    m_view13 = m_slots[0];
    Q_EMIT changed();
}

void FrameRing::N40Click() {
    m_view14 = QImage();
    m_view13 = QImage();
    --ReplayPos;
    m_lts.clear();
    if (ReplayPos < 1) {
        m_lts = QStringLiteral("到顶了！");
        Q_EMIT changed();
        return;
    }
    if (ReplayPos <= kSlots)
        m_view13 = m_slots[size_t(ReplayPos - 1)];
    m_view14 = m_view13;
    Q_EMIT changed();
}

void FrameRing::N38Click() {
    ++ReplayPos;
    m_view14 = QImage();
    m_view13 = QImage();
    if (ReplayPos >= 1 && ReplayPos <= kSlots)
        m_view13 = m_slots[size_t(ReplayPos - 1)];
    m_view14 = m_view13;
    if (ReplayPos > kSlots)
        m_lts = QStringLiteral("到底了！");
    Q_EMIT changed();
}

void FrameRing::Button6Click() {
    m_panelVisible = false;
    FrameRingFrozen = false;
    Q_EMIT changed();
}
