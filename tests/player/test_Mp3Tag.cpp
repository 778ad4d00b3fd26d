#include "Mp3Tag.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// A field of `length` bytes: `text` then zero bytes.
QByteArray field(const QByteArray& text, int length) {
    QByteArray bytes = text.left(length);
    bytes.append(QByteArray(length - bytes.size(), '\0'));
    return bytes;
}

QByteArray tag(const QByteArray& title, const QByteArray& artist, const QByteArray& album,
               const QByteArray& year, const QByteArray& comment, int genre) {
    QByteArray bytes("TAG");
    bytes += field(title, 30);
    bytes += field(artist, 30);
    bytes += field(album, 30);
    bytes += field(year, 4);
    bytes += field(comment, 30);
    bytes.append(static_cast<char>(genre));
    return bytes;
}

QByteArray audio(int size) {
    return QByteArray(size, '\xff');
}

TEST(ReadId3v1Tag, ReadsTheFieldsOfTheLast128Bytes) {
    struct Case {
        const char* name;
        QByteArray content;
        Mp3Tag expected;
    };
    const QByteArray title28 = "Twenty-eight characters long";
    QByteArray v11Comment = title28;
    v11Comment.append('\0');
    v11Comment.append('\x07'); // the track number of version 1.1
    const Case cases[] = {
        {"no identifier", audio(4000), {{}, {}, {}, {}, QString::fromUtf16(kNoMp3Tag), 0}},
        {"shorter than a tag",
         "TAG" + audio(100),
         {{}, {}, {}, {}, QString::fromUtf16(kNoMp3Tag), 0}},
        {"empty file", {}, {{}, {}, {}, {}, QString::fromUtf16(kNoMp3Tag), 0}},
        {"identifier not at the tag's place",
         tag("Song", "", "", "", "", 1) + audio(10),
         {{}, {}, {}, {}, QString::fromUtf16(kNoMp3Tag), 0}},
        {"title Song and zero bytes",
         audio(500) + tag("Song", "", "", "", "", 0),
         {"Song", "", "", "", "", 0}},
        {"the tag alone",
         tag("Song", "Band", "Album", "1999", "Nice", 17),
         {"Song", "Band", "Album", "1999", "Nice", 17}},
        {"every field full, trailing blanks kept",
         audio(1) + tag(QByteArray(30, 'T'), "Artist with blanks            ", QByteArray(30, 'A'),
                        "2024", QByteArray(30, 'C'), 61),
         {QString(30, QLatin1Char('T')), "Artist with blanks            ",
          QString(30, QLatin1Char('A')), "2024", QString(30, QLatin1Char('C')), 61}},
        {"a version 1.1 track number is not part of the comment",
         audio(300) + tag("", "", "", "", v11Comment, 0),
         {"", "", "", "", title28, 0}},
        {"GBK text",
         audio(300) + tag("\xc4\xe3\xba\xc3", "\xb8\xe8\xca\xd6", "", "", "", 0),
         {"你好", "歌手", "", "", "", 0}},
        {"UTF-8 text", audio(300) + tag("你好", "", "", "", "", 0), {"你好", "", "", "", "", 0}},
        {"genre 114", audio(300) + tag("", "", "", "", "", 114), {"", "", "", "", "", 114}},
        {"genre 115", audio(300) + tag("", "", "", "", "", 115), {"", "", "", "", "", 115}},
        {"genre 255", audio(300) + tag("", "", "", "", "", 255), {"", "", "", "", "", 255}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file(QStringLiteral("song.mp3"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.content);
        file.close();
        Mp3Tag read;
        read.title = QStringLiteral("left from before");
        read.genre = 99;
        ASSERT_TRUE(ReadId3v1Tag(path, read));
        EXPECT_EQ(read.title, c.expected.title);
        EXPECT_EQ(read.artist, c.expected.artist);
        EXPECT_EQ(read.album, c.expected.album);
        EXPECT_EQ(read.year, c.expected.year);
        EXPECT_EQ(read.comment, c.expected.comment);
        EXPECT_EQ(read.genre, c.expected.genre);
    }
}

TEST(ReadId3v1Tag, FailsForAFileThatCannotBeRead) {
    TempDir dir;
    Mp3Tag read;
    EXPECT_FALSE(ReadId3v1Tag(dir.file(QStringLiteral("missing.mp3")), read));
    EXPECT_FALSE(ReadId3v1Tag(dir.path(), read));
    const QString locked = dir.file(QStringLiteral("locked.mp3"));
    QFile file(locked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(audio(300));
    file.close();
    file.setPermissions(QFileDevice::WriteOwner);
    if (QFile(locked).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running with the right to read any file";
    EXPECT_FALSE(ReadId3v1Tag(locked, read));
}

TEST(GenreName, NamesTheNumbersUpTo114AndWritesOthersAsNumbers) {
    struct Case {
        int number;
        const char* name;
    };
    const Case cases[] = {
        {0, "Blues"},     {12, "Other"},       {14, "R&B"},   {60, "Top 40"}, {61, "Christian Rap"},
        {62, "Pop/Funk"}, {78, "Rock & Roll"}, {83, "Swing"}, {84, "Bebob"},  {85, "Latin"},
        {113, "Samba"},   {114, "Folklore"},   {115, "115"},  {255, "255"},   {-1, "-1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GenreName(c.number), QString::fromLatin1(c.name)) << c.number;
    QStringList names;
    for (int i = 0; i < 115; ++i)
        names << GenreName(i);
    names.removeDuplicates();
    EXPECT_EQ(names.size(), 115) << "every name is distinct";
}

TEST(DecodeTagText, TakesUtf8ThenGb18030) {
    EXPECT_EQ(DecodeTagText("Plain"), "Plain");
    EXPECT_EQ(DecodeTagText("\xe4\xbd\xa0\xe5\xa5\xbd"), "你好");
    EXPECT_EQ(DecodeTagText("\xc4\xe3\xba\xc3"), "你好");
    EXPECT_EQ(DecodeTagText(""), "");
}

} // namespace
