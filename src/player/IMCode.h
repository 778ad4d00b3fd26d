#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// IMCode: the pinyin initials of a text, and the keyboard search of the play
// list built on them (typing SPJK finds 视频监控, typing 1802 finds the
// recordings whose time-stamp names contain 1802).
//
// The conversion works on GBK bytes with the fixed tables of PinyinData.h. The
// program's texts are Unicode; the QString functions convert them to GBK first
// (glibc iconv), and a character that GBK cannot hold counts as a double-byte
// character without a reading.
//
// Every function may be called from any thread (each thread keeps its own
// converter). Nothing here fails: text that cannot be converted simply gives
// fewer letters.

// Flags of PinyinInitials; a negative flags value gives an empty text.
enum PinyinFlag : int {
    PinyinWholeSyllables = 1, // whole syllables (up to 6 letters), not initial letters
    PinyinMarkUnknown = 2,    // "?" for a double-byte character without a reading
    PinyinKeepOthers = 4,     // keep characters that are not ASCII letters or digits
};

// What the play-list search converts its names with.
inline constexpr int kPinyinSearchFlags = PinyinKeepOthers;
inline constexpr int kPinyinSearchLength = 255;

// The pinyin initials of a GBK text, at most maxLength bytes long (none for
// maxLength <= 0). Letters come upper-cased, except full-width ones (row A3),
// which keep their case: Ａｂ gives "Ab". Single bytes are copied as they are
// (ASCII letters upper-cased) when kept.
QByteArray PinyinInitials(const QByteArray& gbk, int flags, int maxLength);

// The same for a Unicode text, converted to GBK first. The result is
// ASCII, plus whatever single bytes PinyinKeepOthers keeps, read as Latin-1.
QString PinyinInitials(const QString& text, int flags, int maxLength);

// The GBK bytes of a text. A character that GBK cannot hold (an emoji, a lone
// surrogate, a rare ideograph) becomes the double-byte code FE FE, which has no
// reading.
QByteArray toGbk(QStringView text);

// The search key of a play-list name: PinyinInitials(name, kPinyinSearchFlags,
// kPinyinSearchLength), upper-cased. Names rarely change, so a list keeps the
// keys of its entries (see pinyinSearchKeys) instead of converting every name
// on every keystroke.
QString pinyinSearchKey(const QString& name);
QStringList pinyinSearchKeys(const QStringList& names);

// The index of the first key at or after `from` that contains the upper-cased
// typed text as a contiguous part, or -1 when none does. An empty typed text
// matches nothing. The search of the play list calls it with from = 0 on every
// change of the typed text; Enter asks whether a later entry also matches with
// from = current + 1, and the choice dialog collects all matches by calling it
// again after each one.
int findPinyinMatch(const QStringList& keys, const QString& typed, int from = 0);
