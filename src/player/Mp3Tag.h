#pragma once

#include <QByteArray>
#include <QString>

// The ID3 version 1 tag of an MP3 file: the last 128 bytes, "TAG" followed
// by title (30 bytes), artist (30), album (30), year (4), comment (30) and
// the genre number (1).
//
// A text field ends at its first zero byte (so a version 1.1 track number is
// not part of the comment); trailing blanks stay. The bytes are decoded as
// UTF-8 when they are valid UTF-8, otherwise as GB18030, the encoding that
// Chinese tag editors write.
struct Mp3Tag {
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment;
    int genre = 0;
};

// The comment of a file without a tag.
inline const char16_t kNoMp3Tag[] = u"无MP3标识";

// Reads the tag of the file at `path` into `tag`. A file without the "TAG"
// identifier, or shorter than 128 bytes, has no tag: empty texts, the
// comment kNoMp3Tag, genre 0, and the result is true. False when the file
// cannot be opened or read.
bool ReadId3v1Tag(const QString& path, Mp3Tag& tag);

// The name of genre `number` (0 Blues ... 114 Folklore); for any other
// number the number in decimal.
QString GenreName(int number);

// Decodes the bytes of one tag field as described above.
QString DecodeTagText(const QByteArray& bytes);
