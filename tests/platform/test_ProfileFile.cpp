#include "ProfileFile.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// The error a failed write must raise, checked through both of its faces.
void expectWriteError(ProfileFile& file, const QString& expectedPath) {
    const QString expected = QStringLiteral("Unable to write to ") + expectedPath;
    try {
        file.writeString(QStringLiteral("Judge"), QStringLiteral("strjrmm"), QStringLiteral("x"));
        ADD_FAILURE() << "no ProfileWriteError";
    } catch (const ProfileWriteError& e) {
        EXPECT_EQ(std::string(e.what()), expected.toStdString());
        EXPECT_EQ(e.message(), expected);
    }
}

} // namespace

TEST(ProfileFileRead, FollowsTheProfileRules) {
    struct Case {
        const char* what;
        const char* text;
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"names compared without case", "[JUDGE]\nSTRJRMM=x\n", "judge", "strjrmm", "x"},
        {"blanks around names and value", "  [ judge ]  \n\t strjrmm  =  a b \t\n", "judge",
         "strjrmm", "a b"},
        {"caller's names trimmed too", "[judge]\nk=v\n", " judge ", " k ", "v"},
        {"double quotes removed", "[s]\nk=\"  spaced  \"\n", "s", "k", "  spaced  "},
        {"single quotes removed", "[s]\nk='v'\n", "s", "k", "v"},
        {"unmatched quotes kept", "[s]\nk=\"v'\n", "s", "k", "\"v'"},
        {"a lone quote kept", "[s]\nk=\"\n", "s", "k", "\""},
        {"empty value is not the default", "[s]\nk=\n", "s", "k", ""},
        {"'=' inside the value", "[s]\nk=a=b\n", "s", "k", "a=b"},
        {"comment line ignored", "[s]\n;k=commented\n  ; k=indented\n", "s", "k", "DEF"},
        {"key line without '='", "[s]\nk\n", "s", "k", "DEF"},
        {"key in another section", "[other]\nk=v\n[s]\nj=w\n", "s", "k", "DEF"},
        {"key before any section", "k=v\n[s]\n", "s", "k", "DEF"},
        {"missing section", "[other]\nk=v\n", "s", "k", "DEF"},
        {"missing key", "[s]\nj=v\n", "s", "k", "DEF"},
        {"first of two keys", "[s]\nk=first\nK=second\n", "s", "k", "first"},
        {"first of two sections", "[s]\nj=1\n[S]\nk=later\n", "s", "k", "DEF"},
        {"text after ']' ignored", "[s] ; note\nk=v\n", "s", "k", "v"},
        {"\\r\\n line ends", "[s]\r\nk=v\r\nj=w\r\n", "s", "k", "v"},
        {"no final line end", "[s]\nk=v", "s", "k", "v"},
        {"byte order mark", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
        {"UTF-8 text", "[s]\n\xE9\x94\xAE=\xE8\xA7\x86\xE9\xA2\x91\n", "s", "\xE9\x94\xAE",
         "\xE8\xA7\x86\xE9\xA2\x91"},
    };
    TempDir dir;
    const QString path = dir.file(QStringLiteral("a.ini"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(path, c.text);
        const ProfileFile file(path);
        EXPECT_EQ(file.readString(u8(c.section), u8(c.key), QStringLiteral("DEF")), u8(c.expected));
    }
}

TEST(ProfileFileRead, MissingOrUnreadableFileGivesTheDefault) {
    TempDir dir;
    EXPECT_EQ(ProfileFile(dir.file(QStringLiteral("none.ini")))
                  .readString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("d")),
              QStringLiteral("d"));
    // A folder where the file should be.
    EXPECT_EQ(ProfileFile(dir.path())
                  .readString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("d")),
              QStringLiteral("d"));
    // Trailing blanks of the default go, leading ones stay.
    EXPECT_EQ(ProfileFile(dir.file(QStringLiteral("none.ini")))
                  .readString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral(" d \t ")),
              QStringLiteral(" d"));
}

TEST(ProfileFileRead, ValuesAreCutToTheBuffer) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("a.ini"));
    const QString longValue = QString(2000, QLatin1Char('a')) + QString(1000, QLatin1Char('b'));
    writeBytes(path, "[s]\nk=" + longValue.toUtf8() + "\n");
    const ProfileFile file(path);

    const QString full = file.readString(QStringLiteral("s"), QStringLiteral("k"), {});
    EXPECT_EQ(full.size(), 2047);
    EXPECT_EQ(full, longValue.left(2047));

    struct Case {
        int buffer;
        const char* key;
        const char* expected;
    };
    // The default is cut the same way as a value from the file.
    const Case cases[] = {{5, "k", "aaaa"}, {1, "k", ""}, {0, "k", ""}, {3, "missing", "de"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buffer);
        EXPECT_EQ(
            file.readString(QStringLiteral("s"), u8(c.key), QStringLiteral("default"), c.buffer),
            u8(c.expected));
    }
}

TEST(ProfileFileWrite, RewritesOnlyTheKeyConcerned) {
    struct Case {
        const char* what;
        const char* before; // nullptr: no file yet
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    };
    const Case cases[] = {
        {"a missing file is made", nullptr, "Judge", "k", "v", "[Judge]\nk=v\n"},
        {"key replaced in place, other lines kept",
         "; settings\n[other]\nk=1\n\n[JUDGE]\nfirst=1\n  K = old \n; "
         "note\nlast=2\n\n[tail]\nk=3\n",
         "Judge", "k", "new",
         "; settings\n[other]\nk=1\n\n[JUDGE]\nfirst=1\nK=new\n; note\nlast=2\n\n[tail]\nk=3\n"},
        {"new key after the section's last line", "[s]\na=1\n; note\n\n[t]\nb=2\n", "S", "k", "v",
         "[s]\na=1\n; note\nk=v\n\n[t]\nb=2\n"},
        {"new key in an empty section", "[s]\n[t]\n", "s", "k", "v", "[s]\nk=v\n[t]\n"},
        {"new key in the last section", "[s]\na=1", "s", "k", "v", "[s]\na=1\nk=v\n"},
        {"new section spelled as given", "[other]\na=1\n", "Judge", "k", "v",
         "[other]\na=1\n\n[Judge]\nk=v\n"},
        {"first of two keys replaced", "[s]\nk=1\nk=2\n", "s", "k", "v", "[s]\nk=v\nk=2\n"},
        {"key without '=' replaced", "[s]\nk\n", "s", "k", "v", "[s]\nk=v\n"},
        {"\\r\\n line ends become \\n", "[s]\r\na=1\r\nk=2\r\n", "s", "k", "v", "[s]\na=1\nk=v\n"},
        {"byte order mark dropped", "\xEF\xBB\xBF[s]\nk=1\n", "s", "k", "v", "[s]\nk=v\n"},
        {"value written as given", "[s]\n", "s", "k", " \"q\" ", "[s]\nk= \"q\" \n"},
        {"an empty file", "", "s", "k", "v", "[s]\nk=v\n"},
    };
    TempDir dir;
    const QString path = dir.file(QStringLiteral("a.ini"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path);
        if (c.before)
            writeBytes(path, c.before);
        ProfileFile file(path);
        file.writeString(u8(c.section), u8(c.key), u8(c.value));
        EXPECT_EQ(readBytes(path), QByteArray(c.after));
    }
}

TEST(ProfileFileWrite, UnicodeRoundTripsAsUtf8) {
    TempDir dir;
    const QString path = dir.folder() + u8("监控/设置.ini");
    ASSERT_TRUE(QDir().mkpath(dir.folder() + u8("监控")));
    const QString value = u8("C:/视频 录像/avi ✓");
    ProfileFile file(path);
    file.writeString(u8("Judge"), u8("strzxylj"), value);
    file.writeString(u8("Judge"), u8("名称"), u8("值"));

    EXPECT_EQ(readBytes(path), (u8("[Judge]\nstrzxylj=") + value + u8("\n名称=值\n")).toUtf8());
    EXPECT_EQ(file.readString(u8("judge"), u8("strzxylj"), {}), value);
    EXPECT_EQ(ProfileFile(path).readString(u8("JUDGE"), u8("名称"), {}), u8("值"));
}

TEST(ProfileFileWrite, LeavesNoTemporaryFileAndKeepsPermissions) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("a.ini"));
    writeBytes(path, "[s]\nk=1\n");
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path, mode));

    ProfileFile file(path);
    file.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("2"));

    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{QStringLiteral("a.ini")});
    // The User bits describe the caller, not the file; compare the others.
    const QFileDevice::Permissions fileBits =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
        QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(path) & fileBits, mode);
}

TEST(ProfileFileWrite, FailuresRaiseAndLeaveTheFileAlone) {
    TempDir dir;

    // A file with no write bit is refused even for root, who could write it.
    const QString readOnly = dir.file(QStringLiteral("ro.ini"));
    const QByteArray original = "[Judge]\nstrjrmm=old\n";
    writeBytes(readOnly, original);
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                    QFileDevice::ReadOther));
    ProfileFile roFile(readOnly);
    expectWriteError(roFile, readOnly);
    EXPECT_EQ(readBytes(readOnly), original);

    // A folder in place of the file.
    const QString folder = dir.file(QStringLiteral("dir.ini"));
    ASSERT_TRUE(QDir().mkdir(folder));
    ProfileFile folderFile(folder);
    expectWriteError(folderFile, folder);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QDir(folder).isEmpty());

    // A file whose folder does not exist.
    const QString orphan = dir.folder() + u8("缺少/a.ini");
    ProfileFile orphanFile(orphan);
    expectWriteError(orphanFile, orphan);
    EXPECT_FALSE(QFileInfo::exists(orphan));

    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("dir.ini"), QStringLiteral("ro.ini")}));
}
