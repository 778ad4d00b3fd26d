#include "ProfileFile.h"
#include "TGlobal.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

struct Field {
    const char* key;
    QString TGlobal::*member;
    const char* defaultValue;
};

// The keys in file order with their defaults.
const Field kFields[] = {
    {"server_name", &TGlobal::server_name, "127.0.0.1"},
    {"strdrive", &TGlobal::strdrive, ""},
    {"strw1", &TGlobal::strw1, "640"},
    {"strh1", &TGlobal::strh1, "480"},
    {"strkjqy", &TGlobal::strkjqy, "0"},
    {"strjrjk", &TGlobal::strjrjk, "1"},
    {"strzxh", &TGlobal::strzxh, "0"},
    {"strqpxs", &TGlobal::strqpxs, "0"},
    {"stremail", &TGlobal::stremail, ""},
    {"strtell", &TGlobal::strtell, ""},
    {"strzxylj", &TGlobal::strzxylj, ""},
    {"strqyemail", &TGlobal::strqyemail, "0"},
    {"strgs", &TGlobal::strgs, "msvc"},
    {"strfbl", &TGlobal::strfbl, "1"},
    {"strysbl", &TGlobal::strysbl, "10"},
    {"strjrmm", &TGlobal::strjrmm, ""},
    {"strsfbj", &TGlobal::strsfbj, "0"},
    {"strsfbcsp", &TGlobal::strsfbcsp, "1"},
    {"strbd", &TGlobal::strbd, "0"},
    {"strjp", &TGlobal::strjp, "0"},
};

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The file a fresh run writes: one section, every key with its default.
QByteArray defaultFileText() {
    QByteArray text = "[Judge]\n";
    for (const Field& f : kFields)
        text += QByteArray(f.key) + '=' + f.defaultValue + '\n';
    return text;
}

} // namespace

TEST(TGlobal, SettingsPathIsNamedAfterTheProgramFile) {
    const struct {
        const char* program;
        const char* expected;
    } cases[] = {
        {"/opt/tools/cam.exe", "/opt/tools/cam.ini"},
        {"/x/watch.exe", "/x/watch.ini"},
        {"/opt/kelvor/kelvor", "/opt/kelvor/kelvor.ini"},
        {"/opt/kelvor.d/kelvor", "/opt/kelvor.d/kelvor.ini"},
        {"/home/用户/视频监控/监控.exe", "/home/用户/视频监控/监控.ini"},
        {"/x/app.x", "/x/a.ini"}, // four characters go whatever the extension is
        {"/x/a.b", "/x/.ini"},
        {"kelvor", "kelvor.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        EXPECT_EQ(TGlobal::settingsPathFor(u8(c.program)), u8(c.expected));
    }
    TempDir dir;
    EXPECT_EQ(TGlobal(dir.file(QStringLiteral("cam.exe"))).settingsPath(),
              dir.file(QStringLiteral("cam.ini")));
}

TEST(TGlobal, FirstRunHasDefaultsAndWritesNothingByItself) {
    TempDir dir;
    const QString ini = dir.file(QStringLiteral("kelvor.ini"));
    {
        const TGlobal settings(dir.file(QStringLiteral("kelvor")));
        for (const Field& f : kFields) {
            SCOPED_TRACE(f.key);
            EXPECT_EQ(settings.*f.member, u8(f.defaultValue));
        }
    }
    EXPECT_FALSE(QFile::exists(ini));
}

TEST(TGlobal, WriteSettingsMakesOneJudgeSectionInKeyOrder) {
    TempDir dir;
    TGlobal settings(dir.file(QStringLiteral("kelvor")));
    settings.WriteSettings();
    EXPECT_EQ(readBytes(settings.settingsPath()), defaultFileText());
}

TEST(TGlobal, ReadsNamesWithoutCaseAndFillsMissingKeys) {
    TempDir dir;
    writeBytes(dir.file(QStringLiteral("kelvor.ini")),
               "[other]\nstrw1=1\n[JUDGE]\nSTRJRMM=abc\nStrW1 = 800 \nstrsfbj=true\n");
    TGlobal settings(dir.file(QStringLiteral("kelvor")));

    EXPECT_EQ(settings.strjrmm, QStringLiteral("abc"));
    EXPECT_EQ(settings.strw1, QStringLiteral("800"));
    EXPECT_EQ(settings.strh1, QStringLiteral("480"));
    EXPECT_EQ(settings.strsfbj, QStringLiteral("true"));
    EXPECT_FALSE(TGlobal::isOn(settings.strsfbj));

    // Writing keeps the other section and the file's own header spelling.
    settings.strw1 = QStringLiteral("1024");
    settings.WriteSettings();
    const QString text = QString::fromUtf8(readBytes(settings.settingsPath()));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[other]\nstrw1=1\n[JUDGE]\nSTRJRMM=abc\n"
                                               "StrW1=1024\nstrsfbj=true\n")))
        << text.toStdString();
    EXPECT_EQ(text.count(QLatin1Char('[')), 2);
    EXPECT_EQ(TGlobal(dir.file(QStringLiteral("kelvor"))).strw1, QStringLiteral("1024"));
}

TEST(TGlobal, OnlyExactlyOneIsOn) {
    EXPECT_TRUE(TGlobal::isOn(QStringLiteral("1")));
    for (const char* text : {"0", "", "true", "TRUE", "01", " 1", "1 ", "yes", "2"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(TGlobal::isOn(u8(text)));
    }
}

TEST(TGlobal, EveryFieldRoundTrips) {
    TempDir dir;
    const QString program = dir.file(QStringLiteral("kelvor"));
    TGlobal settings(program);
    int i = 0;
    for (const Field& f : kFields)
        settings.*f.member = u8("值 ") + QString::number(++i) + QStringLiteral(" a=b;c");
    settings.strjrmm = u8("密码 with blanks");
    settings.strtell.clear();
    settings.WriteSettings();

    const TGlobal reread(program);
    for (const Field& f : kFields) {
        SCOPED_TRACE(f.key);
        EXPECT_EQ(reread.*f.member, settings.*f.member);
    }
}

TEST(TGlobal, FailedWriteRaisesAndChangesNothing) {
    TempDir dir;
    const QString program = dir.file(QStringLiteral("kelvor"));
    TGlobal settings(program);
    settings.WriteSettings();
    const QString ini = settings.settingsPath();
    const QByteArray before = readBytes(ini);
    ASSERT_TRUE(QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                               QFileDevice::ReadOther));

    settings.strw1 = QStringLiteral("800");
    settings.strjrmm = QStringLiteral("secret");
    try {
        settings.WriteSettings();
        ADD_FAILURE() << "no ProfileWriteError";
    } catch (const ProfileWriteError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unable to write to ") + ini);
    }
    EXPECT_EQ(readBytes(ini), before);
    EXPECT_EQ(settings.strw1, QStringLiteral("800"));

    // The object stays usable: once the file is writable again the changes land.
    ASSERT_TRUE(QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    settings.WriteSettings();
    const TGlobal reread(program);
    EXPECT_EQ(reread.strw1, QStringLiteral("800"));
    EXPECT_EQ(reread.strjrmm, QStringLiteral("secret"));
}
