// The ring of recent frames and its replay: feeding, freezing, stepping past
// either end, and the panel and page mirroring it.
#include "FrameRing.h"
#include "PictureView.h"
#include "ReplayPage.h"
#include "ReplayPanel.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Frame n is a small picture whose first pixel's red value is n.
QImage frame(int n) {
    QImage img(8, 6, QImage::Format_RGB888);
    img.fill(QColor(n % 256, 0, 0));
    return img;
}
int numberOf(const QImage& img) { return img.isNull() ? 0 : qRed(img.pixel(0, 0)); }

void feedFrames(FrameRing& ring, int first, int last) {
    for (int n = first; n <= last; ++n)
        ring.feed(frame(n));
}

TEST(FrameRing, SlotsAreWrittenInTurnAndTheIndexWrapsAfter45) {
    FrameRing ring;
    feedFrames(ring, 1, 44);
    EXPECT_EQ(ring.FrameRingIndex, 44);
    ring.feed(frame(45));
    EXPECT_EQ(ring.FrameRingIndex, 0);
    feedFrames(ring, 46, 50);
    EXPECT_EQ(ring.FrameRingIndex, 5);
    EXPECT_EQ(numberOf(ring.slot(1)), 46);
    EXPECT_EQ(numberOf(ring.slot(5)), 50);
    EXPECT_EQ(numberOf(ring.slot(6)), 6);
    EXPECT_EQ(numberOf(ring.slot(45)), 45);
}

TEST(FrameRing, ASlotKeepsItsPictureWhenTheFrameIsDrawnOnLater) {
    FrameRing ring;
    QImage live = frame(7);
    ring.feed(live);
    QPainter(&live).fillRect(live.rect(), Qt::white);
    EXPECT_EQ(numberOf(ring.slot(1)), 7);
}

// A key sequence from F5 and what the replay shows afterwards.
struct Steps {
    const char* keys; // 5 = F5, 0 = F10, 1 = F11
    int pos;
    int shown; // frame number in ImageEnView13, 0 for empty
    const char* lts;
};

TEST(FrameRing, SteppingFollowsTheSlotNumbersAndKeepsGoingPastEitherEnd) {
    const Steps table[] = {
        {"5", 0, 46, "..."},
        {"51", 1, 46, "..."},
        {"511", 2, 47, "..."},
        {"50", -1, 0, "到顶了！"},
        {"500", -2, 0, "到顶了！"},
        {"5001", -1, 0, "到顶了！"}, // F11 does not clear the message
        {"50011", 0, 0, "到顶了！"},
        {"500111", 1, 46, "到顶了！"},
        {"5111111", 6, 6, "..."}, // slot 6: the oldest frame, written before the wrap
        {"5110", 1, 46, ""},       // F10 clears the message
    };
    for (const Steps& t : table) {
        FrameRing ring;
        feedFrames(ring, 1, 50);
        for (const char* k = t.keys; *k; ++k) {
            if (*k == '5')
                ring.N41Click();
            else if (*k == '0')
                ring.N40Click();
            else
                ring.N38Click();
        }
        SCOPED_TRACE(t.keys);
        EXPECT_EQ(ring.ReplayPos, t.pos);
        EXPECT_EQ(numberOf(ring.view13()), t.shown);
        EXPECT_EQ(ring.lts(), QString::fromUtf8(t.lts));
    }
}

TEST(FrameRing, StepsBeyond45ShowNothingAndSayTheEndUntilSteppedBack) {
    FrameRing ring;
    feedFrames(ring, 1, 50);
    ring.N41Click();
    for (int i = 0; i < 45; ++i)
        ring.N38Click();
    EXPECT_EQ(numberOf(ring.view13()), 45);
    EXPECT_EQ(numberOf(ring.view14()), 45);
    ring.N38Click();
    ring.N38Click();
    EXPECT_EQ(ring.ReplayPos, 47);
    EXPECT_TRUE(ring.view13().isNull());
    EXPECT_TRUE(ring.view14().isNull());
    EXPECT_EQ(ring.lts(), QStringLiteral("到底了！"));
    ring.N40Click();
    EXPECT_TRUE(ring.view13().isNull()) << "46 is still past the end";
    ring.N40Click();
    EXPECT_EQ(numberOf(ring.view13()), 45);
    EXPECT_EQ(ring.lts(), QString());
}

TEST(FrameRing, FreezingStopsFeedingAndTheEndResumesAfterTheLastSlot) {
    FrameRing ring;
    feedFrames(ring, 1, 3);
    ring.N41Click();
    EXPECT_TRUE(ring.FrameRingFrozen);
    feedFrames(ring, 4, 10);
    EXPECT_EQ(ring.FrameRingIndex, 3);
    EXPECT_TRUE(ring.slot(4).isNull());
    ring.Button6Click();
    EXPECT_FALSE(ring.panelVisible());
    ring.feed(frame(11));
    EXPECT_EQ(numberOf(ring.slot(4)), 11);
    ring.N41Click();
    EXPECT_EQ(numberOf(ring.view13()), 1) << "a new replay starts at slot 1 again";
    EXPECT_EQ(ring.ReplayPos, 0);
}

TEST(FrameRing, AnEmptyRingOpensThePanelOnAnEmptyPicture) {
    FrameRing ring;
    ring.N41Click();
    EXPECT_TRUE(ring.panelVisible());
    EXPECT_TRUE(ring.view13().isNull());
}

TEST(ReplayViews, PanelAndPageMirrorTheRingAndForwardTheirButtons) {
    FrameRing ring;
    feedFrames(ring, 1, 50);
    QWidget host;
    ReplayPanel panel(&host);
    ReplayPage page;
    panel.bind(ring);
    page.bind(ring);
    host.show();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(panel.Label52->text(),
              QStringLiteral("提示：用于查按下\"抓拍帖回放\"键之后前几秒的图像帧！"));

    ring.N41Click();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(numberOf(panel.ImageEnView13->picture()), 46);
    EXPECT_TRUE(page.ImageEnView14->picture().isNull()) << "the page is not touched by F5";

    QTest::mouseClick(panel.Button5, Qt::LeftButton);
    QTest::mouseClick(page.Button2, Qt::LeftButton);
    EXPECT_EQ(ring.ReplayPos, 2);
    EXPECT_EQ(numberOf(page.ImageEnView14->picture()), 47);
    QTest::mouseClick(panel.Button4, Qt::LeftButton);
    QTest::mouseClick(page.Button1, Qt::LeftButton);
    EXPECT_EQ(panel.lts->text(), QStringLiteral("到顶了！"));
    QTest::mouseClick(panel.Button6, Qt::LeftButton);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(ring.FrameRingFrozen);
}

} // namespace
