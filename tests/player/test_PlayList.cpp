// The path list: entry texts, paths and types derived from file names,
// marks and the current position through removals and moves.
#include "PlayList.h"

#include <gtest/gtest.h>

namespace {

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

PlayList listOf(std::initializer_list<const char*> paths) {
    PlayList list;
    for (const char* path : paths)
        list.append(q(path));
    return list;
}

TEST(PlayListText, EntryTextPadsTheNumberToFourCharacters) {
    const struct {
        int number;
        const char* expected;
    } cases[] = {
        {1, "1   ./rec/clip.avi"},    {12, "12  ./rec/clip.avi"},     {123, "123 ./rec/clip.avi"},
        {1234, "1234./rec/clip.avi"}, {12345, "12345./rec/clip.avi"},
    };
    for (const auto& c : cases) {
        const QString text = PlayList::entryText(c.number, q("/rec/clip.avi"));
        EXPECT_EQ(text, q(c.expected)) << c.number;
        EXPECT_EQ(PlayList::pathOfEntryText(text), q("/rec/clip.avi")) << c.number;
    }
}

TEST(PlayListText, NamesAndTypesComeFromTheFileNameOnly) {
    const struct {
        const char* path;
        const char* extension;
        const char* type;
        const char* title;
    } cases[] = {
        {"/rec/clip.avi", ".avi", "avi", "clip"},
        {"/rec.2018/a.avi", ".avi", "avi", "a"},
        {"/music/song.Mp3", ".Mp3", "Mp3", "song"},
        {"/rec/2018-05-01 10.20.30.avi", ".avi", "avi", "2018-05-01 10.20.30"},
        {"/a/archive.tar.gz", ".gz", "gz", "archive.tar"},
        {"/rec/视频监控.avi", ".avi", "avi", "视频监控"},
        // No extension: the name stays whole, and a dot in a folder is no
        // extension.
        {"/rec.2018/noext", "", "", "noext"},
        {"/rec/trailing.", ".", "", "trailing"},
        {"/rec/.hidden", ".hidden", "hidden", ""},
        {"clip.avi", ".avi", "avi", "clip"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlayList::extension(q(c.path)), q(c.extension)) << c.path;
        EXPECT_EQ(PlayList::fileType(q(c.path)), q(c.type)) << c.path;
        EXPECT_EQ(PlayList::fileTitle(q(c.path)), q(c.title)) << c.path;
    }
}

TEST(PlayListText, MediaTypesIgnoreLetterCase) {
    const struct {
        const char* path;
        bool audio;
        bool video;
    } cases[] = {
        {"/r/a.avi", false, true},  {"/r/a.AVI", false, true},      {"/r/a.Avi", false, true},
        {"/r/a.dat", false, true},  {"/r/a.MPG", false, true},      {"/r/a.mpga", true, false},
        {"/r/a.mp3", true, false},  {"/r/a.Mp2", true, false},      {"/r/a.wav", true, false},
        {"/r/a.midi", true, false}, {"/r/a.MID", true, false},      {"/r/a.wma", true, false},
        {"/r/a.txt", false, false}, {"/r/a.avi.txt", false, false}, {"/r/a.mpeg", false, false},
        {"/r/avi", false, false},   {"/r.avi/noext", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlayList::isAudioFile(q(c.path)), c.audio) << c.path;
        EXPECT_EQ(PlayList::isVideoFile(q(c.path)), c.video) << c.path;
        EXPECT_EQ(PlayList::isMediaFile(q(c.path)), c.audio || c.video) << c.path;
    }
}

TEST(PlayList, AppendNumbersEntriesAndKeepsFullPaths) {
    PlayList list;
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.append(q("/rec/clip.avi")), 0);
    EXPECT_EQ(list.append(q("/rec.2018/a.b.avi")), 1);
    EXPECT_EQ(list.append(q("/music/Song.MP3")), 2);
    EXPECT_EQ(list.entries(), (QStringList{q("1   ./rec/clip.avi"), q("2   ./rec.2018/a.b.avi"),
                                           q("3   ./music/Song.MP3")}));
    EXPECT_EQ(list.EntryPath(1), q("/rec.2018/a.b.avi"));
    EXPECT_TRUE(list.IsVideoEntry(0));
    EXPECT_TRUE(list.IsVideoEntry(1));
    EXPECT_FALSE(list.IsVideoEntry(2));
    // Out of range: nothing, and no failure.
    EXPECT_EQ(list.EntryPath(3), QString());
    EXPECT_EQ(list.EntryPath(-1), QString());
    EXPECT_FALSE(list.IsVideoEntry(3));
    EXPECT_EQ(list.entry(-1), QString());
}

TEST(PlayList, RenumberEntriesAfterRemoval) {
    PlayList list = listOf({"/r/a.avi", "/r/b.avi", "/r/c.avi", "/r/d.avi"});
    list.removeAt(1);
    // Removal alone leaves the numbers; renumbering from the removed index
    // rewrites the rest.
    EXPECT_EQ(list.entries(),
              (QStringList{q("1   ./r/a.avi"), q("3   ./r/c.avi"), q("4   ./r/d.avi")}));
    list.RenumberEntries(1);
    EXPECT_EQ(list.entries(),
              (QStringList{q("1   ./r/a.avi"), q("2   ./r/c.avi"), q("3   ./r/d.avi")}));
    list.removeAt(7); // no such entry
    list.RenumberEntries(-3);
    EXPECT_EQ(list.count(), 3);
}

TEST(PlayList, RenumberEntriesKeepsPathsWithDotsAndReachesFiveDigits) {
    PlayList list;
    for (int i = 0; i < 12346; ++i)
        list.append(q("/rec.v1.2/x.avi"));
    list.removeAt(0);
    list.RenumberEntries(0);
    EXPECT_EQ(list.entry(0), q("1   ./rec.v1.2/x.avi"));
    EXPECT_EQ(list.entry(12344), q("12345./rec.v1.2/x.avi"));
    EXPECT_EQ(list.EntryPath(12344), q("/rec.v1.2/x.avi"));
}

TEST(PlayList, MarksFollowTheirEntries) {
    PlayList list = listOf({"/r/a.avi", "/r/b.avi", "/r/c.avi", "/r/d.avi"});
    EXPECT_TRUE(list.markedIndexes().isEmpty());
    list.setMarked(1, true);
    list.setMarked(3, true);
    list.setMarked(9, true); // ignored
    EXPECT_EQ(list.markedIndexes(), (QList<int>{1, 3}));

    list.removeAt(0); // b, c, d
    EXPECT_EQ(list.markedIndexes(), (QList<int>{0, 2}));
    list.move(0, 1); // c, b, d
    EXPECT_EQ(list.markedIndexes(), (QList<int>{1, 2}));
    EXPECT_EQ(list.EntryPath(1), q("/r/b.avi"));

    list.markAll();
    EXPECT_EQ(list.markedIndexes(), (QList<int>{0, 1, 2}));
    // The archive marks all, then removes the marked entries.
    while (!list.markedIndexes().isEmpty())
        list.removeAt(list.markedIndexes().first());
    EXPECT_TRUE(list.isEmpty());

    list = listOf({"/r/a.avi", "/r/b.avi"});
    list.markAll();
    list.clearMarks();
    EXPECT_TRUE(list.markedIndexes().isEmpty());
    EXPECT_FALSE(list.isMarked(-1));
}

TEST(PlayList, CurrentPositionStaysOnItsEntryThroughRemovals) {
    const struct {
        int current;
        int removed;
        int expected;
    } cases[] = {
        {0, 0, 0}, // the first removed: the next one takes its place
        {2, 0, 1}, // an earlier one removed: follows its entry
        {1, 2, 1}, // a later one removed: unchanged
        {3, 3, 2}, // the last removed while current: the new last
        {2, 2, 2},
    };
    for (const auto& c : cases) {
        PlayList list = listOf({"/r/a.avi", "/r/b.avi", "/r/c.avi", "/r/d.avi"});
        ASSERT_TRUE(list.setCurrentPosition(c.current));
        list.removeAt(c.removed);
        EXPECT_EQ(list.currentPosition(), c.expected) << c.current << " remove " << c.removed;
    }
    PlayList one = listOf({"/r/a.avi"});
    EXPECT_EQ(one.currentPosition(), 0);
    one.removeAt(0);
    EXPECT_EQ(one.currentPosition(), 0);
    EXPECT_FALSE(one.setCurrentPosition(0)); // no entry
    EXPECT_FALSE(one.setCurrentPosition(-1));
}

TEST(PlayList, MoveRenumbersTheRangeAndTheCurrentPositionFollows) {
    const struct {
        int from;
        int to;
        int current;
        QStringList order;
        int expectedCurrent;
    } cases[] = {
        {2, 0, 2, {"c", "a", "b", "d"}, 0}, {2, 0, 0, {"c", "a", "b", "d"}, 1},
        {0, 2, 1, {"b", "c", "a", "d"}, 0}, {0, 3, 3, {"b", "c", "d", "a"}, 2},
        {1, 2, 3, {"a", "c", "b", "d"}, 3}, {1, 1, 1, {"a", "b", "c", "d"}, 1},
        {1, 4, 1, {"a", "b", "c", "d"}, 1}, // no such place: nothing moves
    };
    for (const auto& c : cases) {
        PlayList list = listOf({"/r/a.avi", "/r/b.avi", "/r/c.avi", "/r/d.avi"});
        list.setCurrentPosition(c.current);
        list.move(c.from, c.to);
        QStringList expected;
        for (int i = 0; i < c.order.size(); ++i)
            expected << PlayList::entryText(i + 1, QStringLiteral("/r/%1.avi").arg(c.order[i]));
        EXPECT_EQ(list.entries(), expected) << c.from << "->" << c.to;
        EXPECT_EQ(list.currentPosition(), c.expectedCurrent) << c.from << "->" << c.to;
    }
}

TEST(PlayList, ClearForgetsEntriesAndPosition) {
    PlayList list = listOf({"/r/a.avi", "/r/b.avi"});
    list.setCurrentPosition(1);
    list.clear();
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.currentPosition(), 0);
    EXPECT_EQ(list.append(q("/r/c.avi")), 0);
    EXPECT_EQ(list.entry(0), q("1   ./r/c.avi"));
}

} // namespace
