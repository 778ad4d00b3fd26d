// The keyboard search of the play list and the same-item dialog.
#include "FileListGrid.h"
#include "PinyinSearch.h"
#include "TFrmSelSameItem.h"
#include "TempDir.h"

#include <QFile>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

struct Search : ::testing::Test {
    TempDir dir;
    QWidget window;
    QLineEdit* edit = new QLineEdit(&window);
    FileListGrid* grid = new FileListGrid(&window);
    QList<int> played;
    QStringList asked;
    int answer = -1;
    PinyinSearch search{*edit, *grid, [this](int i) { played << i; },
                        [this](const FileListGrid&, const QString& typed) {
                            asked << typed;
                            return answer;
                        }};

    Search() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(grid);
        for (const char* name : {"视频.avi", "水平.avi", "文件.avi", "260118021530.avi"}) {
            const QString path = dir.file(QString::fromUtf8(name));
            QFile(path).open(QIODevice::WriteOnly);
            grid->AddPlayFile(path);
        }
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void type(const QString& text) {
        search.activate();
        QTest::keyClicks(edit, text);
    }
};

TEST_F(Search, EachKeystrokeSelectsTheFirstMatchingEntry) {
    struct Case {
        const char* typed;
        int entry;
    };
    for (const Case c :
         {Case{"sp", 0}, Case{"SP", 0}, Case{"wj", 2}, Case{"1802", 3}, Case{"j", 2}}) {
        SCOPED_TRACE(c.typed);
        search.escapePressed();
        type(QString::fromUtf8(c.typed));
        EXPECT_EQ(grid->playList().currentPosition(), c.entry);
        EXPECT_EQ(grid->playList().markedIndexes(), QList<int>{c.entry});
        EXPECT_EQ(grid->currentRow(), c.entry + 1);
        EXPECT_EQ(grid->currentColumn(), 1);
    }
}

TEST_F(Search, NoMatchLeavesTheSelectionAndEnterPlaysTheCurrentEntry) {
    type(QStringLiteral("wj"));
    QTest::keyClicks(edit, QStringLiteral("x"));
    EXPECT_EQ(grid->playList().currentPosition(), 2);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(played, QList<int>{2});
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(Search, ASingleMatchPlaysWithoutTheDialogAndLeavesTheField) {
    type(QStringLiteral("wj"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(played, QList<int>{2});
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_FALSE(search.isActive());
}

TEST_F(Search, SeveralMatchesAskAndPlayTheChosenEntry) {
    answer = 2;
    type(QStringLiteral("sp"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(asked, QStringList{QStringLiteral("sp")});
    EXPECT_EQ(played, QList<int>{1});
    EXPECT_FALSE(search.isActive());
}

TEST_F(Search, CancellingTheDialogPlaysNothingAndKeepsTheText) {
    answer = -1;
    type(QStringLiteral("sp"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(played.isEmpty());
    EXPECT_TRUE(search.isActive());
    EXPECT_EQ(edit->text(), QStringLiteral("sp"));
}

TEST_F(Search, EscapeClearsAndLeavesWithoutPlaying) {
    type(QStringLiteral("sp"));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_FALSE(search.isActive());
    EXPECT_TRUE(played.isEmpty());
}

TEST_F(Search, TheDialogListsTheMatchesFromTheCurrentRowAndGivesTheChosenNumber) {
    type(QStringLiteral("sp"));
    TFrmSelSameItem dialog(*grid, QStringLiteral("sp"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("请选择其中一项，然后按回车，取消按Esc"));
    EXPECT_EQ(dialog.size(), QSize(457, 341));
    QTableWidget& list = *dialog.SameList;
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.item(0, 0)->text(), QStringLiteral("No."));
    EXPECT_EQ(list.item(0, 2)->text(), QStringLiteral(" "));
    EXPECT_EQ(list.item(1, 1)->text(), QStringLiteral("视频"));
    EXPECT_EQ(list.item(2, 0)->text(), QStringLiteral("2"));
    EXPECT_EQ(list.item(2, 2)->text(), dir.file(QStringLiteral("水平.avi")));
    EXPECT_EQ(list.currentRow(), 1);
    EXPECT_EQ(list.currentColumn(), 1);

    dialog.show();
    list.setCurrentCell(2, 1);
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.chosenNumber(), 2);

    TFrmSelSameItem cancelled(*grid, QStringLiteral("sp"));
    cancelled.show();
    QTest::keyClick(&cancelled, Qt::Key_Escape);
    EXPECT_EQ(cancelled.chosenNumber(), -1);
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
}

} // namespace
