// The pinyin initials conversion: its fixed tables, the conversion of Unicode
// and of raw GBK text, the play-list search helpers, and that the committed
// tables are what the generator makes of its source.
#include "IMCode.h"
#include "PinyinData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::string syllable(int number) {
    const unsigned char* entry = kPinyinSyllables[number - 1];
    return std::string(reinterpret_cast<const char*>(entry + 1), entry[0]);
}

int indexValue(int code) {
    return kPinyinIndex[pinyinIndexPosition(code >> 8, code & 0xFF)];
}

std::string readingOf(int code) {
    const int number = indexValue(code);
    return number == 0 ? std::string("(none)") : syllable(number);
}

bool isGb2312Ideograph(int lead, int trail) {
    return lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE &&
           !(lead == 0xD7 && trail >= 0xFA);
}

// The source (pinyin-data through go-pinyin) has a reading for all but 19 of
// the 20 907 ideograph codes outside the symbol rows A1-A9 and row FE: ten
// Japanese-coined unit characters have none (兙 兡 嗧 桛 烪 瓧 瓰 瓱 瓼 甅), and
// nine read only as syllables the table lacks (den, eng, fiao, lo, nun, fo).
constexpr int kCodesWithReading = 20888;

TEST(PinyinTables, SyllablesHaveTheirFixedForm) {
    ASSERT_EQ(kSyllableCount, 405);
    EXPECT_EQ(syllable(1), "a");
    EXPECT_EQ(syllable(2), "ai");
    EXPECT_EQ(syllable(393), "zuo");
    EXPECT_EQ(syllable(394), "");
    const char* const extras[] = {"ei", "m",  "n",  "dia", "cen", "nou",
                                  "jv", "qv", "xv", "lv",  "nv"};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(syllable(395 + i), extras[i]) << "syllable " << 395 + i;

    std::set<std::string> seen;
    for (int n = 1; n <= kSyllableCount; ++n) {
        const unsigned char* entry = kPinyinSyllables[n - 1];
        ASSERT_LE(entry[0], 6) << "syllable " << n;
        for (int i = 1; i < kSyllableSize; ++i) {
            if (i <= entry[0]) {
                EXPECT_TRUE(entry[i] >= 'a' && entry[i] <= 'z') << "syllable " << n;
            } else {
                EXPECT_EQ(entry[i], 0) << "syllable " << n;
            }
        }
        if (n >= 2 && n <= 393) {
            EXPECT_LT(syllable(n - 1), syllable(n)) << "syllables 1-393 are alphabetical";
        }
        EXPECT_TRUE(n == 394 || seen.insert(syllable(n)).second) << "duplicate " << syllable(n);
    }
}

TEST(PinyinTables, IndexCoversGb2312AndLeavesSymbolRowsEmpty) {
    ASSERT_EQ(kIndexSize, 24066);
    EXPECT_EQ(pinyinIndexPosition(0x81, 0x40), 0);
    EXPECT_EQ(pinyinIndexPosition(0xFE, 0xFE), 24065);

    int withReading = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const int value = indexValue(lead << 8 | trail);
            withReading += value != 0;
            EXPECT_LE(value, kSyllableCount);
            EXPECT_NE(value, 394) << "the empty syllable is never referred to";
            if ((lead >= 0xA1 && lead <= 0xA9) || lead == 0xFE || trail == 0x7F) {
                EXPECT_EQ(value, 0) << std::hex << lead << trail;
            }
            if (isGb2312Ideograph(lead, trail)) {
                EXPECT_NE(value, 0) << "GB2312 " << std::hex << lead << trail;
            }
        }
    }
    EXPECT_EQ(withReading, kCodesWithReading);
}

TEST(PinyinTables, TellingRows) {
    const struct {
        const char* character;
        int code;
        const char* reading;
    } rows[] = {
        {"啊", 0xB0A1, "a"},     {"阿", 0xB0A2, "a"},     {"安", 0xB0B2, "an"},
        {"国", 0xB9FA, "guo"},   {"中", 0xD6D0, "zhong"}, {"重", 0xD6D8, "zhong"},
        {"长", 0xB3A4, "zhang"}, {"行", 0xD0D0, "hang"},  {"乐", 0xC0D6, "le"},
        {"驴", 0xC2BF, "lv"},    {"略", 0xC2D4, "lue"},   {"嗯", 0xE0C5, "n"},
    };
    for (const auto& row : rows) {
        const QByteArray gbk = toGbk(QString::fromUtf8(row.character));
        ASSERT_EQ(gbk.size(), 2) << row.character;
        EXPECT_EQ((static_cast<unsigned char>(gbk[0]) << 8) | static_cast<unsigned char>(gbk[1]),
                  row.code)
            << row.character;
        EXPECT_EQ(readingOf(row.code), row.reading) << row.character;
    }
}

TEST(PinyinTables, NumberedSymbolsAndGreekLetters) {
    const struct {
        int trail;
        const char* text;
    } symbols[] = {{0xA1, "1"}, {0xAA, "10"}, {0xAB, ""},  {0xB1, "1"},  {0xC4, "20"},
                   {0xC5, "1"}, {0xD8, "20"}, {0xD9, "1"}, {0xE2, "10"}, {0xE3, ""},
                   {0xE5, "1"}, {0xEE, "10"}, {0xF1, "1"}, {0xFC, "12"}, {0xFD, ""}};
    for (const auto& s : symbols)
        EXPECT_STREQ(kNumberedSymbols[s.trail - 0xA1], s.text) << std::hex << s.trail;
    int numbered = 0;
    for (const auto& entry : kNumberedSymbols)
        numbered += entry[0] != '\0';
    EXPECT_EQ(numbered, 10 + 20 + 20 + 10 + 10 + 12);

    EXPECT_STREQ(kGreekLetters[0], "a");
    EXPECT_STREQ(kGreekLetters[7], "th");
    EXPECT_STREQ(kGreekLetters[22], "ps");
    EXPECT_STREQ(kGreekLetters[23], "o");
}

struct TextCase {
    const char* text; // UTF-8
    int flags;
    int maxLength;
    const char* expected;
};

TEST(PinyinInitials, ConvertsUnicodeTexts) {
    const TextCase cases[] = {
        {"视频监控", 4, 255, "SPJK"},
        {"视频监控", 5, 255, "SHIPINJIANKONG"},
        {"视频监控", 5, 6, "SHIPIN"},
        {"视频监控", 5, 7, "SHIPINJ"},
        {"视频监控", 4, 0, ""},
        {"视频监控", -1, 255, ""},
        {"视频监控", -4, 255, ""},
        // full-width letters keep their case; digits and letters survive flag 0
        {"Ａｂ", 0, 255, "Ab"},
        {"Ａｂ", 4, 255, "Ab"},
        {"！", 0, 255, ""},
        {"！", 4, 255, "!"},
        // numbered symbols give their number whatever the flags
        {"①", 0, 255, "1"},
        {"①", 7, 255, "1"},
        {"⒇", 0, 255, "20"},
        {"Ⅻ", 0, 255, "12"},
        {"ⅹ", 0, 255, "10"},
        {"㈩", 0, 255, "10"},
        // Greek letters, either case, upper-cased
        {"α", 0, 255, "A"},
        {"Α", 0, 255, "A"},
        {"θψ", 0, 255, "THPS"},
        // single bytes: letters and digits upper-cased, the rest only with flag 4
        {"A-B", 0, 255, "AB"},
        {"A-B", 4, 255, "A-B"},
        {"a-b 1.avi", 4, 255, "A-B 1.AVI"},
        {"abc", 0, 255, "ABC"},
        {"20240301180205.avi", 0, 255, "20240301180205AVI"},
        // double-byte characters without a reading: "?" only with flag 2
        {"、", 0, 255, ""},
        {"、", 2, 255, "?"},
        {"中、国", 6, 255, "Z?G"},
        {"長", 5, 255, "ZHANG"},
        // characters GBK cannot hold count as double-byte without a reading
        {"a😀b", 0, 255, "AB"},
        {"a😀b", 2, 255, "A?B"},
        {"a😀b", 4, 255, "AB"},
        {"한", 2, 255, "?"},
        // telling rows whole
        {"行长乐阿", 1, 255, "HANGZHANGLEA"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(PinyinInitials(QString::fromUtf8(c.text), c.flags, c.maxLength),
                  QString::fromLatin1(c.expected))
            << c.text << " flags " << c.flags << " max " << c.maxLength;
    }
}

TEST(PinyinInitials, ReadsRawGbkBytes) {
    using namespace std::string_literals;
    const struct {
        std::string gbk;
        int flags;
        std::string expected;
    } cases[] = {
        {"\xCA\xD3\xC6\xB5"s, 4, "SP"s},       // 视频
        {"\xB0\x30"s, 0, "0"s},                // a lead byte before a byte below 40 stands alone
        {"\xB0\x30"s, 4, "\xB0\x30"s},         //
        {"A\xB0"s, 4, "A\xB0"s},               // the end of the text counts as 0
        {"A\xB0"s, 2, "A"s},                   //
        {"\x80\x41"s, 4, "\x80\x41"s},         // 80 is below 81: a single byte
        {"\xA2\x50"s, 2, "?"s},                // row A2 below A1
        {"\xA2\x50"s, 0, ""s},                 //
        {"\xA2\xAB"s, 2, ""s},                 // an empty numbered-symbol entry
        {"\xA6\xB9"s, 2, "?"s},                // row A6 between the two alphabets
        {"\xA6\xB9"s, 0, ""s},                 //
        {"\xA3\xC1\xA3\xE2"s, 0, "Ab"s},       // full-width letters
        {"\xA3\x41"s, 4, "\xC1"s},             // below A1 the byte wraps round
        {"\xA3\x41"s, 0, ""s},                 //
        {"\xFE\xFE"s, 2, "?"s},                // row FE has no readings
        {"\xB0\xFF"s, 2, "?"s},                // outside the index
        {"\xFF\xFF"s, 2, "?"s},                //
        {"\xB0\x7F"s, 2, "?"s},                //
        {"\xD6\xD0\xB9\xFA"s, 1, "ZHONGGUO"s}, // 中国
        {"\x00\x01"s, 4, "\x00\x01"s},         // control bytes kept with flag 4
        {""s, 7, ""s},
    };
    for (const auto& c : cases) {
        const QByteArray in(c.gbk.data(), static_cast<qsizetype>(c.gbk.size()));
        const QByteArray out = PinyinInitials(in, c.flags, 255);
        EXPECT_EQ(std::string(out.constData(), static_cast<std::size_t>(out.size())), c.expected)
            << QByteArray(in).toHex().constData() << " flags " << c.flags;
    }
}

TEST(PinyinInitials, CutsLongTextsToTheMaximumLength) {
    const QString name = QString::fromUtf8("视频监控").repeated(100);
    EXPECT_EQ(PinyinInitials(name, 4, 255).size(), 255);
    EXPECT_EQ(PinyinInitials(name, 5, 255).size(), 255);
    EXPECT_EQ(PinyinInitials(name, 4, 3), QStringLiteral("SPJ"));
    EXPECT_EQ(PinyinInitials(name, 4, 1000).size(), 400);
}

TEST(ToGbk, ReplacesWhatGbkCannotHold) {
    const struct {
        QString text;
        QByteArray gbk;
    } cases[] = {
        {QStringLiteral("avi-01"), QByteArray("avi-01")},
        {QString::fromUtf8("中"), QByteArray("\xD6\xD0")},
        {QString::fromUtf8("😀"), QByteArray("\xFE\xFE")}, // a surrogate pair is one character
        {QString(QChar(0xD800)) + QLatin1Char('a'), QByteArray("\xFE\xFE"
                                                               "a")},
        {QLatin1Char('a') + QString(QChar(0xD800)), QByteArray("a\xFE\xFE")},
        {QString(QChar(0xDC00)) + QString::fromUtf8("中"), QByteArray("\xFE\xFE\xD6\xD0")},
        {QString::fromUtf8("中😀😀国"), QByteArray("\xD6\xD0\xFE\xFE\xFE\xFE\xB9\xFA")},
        {QString(), QByteArray()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toGbk(c.text).toHex(), c.gbk.toHex()) << c.text.toStdString();
}

TEST(PinyinSearch, FindsTheFirstContiguousMatch) {
    const QStringList names{
        QString::fromUtf8("视频"),     QString::fromUtf8("水平"),
        QString::fromUtf8("文件"),     QStringLiteral("20240301180205.avi"),
        QString::fromUtf8("Ａｂ记录"),
    };
    const QStringList keys = pinyinSearchKeys(names);
    ASSERT_EQ(keys.size(), names.size());
    EXPECT_EQ(keys[0], QStringLiteral("SP"));
    EXPECT_EQ(keys[3], QStringLiteral("20240301180205.AVI"));
    EXPECT_EQ(keys[4], QStringLiteral("ABJL"));
    EXPECT_EQ(pinyinSearchKey(names[2]), QStringLiteral("WJ"));

    const struct {
        const char* typed;
        int from;
        int expected;
    } cases[] = {
        {"sp", 0, 0}, {"SP", 0, 0},   {"sp", 1, 1},   {"sp", 2, -1},  {"Sp", -5, 0},
        {"wj", 0, 2}, {"j", 0, 2},    {"1802", 0, 3}, {".avi", 0, 3}, {"abj", 0, 4},
        {"", 0, -1},  {"spw", 0, -1}, {"s p", 0, -1}, {"wj", 99, -1}, {"视频", 0, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findPinyinMatch(keys, QString::fromUtf8(c.typed), c.from), c.expected)
            << c.typed << " from " << c.from;
    }
    EXPECT_EQ(findPinyinMatch({}, QStringLiteral("A")), -1);
}

// The committed tables are exactly what the generator makes of its installed
// source (scripts/install-deps installs it).
TEST(PinyinTables, CommittedDataMatchesTheGenerator) {
    const QString source =
        QStringLiteral("/usr/share/gocode/src/github.com/mozillazg/go-pinyin/pinyin_dict.go");
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (!QFileInfo::exists(source) || python.isEmpty())
        GTEST_SKIP() << "the generator's source or python3 is not installed";

    const QDir root(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../.."));
    QFile committed(root.filePath(QStringLiteral("src/player/PinyinData.cpp")));
    ASSERT_TRUE(committed.open(QIODevice::ReadOnly)) << committed.fileName().toStdString();

    QProcess generator;
    generator.start(python, {root.filePath(QStringLiteral("tools/pinyin/gen_pinyin_data.py")),
                             QStringLiteral("--dict"), source});
    ASSERT_TRUE(generator.waitForFinished(60000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
    const QByteArray generated = generator.readAllStandardOutput();
    EXPECT_TRUE(generated == committed.readAll())
        << "src/player/PinyinData.cpp differs from the generator's output; run "
           "tools/pinyin/gen_pinyin_data.py --output src/player/PinyinData.cpp";
}

} // namespace
