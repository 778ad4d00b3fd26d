// The video display window on the offscreen platform: its frame, the picture
// layout with the placement command it sends through a fake media service,
// maximising, docking, sizing and moving by mouse drags, and the signals.
#include "FakeMci.h"
#include "FakeMessageService.h"
#include "TFrmDisplayScr.h"
#include "media.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using Dock = TFrmDisplayScr::Dock;

const QColor kBlue(0, 0, 255);

QColor background(const QWidget* w) {
    return w->palette().color(QPalette::Window);
}

QColor textColour(const QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}

void settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// A mouse event at a global position; the window's drags only use that.
void sendMouse(QWidget* target, QEvent::Type type, QPoint global,
               Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(target->mapFromGlobal(global)), QPointF(global), changed, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Presses the left button in the middle of `handle`, moves by `delta` in two
// steps and releases there. The moves go to `handle`, which holds the mouse.
void drag(QWidget* handle, QPoint delta) {
    const QPoint from = handle->mapToGlobal(handle->rect().center());
    sendMouse(handle, QEvent::MouseButtonPress, from);
    sendMouse(handle, QEvent::MouseMove, from + delta / 2);
    sendMouse(handle, QEvent::MouseMove, from + delta);
    sendMouse(handle, QEvent::MouseButtonRelease, from + delta);
}

void doubleClick(QWidget* target) {
    const QPoint at = target->mapToGlobal(target->rect().center());
    sendMouse(target, QEvent::MouseButtonPress, at);
    sendMouse(target, QEvent::MouseButtonRelease, at);
    sendMouse(target, QEvent::MouseButtonDblClick, at);
    sendMouse(target, QEvent::MouseButtonRelease, at);
}

class DisplayScrTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.setPictureActive([this] { return videoOpen; });
        form.setMainWindowGeometry([this] { return mainRect; });
    }
    void TearDown() override { form.hide(); }

    QStringList placements() const {
        QStringList list;
        for (const QString& c : mci.commands())
            if (c.startsWith(QLatin1String("put ")))
                list << c;
        return list;
    }

    // Shown at the given geometry, with the main window far away.
    void showAt(const QRect& geometry) {
        mainRect = QRect(-5000, -5000, 10, 10);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.setGeometry(geometry);
        settle();
        ASSERT_EQ(form.geometry(), geometry);
    }

    FakeMci mci;
    Media media{mci, &TFrmDisplayScr::nativeClientSize};
    FakeMessageService messages;
    bool videoOpen = true;
    QRect mainRect{100, 400, 500, 300};
    TFrmDisplayScr form{media, messages};
};

TEST_F(DisplayScrTest, StartsHiddenWithItsFrameSizesAndColours) {
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.isWindow());
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form.testAttribute(Qt::WA_QuitOnClose));
    EXPECT_EQ(form.size(), QSize(305, 253));
    EXPECT_EQ(form.minimumSize(), QSize(150, 140));
    EXPECT_EQ(background(&form), QColor(51, 51, 51));
    EXPECT_FALSE(form.isMaximisedMode());
    EXPECT_EQ(form.dockState(), Dock::None);

    EXPECT_EQ(form.TitleBar->geometry(), QRect(0, 0, 305, 19));
    EXPECT_EQ(background(form.TitleBar), kBlue);
    EXPECT_EQ(form.Image3->mapTo(&form, QPoint(0, 0)), QPoint(3, 2));
    EXPECT_EQ(form.rateLb->text(), "比例");
    EXPECT_EQ(textColour(form.rateLb), QColor(Qt::white));
    EXPECT_EQ(form.TitleLb->text(), "标题");
    EXPECT_EQ(textColour(form.TitleLb), QColor(0, 255, 255));
    EXPECT_GE(form.TitleLb->x(), form.rateLb->x() + form.rateLb->width());

    const struct {
        QToolButton* button;
        const char* hint;
        bool shown;
    } buttons[] = {
        {form.big1, "最大化", true}, {form.big2, "还原", false}, {form.sbtnClose, "关闭", true}};
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->toolTip(), QString::fromUtf8(b.hint));
        EXPECT_EQ(b.button->isVisibleTo(&form), b.shown) << b.hint;
        EXPECT_FALSE(b.button->icon().isNull()) << b.hint;
        EXPECT_GT(b.button->x(), form.TitleLb->x()) << b.hint << " is at the right";
        EXPECT_LE(b.button->x() + b.button->width(), 305) << b.hint;
    }
    EXPECT_EQ(form.big1->pos(), form.big2->pos());

    // The strips: 3 pixels wide, blue, along their edges.
    const struct {
        QLabel* strip;
        QRect inside; // the edge band the strip lies in
        Qt::CursorShape cursor;
    } strips[] = {{form.Label6, QRect(0, 19, 3, 234), Qt::SizeHorCursor},
                  {form.Label2, QRect(302, 19, 3, 234), Qt::SizeHorCursor},
                  {form.Label3, QRect(0, 250, 305, 3), Qt::SizeVerCursor},
                  {form.Label4, QRect(0, 250, 305, 3), Qt::SizeFDiagCursor},
                  {form.Label5, QRect(302, 19, 3, 234), Qt::SizeFDiagCursor}};
    for (const auto& s : strips) {
        const QString name = s.strip->objectName();
        EXPECT_TRUE(s.inside.contains(s.strip->geometry())) << name.toStdString();
        EXPECT_EQ(std::min(s.strip->width(), s.strip->height()), 3) << name.toStdString();
        EXPECT_EQ(background(s.strip), kBlue) << name.toStdString();
        EXPECT_EQ(s.strip->cursor().shape(), s.cursor) << name.toStdString();
    }
    // The corner handle ends at the corner.
    EXPECT_EQ(form.Label4->geometry().bottomRight(), QPoint(304, 252));
    EXPECT_EQ(form.Label5->geometry().bottom(), 249);

    EXPECT_EQ(form.ScrPnl->geometry(), QRect(3, 19, 299, 231));
    EXPECT_EQ(background(form.ScrPnl), QColor(Qt::black));
    EXPECT_TRUE(form.ScrPnl->testAttribute(Qt::WA_NativeWindow));
    const WId panelWindow = form.ScrPnl->winId();
    EXPECT_NE(panelWindow, form.winId()) << "the panel has a window of its own";
    EXPECT_EQ(TFrmDisplayScr::nativeClientSize(panelWindow), QSize(299, 231));

    ASSERT_EQ(form.contextMenu->actions().size(), 2);
    EXPECT_EQ(form.contextMenu->actions()[0]->text(), "上一个");
    EXPECT_EQ(form.contextMenu->actions()[1]->text(), "下一个");

    EXPECT_TRUE(mci.sent.empty()) << "nothing is placed before a video is open";
}

TEST_F(DisplayScrTest, ShowsTheWindowIcon) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::red);
    form.setWindowIcon(QIcon(pixmap));
    ASSERT_FALSE(form.Image3->pixmap().isNull());
    EXPECT_EQ(form.Image3->pixmap().toImage().pixelColor(8, 8), QColor(Qt::red));
}

TEST(DisplayScrLayout, PanelKeepsThePicturesAspectInTheFreeArea) {
    const struct {
        const char* what;
        QSize client;
        QSize native;
        QRect panel;
        int percent; // picture width × 100 ÷ native width
    } cases[] = {
        {"natural size of 352 × 288", {358, 310}, {352, 288}, {3, 19, 352, 288}, 100},
        {"initial window", {305, 253}, {352, 288}, {11, 19, 282, 231}, 80},
        {"wider window, same height", {600, 310}, {352, 288}, {124, 19, 352, 288}, 100},
        {"narrow tall window", {200, 400}, {352, 288}, {3, 129, 194, 158}, 55},
        {"half size", {182, 166}, {352, 288}, {3, 19, 176, 144}, 50},
        {"double size", {710, 598}, {352, 288}, {3, 19, 704, 576}, 200},
        // 201 × 3 ÷ 2 = 301 (301.5) equals the free width: width-limited,
        // which gives the height 200, not 201.
        {"free width reached exactly", {307, 223}, {3, 2}, {3, 19, 301, 200}, 10033},
        {"portrait picture", {358, 310}, {288, 352}, {61, 19, 235, 288}, 81},
        {"no native size", {305, 253}, {0, 0}, {3, 19, 299, 231}, -1},
        {"unknown native size", {305, 253}, {-1, -1}, {3, 19, 299, 231}, -1},
    };
    for (const auto& c : cases) {
        const QRect panel = TFrmDisplayScr::pictureGeometry(c.client, c.native);
        EXPECT_EQ(panel, c.panel) << c.what;
        if (c.percent >= 0) {
            EXPECT_EQ(panel.width() * 100 / c.native.width(), c.percent) << c.what;
        }
    }
    EXPECT_EQ(TFrmDisplayScr::naturalSize(QSize(352, 288)), QSize(358, 310));
    EXPECT_EQ(TFrmDisplayScr::naturalSize(QSize(640, 480)), QSize(646, 502));
}

TEST_F(DisplayScrTest, AnOpenedVideoSizesTheHiddenWindowPlacesThePictureAndShowsTheScale) {
    form.presentVideo(QSize(352, 288), QStringLiteral("/rec/2026-12-11/cam 1.avi"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.size(), QSize(358, 310));
    EXPECT_EQ(form.storedNaturalSize(), QSize(358, 310));
    EXPECT_EQ(form.nativeSize(), QSize(352, 288));
    EXPECT_EQ(form.TitleLb->text(), "/rec/2026-12-11/cam 1.avi");
    EXPECT_EQ(form.ScrPnl->geometry(), QRect(3, 19, 352, 288));
    EXPECT_EQ(form.rateLb->text(), "[100%]");
    ASSERT_FALSE(placements().isEmpty());
    EXPECT_EQ(placements().last(), "put MyMp3 window at 0 0 352 288");
    EXPECT_TRUE(messages.shown.isEmpty());

    // Resizing lays the picture out again, each time with its placement.
    const struct {
        QSize window;
        QRect panel;
        const char* scale;
    } sizes[] = {{{600, 310}, {124, 19, 352, 288}, "[100%]"},
                 {{200, 400}, {3, 129, 194, 158}, "[55%]"},
                 {{305, 253}, {11, 19, 282, 231}, "[80%]"}};
    for (const auto& s : sizes) {
        form.resize(s.window);
        settle();
        EXPECT_EQ(form.ScrPnl->geometry(), s.panel) << s.scale;
        EXPECT_EQ(form.rateLb->text(), QString::fromUtf8(s.scale));
        EXPECT_EQ(placements().last(), QStringLiteral("put MyMp3 window at 0 0 %1 %2")
                                           .arg(s.panel.width())
                                           .arg(s.panel.height()));
        EXPECT_EQ(form.TitleBar->width(), s.window.width());
        EXPECT_EQ(form.sbtnClose->x() + form.sbtnClose->width() + 3, s.window.width());
        EXPECT_EQ(form.Label4->geometry().bottomRight(),
                  QPoint(s.window.width() - 1, s.window.height() - 1));
    }

    // A following video keeps the size of the visible window.
    form.presentVideo(QSize(640, 480), QStringLiteral("/rec/b.avi"));
    EXPECT_EQ(form.size(), QSize(305, 253));
    EXPECT_EQ(form.storedNaturalSize(), QSize(646, 502));
    EXPECT_EQ(form.ScrPnl->geometry(), QRect(3, 22, 299, 224));
    EXPECT_EQ(form.rateLb->text(), "[46%]");
}

TEST_F(DisplayScrTest, ARefusedPlacementIsShownAndTheScaleStays) {
    form.presentVideo(QSize(352, 288), QStringLiteral("a.avi"));
    ASSERT_EQ(form.rateLb->text(), "[100%]");
    mci.answers.insert(QStringLiteral("put MyMp3 window at 0 0 352 288"),
                       {MciErrDeviceNotOpen, {}});
    mci.errorTexts.insert(MciErrDeviceNotOpen, QStringLiteral("设备未打开"));
    form.resize(600, 310);
    settle();
    ASSERT_EQ(messages.shown, QStringList{"设备未打开"});
    EXPECT_EQ(messages.icons.front(), MessageService::Icon::Information);
    EXPECT_EQ(form.rateLb->text(), "[100%]");
    EXPECT_EQ(form.ScrPnl->geometry(), QRect(124, 19, 352, 288));
}

TEST_F(DisplayScrTest, WithoutAnOpenVideoThePanelFollowsButNothingIsSent) {
    videoOpen = false;
    form.presentVideo(QSize(352, 288), QStringLiteral("a.avi"));
    form.resize(600, 310);
    settle();
    EXPECT_EQ(form.ScrPnl->geometry(), QRect(124, 19, 352, 288));
    EXPECT_TRUE(placements().isEmpty());
    EXPECT_EQ(form.rateLb->text(), "比例");

    // Hidden, nothing is placed either.
    videoOpen = true;
    form.hide();
    form.FormResize();
    EXPECT_TRUE(placements().isEmpty());
}

TEST_F(DisplayScrTest, MaximisesToTheScreenAndRestores) {
    showAt(QRect(120, 80, 358, 310));
    const QRect screen = form.screen()->geometry();

    // Each of these switches the mode; the two buttons show which way.
    const struct {
        const char* what;
        std::function<void()> toggle;
    } toggles[] = {
        {"double click on the title bar",
         [&] {
             doubleClick(form.TitleBar);
         }},
        {"double click on the scale",
         [&] {
             doubleClick(form.rateLb);
         }},
        {"double click on the icon",
         [&] {
             doubleClick(form.Image3);
         }},
        {"double click on the title",
         [&] {
             doubleClick(form.TitleLb);
         }},
        {"big1 or big2",
         [&] {
             QTest::mouseClick(form.isMaximisedMode() ? form.big2 : form.big1, Qt::LeftButton);
         }},
    };
    for (const auto& t : toggles) {
        t.toggle();
        settle();
        EXPECT_TRUE(form.isMaximisedMode()) << t.what;
        EXPECT_EQ(form.geometry(), screen) << t.what;
        EXPECT_TRUE(form.big2->isVisible()) << t.what;
        EXPECT_FALSE(form.big1->isVisible()) << t.what;
        t.toggle();
        settle();
        EXPECT_FALSE(form.isMaximisedMode()) << t.what;
        EXPECT_EQ(form.geometry(), QRect(120, 80, 358, 310)) << t.what;
        EXPECT_TRUE(form.big1->isVisible()) << t.what;
        EXPECT_FALSE(form.big2->isVisible()) << t.what;
    }

    // The mode survives hiding and showing: the window stays on the screen.
    form.TitleBarDblClick();
    form.hide();
    form.show();
    settle();
    EXPECT_TRUE(form.isMaximisedMode());
    EXPECT_EQ(form.geometry(), screen);
    form.TitleBarDblClick();
    EXPECT_EQ(form.geometry(), QRect(120, 80, 358, 310));
}

TEST(DisplayScrDocking, RulesWhenTheVideoWindowMoves) {
    const QRect main(100, 300, 400, 300); // right edge 500
    const QSize v(200, 150);
    const struct {
        const char* what;
        QPoint at;
        QPoint placed;
        Dock dock;
    } cases[] = {
        {"at the right edge", {500, 300}, {500, 300}, Dock::Right},
        {"9 right and 9 below", {509, 309}, {500, 300}, Dock::Right},
        {"9 left and 9 above", {491, 291}, {500, 300}, Dock::Right},
        {"10 right of the edge", {510, 300}, {510, 300}, Dock::None},
        {"10 below the top", {500, 310}, {500, 310}, Dock::None},
        {"bottom 9 below the top", {200, 159}, {200, 150}, Dock::Above},
        {"bottom 9 above the top", {200, 141}, {200, 150}, Dock::Above},
        {"bottom 10 below the top", {200, 160}, {200, 160}, Dock::None},
        {"bottom 10 above the top", {200, 140}, {200, 140}, Dock::None},
        {"above, left edge at R", {500, 145}, {500, 150}, Dock::Above},
        {"above, left edge right of R", {501, 145}, {501, 145}, Dock::None},
        {"above, right edge at the left edge", {-100, 145}, {-100, 150}, Dock::Above},
        {"above, right edge left of it", {-101, 145}, {-101, 145}, Dock::None},
        {"far away", {900, 900}, {900, 900}, Dock::None},
    };
    for (const auto& c : cases) {
        const auto p = TFrmDisplayScr::dockOnOwnMove(QRect(c.at, v), main);
        EXPECT_EQ(p.topLeft, c.placed) << c.what;
        EXPECT_EQ(p.dock, c.dock) << c.what;
    }
}

TEST(DisplayScrDocking, RulesWhenTheMainWindowMoves) {
    const QRect main(100, 300, 400, 300); // the new place; right edge 500
    const QSize v(200, 150);
    const struct {
        const char* what;
        Dock state;
        bool visible;
        QPoint at;
        QPoint placed;
        Dock dock;
    } cases[] = {
        {"free, comes near the right edge", Dock::None, true, {505, 295}, {500, 300}, Dock::Right},
        {"free, comes under it", Dock::None, true, {300, 155}, {300, 150}, Dock::Above},
        {"free, far", Dock::None, true, {520, 155}, {520, 155}, Dock::None},
        // Only a window over the main window's width is taken onto its top.
        {"free, bottom near the top but beside it",
         Dock::None,
         true,
         {-120, 150},
         {-120, 150},
         Dock::None},
        {"free, hidden", Dock::None, false, {505, 295}, {505, 295}, Dock::None},
        {"right follows", Dock::Right, true, {700, 20}, {500, 300}, Dock::Right},
        {"right, hidden: ends", Dock::Right, false, {700, 20}, {700, 20}, Dock::None},
        {"above follows", Dock::Above, true, {250, 0}, {250, 150}, Dock::Above},
        {"above, right of R: back to R", Dock::Above, true, {650, 0}, {500, 150}, Dock::Above},
        {"above, left of the window: back to its left",
         Dock::Above,
         true,
         {-300, 0},
         {-100, 150},
         Dock::Above},
        {"above, hidden: ends", Dock::Above, false, {250, 0}, {250, 0}, Dock::None},
    };
    for (const auto& c : cases) {
        const auto p = TFrmDisplayScr::dockOnMainMove(c.state, c.visible, QRect(c.at, v), main);
        EXPECT_EQ(p.topLeft, c.placed) << c.what;
        EXPECT_EQ(p.dock, c.dock) << c.what;
    }
}

TEST_F(DisplayScrTest, ShowingPlacesTheWindowAboveTheMainWindowAndDocksIt) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    form.resize(358, 310);
    mainRect = QRect(100, 400, 500, 150);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.pos(), QPoint(screen.x() + (screen.width() - 358) / 2, 90));
    EXPECT_EQ(form.dockState(), Dock::Above);

    // Too tall for the room above: the top of the screen.
    form.hide();
    mainRect = QRect(100, 200, 500, 150);
    form.show();
    EXPECT_EQ(form.pos().y(), 0);
}

TEST_F(DisplayScrTest, DraggingTheWindowSnapsToTheMainWindowWhichItThenFollows) {
    showAt(QRect(600, 350, 200, 150));
    form.setNativeSize(QSize(100, 100));  // a square picture, bare surface beside it
    mainRect = QRect(100, 100, 300, 200); // right edge 400
    EXPECT_EQ(form.dockState(), Dock::None);

    // By the title: from 600, 350 to 407, 93.
    drag(form.TitleLb, QPoint(-193, -257));
    EXPECT_EQ(form.pos(), QPoint(400, 100));
    EXPECT_EQ(form.dockState(), Dock::Right);

    mainRect.translate(30, -40);
    form.mainWindowMoved();
    EXPECT_EQ(form.pos(), QPoint(430, 60));
    EXPECT_EQ(form.dockState(), Dock::Right);

    // Pulled away by more than 9 pixels: free, and left where it was put.
    drag(form.TitleBar, QPoint(15, 0));
    EXPECT_EQ(form.pos(), QPoint(445, 60));
    EXPECT_EQ(form.dockState(), Dock::None);
    mainRect.translate(0, 100);
    form.mainWindowMoved();
    EXPECT_EQ(form.pos(), QPoint(445, 60));

    // Onto the top of the main window (top 160), by the bare surface.
    ASSERT_EQ(form.childAt(QPoint(10, 50)), nullptr);
    const QPoint surface = form.mapToGlobal(QPoint(10, 50));
    sendMouse(&form, QEvent::MouseButtonPress, surface);
    sendMouse(&form, QEvent::MouseMove, surface + QPoint(-255, -55));
    sendMouse(&form, QEvent::MouseButtonRelease, surface + QPoint(-255, -55));
    EXPECT_EQ(form.pos(), QPoint(190, 10));
    EXPECT_EQ(form.dockState(), Dock::Above);
    mainRect.translate(-50, 20);
    form.mainWindowMoved();
    EXPECT_EQ(form.pos(), QPoint(190, 30));

    // Hidden, the main window's move ends the docking.
    form.hide();
    form.mainWindowMoved();
    EXPECT_EQ(form.dockState(), Dock::None);
}

TEST_F(DisplayScrTest, AMaximisedWindowDoesNotDock) {
    showAt(QRect(400, 100, 200, 150));
    mainRect = QRect(100, 100, 300, 200);
    form.move(405, 105);
    ASSERT_EQ(form.dockState(), Dock::Right);
    form.TitleBarDblClick();
    EXPECT_EQ(form.dockState(), Dock::None);
    mainRect.translate(50, 50);
    form.mainWindowMoved();
    EXPECT_EQ(form.geometry(), form.screen()->geometry());
    form.TitleBarDblClick();
    EXPECT_EQ(form.geometry(), QRect(400, 100, 200, 150));
}

TEST_F(DisplayScrTest, TheStripsSizeTheWindow) {
    const QRect start(200, 150, 300, 250);
    const struct {
        const char* strip;
        QPoint delta;
        QRect result;
    } cases[] = {
        {"Label6", {-20, 7}, {180, 150, 320, 250}},
        {"Label6", {40, 0}, {240, 150, 260, 250}},
        {"Label6", {250, 0}, {350, 150, 150, 250}}, // not narrower than 150
        {"Label2", {25, -9}, {200, 150, 325, 250}},
        {"Label2", {-200, 0}, {200, 150, 150, 250}},
        {"Label3", {11, 30}, {200, 150, 300, 280}},
        {"Label3", {0, -200}, {200, 150, 300, 140}}, // not lower than 140
        {"Label4", {10, 20}, {200, 150, 310, 270}},
        {"Label5", {-30, -40}, {200, 150, 270, 210}},
    };
    for (const auto& c : cases) {
        showAt(start);
        auto* strip = form.findChild<QLabel*>(QString::fromUtf8(c.strip));
        ASSERT_NE(strip, nullptr) << c.strip;
        drag(strip, c.delta);
        EXPECT_EQ(form.geometry(), c.result)
            << c.strip << " by " << c.delta.x() << "," << c.delta.y();
        EXPECT_EQ(form.TitleBar->width(), c.result.width()) << c.strip;
    }
    EXPECT_EQ(TFrmDisplayScr::resizedGeometry(QRect(0, 0, 300, 250), Qt::TopEdge, {0, 300},
                                              QSize(150, 140)),
              QRect(0, 110, 300, 140));
}

TEST_F(DisplayScrTest, ThePictureAndTheRightButtonDoNotMoveTheWindow) {
    showAt(QRect(200, 150, 300, 250));
    drag(form.ScrPnl, QPoint(40, 40));
    EXPECT_EQ(form.pos(), QPoint(200, 150));

    const QPoint at = form.TitleLb->mapToGlobal(QPoint(5, 5));
    sendMouse(form.TitleLb, QEvent::MouseButtonPress, at, Qt::RightButton);
    sendMouse(form.TitleLb, QEvent::MouseMove, at + QPoint(40, 40), Qt::RightButton);
    sendMouse(form.TitleLb, QEvent::MouseButtonRelease, at + QPoint(40, 40), Qt::RightButton);
    EXPECT_EQ(form.pos(), QPoint(200, 150));
}

TEST_F(DisplayScrTest, ContextMenuAndKeysAskForTheOtherEntriesAndJumps) {
    QSignalSpy previous(&form, &TFrmDisplayScr::previousRequested);
    QSignalSpy next(&form, &TFrmDisplayScr::nextRequested);
    QSignalSpy back(&form, &TFrmDisplayScr::backRequested);
    QSignalSpy forward(&form, &TFrmDisplayScr::forwardRequested);
    const auto counts = [&] {
        return std::vector<qsizetype>{previous.size(), next.size(), back.size(), forward.size()};
    };

    showAt(QRect(200, 150, 300, 250));
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(50, 50),
                              form.mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(form.ScrPnl, &request);
    EXPECT_TRUE(form.contextMenu->isVisible()) << "a right click on the picture opens the menu";
    form.contextMenu->actions()[0]->trigger();
    form.contextMenu->hide();
    EXPECT_EQ(counts(), (std::vector<qsizetype>{1, 0, 0, 0}));
    form.nextAction->trigger();
    EXPECT_EQ(counts(), (std::vector<qsizetype>{1, 1, 0, 0}));

    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::vector<qsizetype> after;
    } keys[] = {
        {Qt::Key_Left, Qt::ControlModifier, {2, 1, 0, 0}},
        {Qt::Key_Right, Qt::ControlModifier, {2, 2, 0, 0}},
        {Qt::Key_PageUp, Qt::ControlModifier, {2, 2, 1, 0}},
        {Qt::Key_PageDown, Qt::ControlModifier, {2, 2, 1, 1}},
        {Qt::Key_Left, Qt::NoModifier, {2, 2, 1, 1}},
        {Qt::Key_PageDown, Qt::ShiftModifier, {2, 2, 1, 1}},
        {Qt::Key_Right, Qt::ControlModifier | Qt::AltModifier, {2, 2, 1, 1}},
    };
    for (const auto& k : keys) {
        QTest::keyClick(&form, k.key, k.modifiers);
        EXPECT_EQ(counts(), k.after) << "key " << k.key << " modifiers " << k.modifiers.toInt();
    }
}

TEST_F(DisplayScrTest, ClosingTheWindowAsksToStopPlayback) {
    QSignalSpy closed(&form, &TFrmDisplayScr::closed);
    showAt(QRect(200, 150, 300, 250));
    QTest::mouseClick(form.sbtnClose, Qt::LeftButton);
    EXPECT_EQ(closed.size(), 1);
    EXPECT_FALSE(form.isVisible());

    // Hiding is not closing.
    form.show();
    form.hide();
    EXPECT_EQ(closed.size(), 1);
    form.show();
    form.close();
    EXPECT_EQ(closed.size(), 2);
    // The same window comes back with the same picture window.
    const WId panel = form.ScrPnl->winId();
    form.show();
    EXPECT_EQ(form.ScrPnl->winId(), panel);
}

} // namespace
