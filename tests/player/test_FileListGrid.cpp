// The play list grid: its columns found by key wherever they are dragged,
// adding files with their MP3 tags, removing and dragging rows with the path
// list kept in step, the search keys of the names, and the background picture
// of the empty area.
#include "FileListGrid.h"
#include "IMCode.h"
#include "Mp3Tag.h"
#include "TempDir.h"

#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QByteArray field(const QByteArray& text, int length) {
    QByteArray bytes = text.left(length);
    bytes.append(QByteArray(length - bytes.size(), '\0'));
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// An MP3-like file: some frames of audio and, when asked, an ID3v1 tag.
void writeMp3(const QString& path, bool withTag) {
    QByteArray bytes(600, '\xff');
    if (withTag) {
        bytes += "TAG" + field("Song", 30) + field("Band", 30) + field("Album", 30) +
                 field("1999", 4) + field("Nice", 30);
        bytes.append(static_cast<char>(17));
    }
    writeFile(path, bytes);
}

struct Grid : ::testing::Test {
    TempDir dir;
    FileListGrid grid;

    QString cell(const char* key, int row) const { return grid.GetListCell(q(key), row); }
    // The "名称" cells of the data rows.
    QStringList names() const {
        QStringList out;
        for (int row = 1; row < grid.gridRowCount(); ++row)
            out << grid.GetListCell(q("名称"), row);
        return out;
    }
    QStringList column(const char* key) const {
        QStringList out;
        for (int row = 1; row < grid.gridRowCount(); ++row)
            out << grid.GetListCell(q(key), row);
        return out;
    }
    void addAll(std::initializer_list<const char*> paths) {
        for (const char* path : paths)
            grid.AddPlayFile(q(path));
    }
    // The grid and the path list show the same entries in the same order.
    void expectInStep() const {
        const PlayList& list = grid.playList();
        ASSERT_EQ(grid.gridRowCount(), std::max(list.count(), 1) + 1);
        for (int i = 0; i < list.count(); ++i) {
            EXPECT_EQ(list.entry(i), PlayList::entryText(i + 1, grid.GetListCell(q("全名"), i + 1)))
                << i;
            EXPECT_EQ(grid.GetListCell(q("No."), i + 1), QString::number(i + 1)) << i;
        }
    }
};

TEST_F(Grid, StartsWithElevenKeyedColumnsAndOneBlankRow) {
    const QStringList keys{q("No."), q("名称"), q("."),     q("时间"),   q("标题"), q(".."),
                           q("..."), q("...."), q("....."), q("......"), q("全名")};
    const QList<int> widths{40, 200, 30, 50, 100, 10, 10, 10, 10, 10, 300};
    EXPECT_EQ(grid.objectName(), q("sglist"));
    ASSERT_EQ(grid.model()->columnCount(), 11);
    for (int c = 0; c < keys.size(); ++c) {
        EXPECT_EQ(grid.FindListColumn(keys[c]), c) << keys[c].toStdString();
        EXPECT_EQ(grid.GetListCell(keys[c], 0), keys[c]);
        EXPECT_EQ(grid.columnWidth(c), widths[c]) << keys[c].toStdString();
    }
    // Exact comparison: no prefix, no case folding, no trimming.
    for (const char* key : {"no.", "No", "名", "全名 ", "", "......."})
        EXPECT_EQ(grid.FindListColumn(q(key)), -1) << key;

    EXPECT_EQ(grid.gridRowCount(), 2);
    EXPECT_EQ(grid.rowHeight(0), 16);
    EXPECT_EQ(grid.horizontalHeader()->height(), 16);
    EXPECT_EQ(grid.currentRow(), 1);
    for (const QString& key : keys)
        EXPECT_EQ(grid.GetListCell(key, 1), QString());
    EXPECT_TRUE(grid.playList().isEmpty());
    EXPECT_EQ(grid.playList().currentPosition(), 0);

    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(grid.selectionMode(), QAbstractItemView::ContiguousSelection);
    EXPECT_EQ(grid.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(grid.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_TRUE(grid.horizontalHeader()->sectionsMovable());
    EXPECT_EQ(grid.horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
    EXPECT_EQ(grid.palette().color(QPalette::Base).rgb(), FileListGrid::kSkyBlue);
}

TEST_F(Grid, AddingFillsRowOneFirstThenAppendsRows) {
    EXPECT_EQ(grid.AddPlayFile(q("/rec/clip.avi")), 0);
    EXPECT_EQ(grid.gridRowCount(), 2);
    EXPECT_EQ(cell("No.", 1), q("1"));
    EXPECT_EQ(cell("名称", 1), q("clip"));
    EXPECT_EQ(cell(".", 1), q("avi"));
    EXPECT_EQ(cell("全名", 1), q("/rec/clip.avi"));
    for (const char* key : {"时间", "标题", "..", "...", "....", ".....", "......"})
        EXPECT_EQ(cell(key, 1), QString()) << key;
    EXPECT_EQ(grid.playList().entry(0), q("1   ./rec/clip.avi"));

    EXPECT_EQ(grid.AddPlayFile(q("/rec.2018/a.avi")), 1);
    EXPECT_EQ(grid.gridRowCount(), 3);
    EXPECT_EQ(cell("No.", 2), q("2"));
    EXPECT_EQ(cell("名称", 2), q("a"));
    EXPECT_EQ(grid.EntryPath(1), q("/rec.2018/a.avi"));
    EXPECT_TRUE(grid.IsVideoEntry(1));

    EXPECT_EQ(grid.AddPlayFile(q("/rec/noext")), 2);
    EXPECT_EQ(cell("名称", 3), q("noext"));
    EXPECT_EQ(cell(".", 3), QString());
    EXPECT_FALSE(grid.IsVideoEntry(2));
    expectInStep();
}

TEST_F(Grid, Mp3FilesFillTheTagColumns) {
    writeMp3(dir.file(q("tagged.Mp3")), true);
    writeMp3(dir.file(q("plain.mp3")), false);
    writeMp3(dir.file(q("tagged.wav")), true);
    const struct {
        const char* file;
        const char* type;
        QStringList tagCells; // 标题 .. ... .... ..... ......
    } cases[] = {
        {"tagged.Mp3", "Mp3", {q("Song"), q("Band"), q("Album"), q("1999"), q("Nice"), q("Rock")}},
        {"plain.mp3", "mp3", {{}, {}, {}, {}, q("无MP3标识"), {}}},
        {"missing.MP3", "MP3", {{}, {}, {}, {}, q("*读取出错*"), {}}},
        // Only MP3 files are read for a tag.
        {"tagged.wav", "wav", {{}, {}, {}, {}, {}, {}}},
    };
    for (const auto& c : cases) {
        const int row = grid.AddPlayFile(dir.file(q(c.file))) + 1;
        EXPECT_EQ(cell(".", row), q(c.type)) << c.file;
        EXPECT_EQ(column("名称").last(), q(c.file).section(QLatin1Char('.'), 0, 0)) << c.file;
        QStringList tagCells;
        for (const char* key : {"标题", "..", "...", "....", ".....", "......"})
            tagCells << cell(key, row);
        EXPECT_EQ(tagCells, c.tagCells) << c.file;
    }
    expectInStep();
}

TEST_F(Grid, ColumnsAreFoundByKeyWhereverTheyAreDragged) {
    QHeaderView* header = grid.horizontalHeader();
    header->moveSection(10, 1); // "全名" next to "No."
    header->moveSection(2, 10); // "名称" (now at 2) to the end
    EXPECT_EQ(grid.FindListColumn(q("No.")), 0);
    EXPECT_EQ(grid.FindListColumn(q("全名")), 1);
    EXPECT_EQ(grid.FindListColumn(q(".")), 2);
    EXPECT_EQ(grid.FindListColumn(q("名称")), 10);

    grid.AddPlayFile(q("/rec/clip.avi"));
    EXPECT_EQ(cell("名称", 1), q("clip"));
    EXPECT_EQ(cell("全名", 1), q("/rec/clip.avi"));
    EXPECT_EQ(grid.model()->index(0, 10).data().toString(), q("/rec/clip.avi"));
    grid.SetListCell(q("时间"), q("00:01:00"), 1);
    EXPECT_EQ(cell("时间", 1), q("00:01:00"));
    // Unknown keys and rows read as empty and write nothing.
    grid.SetListCell(q("nope"), q("x"), 1);
    grid.SetListCell(q("名称"), q("x"), 5);
    EXPECT_EQ(cell("nope", 1), QString());
    EXPECT_EQ(cell("名称", 5), QString());
    EXPECT_EQ(cell("名称", -1), QString());
    EXPECT_EQ(cell("名称", 1), q("clip"));

    // "No." is the fixed column: it stays in front.
    header->moveSection(0, 4);
    EXPECT_EQ(grid.FindListColumn(q("No.")), 0);
    header->moveSection(3, 0);
    EXPECT_EQ(grid.FindListColumn(q("No.")), 0);
    EXPECT_EQ(grid.FindListColumn(q("全名")), 1);
    EXPECT_EQ(grid.FindListColumn(q(".")), 2);
    EXPECT_EQ(grid.FindListColumn(q("时间")), 3);
}

TEST_F(Grid, RemoveEntryMovesRowsUpAndRenumbers) {
    const struct {
        const char* name;
        int count;
        int removed;
        QStringList names;
    } cases[] = {
        {"the only entry", 1, 0, {QString()}},      {"entry 0 of three", 3, 0, {q("b"), q("c")}},
        {"the middle one", 3, 1, {q("a"), q("c")}}, {"the last one", 3, 2, {q("a"), q("b")}},
        {"no such entry", 2, 2, {q("a"), q("b")}},  {"a negative index", 2, -1, {q("a"), q("b")}},
    };
    for (const auto& c : cases) {
        grid.clearList();
        const char* paths[] = {"/r/a.avi", "/r/b.avi", "/r/c.avi"};
        for (int i = 0; i < c.count; ++i)
            grid.AddPlayFile(q(paths[i]));
        grid.RemoveEntry(c.removed);
        EXPECT_EQ(names(), c.names) << c.name;
        EXPECT_EQ(grid.gridRowCount(), static_cast<int>(c.names.size()) + 1) << c.name;
        expectInStep();
    }
    // The emptied row is blank in every column.
    grid.clearList();
    writeMp3(dir.file(q("plain.mp3")), false);
    grid.AddPlayFile(dir.file(q("plain.mp3")));
    grid.RemoveEntry(0);
    for (const QString& key : FileListGrid::columnKeys())
        EXPECT_EQ(grid.GetListCell(key, 1), QString()) << key.toStdString();
    // And is used again by the next file.
    EXPECT_EQ(grid.AddPlayFile(q("/r/x.avi")), 0);
    EXPECT_EQ(names(), QStringList{q("x")});
}

TEST_F(Grid, MovedRowsKeepThePathListInTheSameOrder) {
    const struct {
        int from;
        int to;
        QStringList names;
    } cases[] = {
        {3, 1, {q("c"), q("a"), q("b"), q("d")}},
        {1, 3, {q("b"), q("c"), q("a"), q("d")}},
        {2, 4, {q("a"), q("c"), q("d"), q("b")}},
        {4, 3, {q("a"), q("b"), q("d"), q("c")}},
        {2, 2, {q("a"), q("b"), q("c"), q("d")}},
        {2, 5, {q("a"), q("b"), q("c"), q("d")}}, // no such row
    };
    for (const auto& c : cases) {
        grid.clearList();
        addAll({"/r/a.avi", "/r/b.avi", "/r/c.avi", "/r/d.avi"});
        grid.playList().setMarked(c.from - 1, true);
        grid.moveRow(c.from, c.to);
        EXPECT_EQ(names(), c.names) << c.from << "->" << c.to;
        expectInStep();
        // The mark went with its entry.
        const QString movedName(QChar(u'a' + c.from - 1));
        const int at = static_cast<int>(c.names.indexOf(movedName));
        EXPECT_EQ(grid.playList().markedIndexes(), QList<int>{at}) << c.from << "->" << c.to;
    }
}

TEST_F(Grid, DraggingARowByItsNumberCellMovesIt) {
    grid.resize(600, 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    addAll({"/r/a.avi", "/r/b.avi", "/r/c.avi"});
    QSignalSpy moved(&grid, &FileListGrid::rowMoved);

    QWidget* area = grid.viewport();
    const QPoint row3 = grid.visualRect(grid.model()->index(2, 0)).center();
    const QPoint row1 = grid.visualRect(grid.model()->index(0, 0)).center();
    QTest::mousePress(area, Qt::LeftButton, {}, row3);
    QTest::mouseMove(area, row1);
    QTest::mouseRelease(area, Qt::LeftButton, {}, row1);

    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved[0], (QList<QVariant>{3, 1}));
    EXPECT_EQ(names(), (QStringList{q("c"), q("a"), q("b")}));
    expectInStep();
    // Playing row 1 now plays the moved file.
    EXPECT_EQ(grid.EntryPath(0), q("/r/c.avi"));

    // A drag below the last row puts the row last.
    const QPoint row1Again = grid.visualRect(grid.model()->index(0, 0)).center();
    QTest::mousePress(area, Qt::LeftButton, {}, row1Again);
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(row1Again.x(), 150));
    EXPECT_EQ(names(), (QStringList{q("a"), q("b"), q("c")}));

    // Pressing an ordinary cell selects it and moves nothing.
    const QPoint nameOfRow2 = grid.visualRect(grid.model()->index(1, 1)).center();
    QTest::mouseClick(area, Qt::LeftButton, {}, nameOfRow2);
    EXPECT_EQ(grid.currentRow(), 2);
    EXPECT_EQ(grid.currentColumn(), 1);
    EXPECT_EQ(moved.count(), 2);
}

TEST_F(Grid, SearchKeysFollowTheNames) {
    addAll({"/rec/视频监控.avi", "/rec/2018-05-01 10.20.30.avi", "/rec/水平.mp3"});
    EXPECT_EQ(grid.searchKeys(), (QStringList{q("SPJK"), q("2018-05-01 10.20.30"), q("SP")}));
    EXPECT_EQ(findPinyinMatch(grid.searchKeys(), q("sp")), 0);
    EXPECT_EQ(findPinyinMatch(grid.searchKeys(), q("sp"), 1), 2);

    grid.moveRow(3, 1);
    EXPECT_EQ(grid.searchKeys(), (QStringList{q("SP"), q("SPJK"), q("2018-05-01 10.20.30")}));
    grid.RemoveEntry(1);
    EXPECT_EQ(grid.searchKeys(), (QStringList{q("SP"), q("2018-05-01 10.20.30")}));
    grid.SetListCell(q("名称"), q("文件"), 2);
    EXPECT_EQ(grid.searchKeys(), (QStringList{q("SP"), q("WJ")}));
    for (int i = 0; i < grid.searchKeys().size(); ++i)
        EXPECT_EQ(grid.searchKeys()[i], pinyinSearchKey(grid.GetListCell(q("名称"), i + 1)));

    grid.RemoveEntry(0);
    grid.RemoveEntry(0);
    EXPECT_EQ(grid.searchKeys(), QStringList{QString()});
    EXPECT_EQ(findPinyinMatch(grid.searchKeys(), q("sp")), -1);
}

TEST_F(Grid, WheelMovesTheCurrentRow) {
    grid.resize(600, 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    addAll({"/r/a.avi", "/r/b.avi", "/r/c.avi"});
    const auto wheel = [&](int delta) {
        const QPointF at(100, 20);
        QWheelEvent event(at, grid.viewport()->mapToGlobal(at), {}, {0, delta}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(grid.viewport(), &event);
    };
    grid.setCurrentCell(1, 1);
    wheel(-120);
    EXPECT_EQ(grid.currentRow(), 2);
    wheel(-240);
    EXPECT_EQ(grid.currentRow(), 3); // stops at the last row
    wheel(60);
    EXPECT_EQ(grid.currentRow(), 3); // half a notch
    wheel(60);
    EXPECT_EQ(grid.currentRow(), 2);
    wheel(480);
    EXPECT_EQ(grid.currentRow(), 1);
    EXPECT_EQ(grid.currentColumn(), 1);
}

// The grid's pixels below the rows.
struct Background : Grid {
    QImage picture{100, 100, QImage::Format_RGB32};
    Background() {
        // Each pixel tells where it is: red = x, green = y.
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x, y, 200));
        grid.resize(300, 260);
        grid.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    // First grid row below the data rows.
    int emptyTop() const { return 16 * grid.gridRowCount(); }
};

TEST_F(Background, EmptyAreaShowsThePictureShiftedBy54And38) {
    grid.setBackgroundPicture(picture);
    for (int rows : {1, 3}) {
        while (grid.playList().count() < rows)
            grid.AddPlayFile(q("/r/a.avi"));
        const QImage shot = grid.grab().toImage();
        ASSERT_EQ(shot.size(), QSize(300, 260));
        int checked = 0;
        for (int y = emptyTop(); y < shot.height(); y += 7) {
            for (int x = 0; x < shot.width(); x += 13) {
                const QRgb expected = picture.pixel((x + 54) % 100, (y + 38) % 100);
                ASSERT_EQ(shot.pixel(x, y), expected) << rows << " rows, at " << x << "," << y;
                ++checked;
            }
        }
        EXPECT_GT(checked, 300);
        // The grid's own origin: the picture's pixel (54, 38) would be at
        // (0, 0), so (46, 162) shows its pixel (0, 0).
        EXPECT_EQ(shot.pixel(46, 162), picture.pixel(0, 0));
        // The rows themselves stay sky blue.
        EXPECT_EQ(shot.pixel(290, emptyTop() - 8), FileListGrid::kSkyBlue);
    }
}

TEST_F(Background, ReplacingOrRemovingThePicture) {
    QImage other(50, 40, QImage::Format_RGB32);
    other.fill(qRgb(1, 2, 3));
    grid.setBackgroundPicture(picture);
    grid.setBackgroundPicture(other);
    QImage shot = grid.grab().toImage();
    EXPECT_EQ(shot.pixel(10, 100), qRgb(1, 2, 3));

    grid.setBackgroundPicture(QImage());
    EXPECT_FALSE(grid.hasBackgroundPicture());
    shot = grid.grab().toImage();
    EXPECT_EQ(shot.pixel(10, 100), FileListGrid::kSkyBlue);
    EXPECT_EQ(shot.pixel(290, 250), FileListGrid::kSkyBlue);
}

} // namespace
