// Loading and saving the main window's state in its registry key.
#include "FakeRegistryKey.h"
#include "WindowState.h"

#include <gtest/gtest.h>

namespace {

const QSize kScreen(1920, 1080);

WindowStateData designState() {
    WindowStateData s;
    s.bounds = QRect(10, 20, 800, 600);
    return s;
}

TEST(WindowState, FirstRunWritesTheFirstRunValuesAndCentresTheWindow) {
    FakeRegistryKey key;
    WindowStateData s = designState();
    loadWindowState(key, kScreen, s);
    EXPECT_EQ(key.writes,
              (QStringList{"ImgFace", "Volume", "WinHeight", "WinWidth", "WinTop", "ShowList"}));
    EXPECT_EQ(key.values["ImgFace"].toBool(), true);
    EXPECT_EQ(key.values["Volume"].toInt(), 23);
    EXPECT_EQ(key.values["WinHeight"].toInt(), 290);
    EXPECT_EQ(key.values["WinWidth"].toInt(), 402);
    EXPECT_EQ(key.values["WinTop"].toInt(), (1080 - 290) / 2);
    EXPECT_EQ(key.values["ShowList"].toBool(), true);
    EXPECT_TRUE(s.imgFace);
    EXPECT_EQ(s.volume, 23);
    EXPECT_EQ(s.bounds, QRect((1920 - 402) / 2, (1080 - 290) / 2, 402, 600))
        << "ShowList missing leaves the designed height";
}

TEST(WindowState, StoredValuesAreUsed) {
    struct Case {
        bool showList;
        int expectedHeight;
    };
    for (const Case c : {Case{true, 500}, Case{false, 138}}) {
        FakeRegistryKey key;
        key.values = {{"ImgFace", false}, {"Volume", 40}, {"WinHeight", 500},
                      {"WinWidth", 1000}, {"WinTop", 77}, {"ShowList", c.showList}};
        WindowStateData s = designState();
        loadWindowState(key, kScreen, s);
        EXPECT_TRUE(key.writes.isEmpty());
        EXPECT_FALSE(s.imgFace);
        EXPECT_EQ(s.volume, 40);
        EXPECT_EQ(s.listHeight, 500);
        EXPECT_EQ(s.bounds, QRect(460, 77, 1000, c.expectedHeight)) << c.showList;
    }
}

TEST(WindowState, AFailedWriteEndsTheLoadAtThatValue) {
    FakeRegistryKey key;
    key.failWritesOf = {QStringLiteral("WinHeight")};
    WindowStateData s = designState();
    EXPECT_THROW(loadWindowState(key, kScreen, s), RegistryError);
    EXPECT_EQ(key.writes, (QStringList{"ImgFace", "Volume"}));
    EXPECT_EQ(s.bounds.width(), 800) << "later steps did not run";
    try {
        loadWindowState(key, kScreen, s);
    } catch (const RegistryError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Failed to set data for 'WinHeight'"));
    }
}

TEST(WindowState, SaveWritesTheBoundsAtClosingAndLoadReadsThemBack) {
    FakeRegistryKey key;
    WindowStateData closing;
    closing.imgFace = false;
    closing.volume = 12;
    closing.bounds = QRect(0, 30, 1280, 700);
    saveWindowState(key, closing);
    EXPECT_EQ(key.values["ShowList"].toBool(), true);
    EXPECT_EQ(key.values["WinHeight"].toInt(), 700);
    EXPECT_EQ(key.values["WinWidth"].toInt(), 1280);
    EXPECT_EQ(key.values["WinTop"].toInt(), 30);

    WindowStateData next = designState();
    loadWindowState(key, kScreen, next);
    EXPECT_EQ(next.bounds, QRect(320, 30, 1280, 700));
    EXPECT_FALSE(next.imgFace);
    EXPECT_EQ(next.volume, 12);

    closing.bounds.setHeight(kMinWindowHeight);
    saveWindowState(key, closing);
    EXPECT_EQ(key.values["ShowList"].toBool(), false);
}

} // namespace
