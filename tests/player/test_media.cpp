#include "FakeMci.h"
#include "TempDir.h"
#include "media.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kAlias = QStringLiteral("MyMp3");
const QString kType = QStringLiteral("MPEGVideo");

// A folder with "clip.avi" and "Video Files/Record 1.AVI".
struct Folder {
    Folder() {
        QDir(dir.path()).mkdir(QStringLiteral("Video Files"));
        for (const QString& name : {plain, blanks}) {
            QFile file(name);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    TempDir dir;
    QString plain = dir.file(QStringLiteral("clip.avi"));
    QString blanks = dir.file(QStringLiteral("Video Files/Record 1.AVI"));
};

class MediaTest : public ::testing::Test {
protected:
    FakeMci mci;
    std::vector<quintptr> sizeAskedFor;
    Media media{mci, [this](quintptr window) {
                    sizeAskedFor.push_back(window);
                    return QSize(299, 231);
                }};
    Folder folder;
};

TEST(ShortPath, IsTheFullPathQuotedWhenItHasBlanksOrAnErrorWord) {
    Folder folder;
    EXPECT_EQ(Media::ShortPath(folder.plain), folder.plain);
    EXPECT_EQ(Media::ShortPath(folder.blanks), QLatin1Char('"') + folder.blanks + QLatin1Char('"'));
    EXPECT_EQ(Media::ShortPath(folder.dir.file(QStringLiteral("gone.avi"))), "错误");
    EXPECT_EQ(Media::ShortPath(QString()), "错误");
    // A relative path becomes the full one; case is kept.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.dir.path()));
    const QString relative = Media::ShortPath(QStringLiteral("Video Files/Record 1.AVI"));
    QDir::setCurrent(before);
    EXPECT_EQ(relative, QLatin1Char('"') + folder.blanks + QLatin1Char('"'));
}

// Each action operation sends exactly its command and answers "ok" or the
// device's error text.
TEST_F(MediaTest, ActionsSendTheirCommandAndAnswerOkOrTheErrorText) {
    struct Case {
        const char* name;
        std::function<QString(Media&)> run;
        QString command;
        bool remembered; // kept as the module's last command
    };
    const QString plain = folder.plain;
    const QString blanks = folder.blanks;
    const QString missing = folder.dir.file(QStringLiteral("gone.avi"));
    const Case cases[] = {
        {"MciOpen", [&](Media& m) { return m.MciOpen(kAlias, plain, kType); },
         "open " + plain + " type MPEGVideo Alias MyMp3", true},
        {"MciOpen with blanks", [&](Media& m) { return m.MciOpen(kAlias, blanks, kType); },
         "open \"" + blanks + "\" type MPEGVideo Alias MyMp3", true},
        {"MciOpen missing", [&](Media& m) { return m.MciOpen(kAlias, missing, kType); },
         "open 错误 type MPEGVideo Alias MyMp3", true},
        {"MciOpenInWindow",
         [&](Media& m) { return m.MciOpenInWindow(4194311, kAlias, plain, kType); },
         "open " + plain + " type MPEGVideo Alias MyMp3 parent 4194311 Style 1073741824 shareable",
         true},
        {"MciPlay", [](Media& m) { return m.MciPlay(kAlias); }, "play MyMp3", true},
        {"MciPause", [](Media& m) { return m.MciPause(kAlias); }, "Pause MyMp3", false},
        {"MciResume", [](Media& m) { return m.MciResume(kAlias); }, "Resume MyMp3", false},
        {"MciStop", [](Media& m) { return m.MciStop(kAlias); }, "Stop MyMp3", false},
        {"MciClose", [](Media& m) { return m.MciClose(kAlias); }, "Close MyMp3", false},
        {"MciSeek", [](Media& m) { return m.MciSeek(kAlias, 1234); }, "seek MyMp3 to 1234", false},
        {"MciSeek 0", [](Media& m) { return m.MciSeek(kAlias, 0); }, "seek MyMp3 to 0", false},
        {"MciPutWindow", [](Media& m) { return m.MciPutWindow(77, kAlias, 3, 4, 100, 50); },
         "put MyMp3 window at 3 4 100 50", false},
        {"MciPutWindow negative place",
         [](Media& m) { return m.MciPutWindow(77, kAlias, -3, -4, 100, 50); },
         "put MyMp3 window at -3 -4 100 50", false},
        {"MciSetVolume 100", [](Media& m) { return m.MciSetVolume(kAlias, 100); },
         "setaudio MyMp3 Volume to 1000", true},
        {"MciSetVolume 0", [](Media& m) { return m.MciSetVolume(kAlias, 0); },
         "setaudio MyMp3 Volume to 0", true},
        {"MciSetVolume 54", [](Media& m) { return m.MciSetVolume(kAlias, 54); },
         "setaudio MyMp3 Volume to 540", true},
        {"MciSetSource", [](Media& m) { return m.MciSetSource(kAlias, QStringLiteral("left")); },
         "Setaudio MyMp3 source to left", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool fails : {false, true}) {
            FakeMci fake;
            Media m(fake);
            if (fails) {
                fake.answers[c.command] = {MciErrDeviceNotOpen, {}};
                fake.errorTexts[MciErrDeviceNotOpen] = QStringLiteral("设备没有打开");
            }
            const QString result = c.run(m);
            ASSERT_EQ(fake.sent.size(), 1U);
            EXPECT_EQ(fake.sent[0].command, c.command);
            EXPECT_FALSE(fake.sent[0].replyBuffer);
            EXPECT_EQ(fake.sent[0].callbackWindow, 0U);
            EXPECT_EQ(m.lastCommand(), c.remembered ? c.command : QString());
            if (fails) {
                EXPECT_EQ(result, "设备没有打开");
                EXPECT_EQ(m.lastError(), MciErrDeviceNotOpen);
                EXPECT_EQ(fake.errorBufferSizes, std::vector<int>{Media::kReplySize});
            } else {
                EXPECT_EQ(result, "ok");
                EXPECT_EQ(m.lastError(), 0);
                EXPECT_TRUE(fake.errorBufferSizes.empty());
            }
        }
    }
}

TEST_F(MediaTest, AnErrorTextIsCutToTheSharedBuffer) {
    mci.answers[QStringLiteral("play MyMp3")] = {MciErrNotPlayable, {}};
    mci.errorTexts[MciErrNotPlayable] = QString(200, QLatin1Char('e'));
    EXPECT_EQ(media.MciPlay(kAlias), QString(127, QLatin1Char('e')));
    EXPECT_EQ(media.reply(), QString(127, QLatin1Char('e')));
}

TEST_F(MediaTest, VolumeOutsideZeroToHundredIsRefusedWithoutSending) {
    media.MciSetVolume(kAlias, 50);
    for (const int percent : {101, -1, 1000}) {
        EXPECT_EQ(media.MciSetVolume(kAlias, percent), "音量设置超出范围") << percent;
    }
    EXPECT_EQ(mci.commands(), QStringList{"setaudio MyMp3 Volume to 500"});
    EXPECT_EQ(media.lastCommand(), "setaudio MyMp3 Volume to 500");
}

TEST_F(MediaTest, PutWindowWithoutASizeFillsTheWindowsClientArea) {
    struct Case {
        int x, y, width, height;
        QString command;
    };
    const Case cases[] = {
        {0, 0, 0, 0, "put MyMp3 window at 0 0 299 231"},
        {0, 0, 0, 120, "put MyMp3 window at 0 0 299 231"},
        {5, 6, 160, 0, "put MyMp3 window at 5 6 299 231"},
    };
    for (const Case& c : cases) {
        mci.sent.clear();
        EXPECT_EQ(media.MciPutWindow(4242, kAlias, c.x, c.y, c.width, c.height), "ok");
        EXPECT_EQ(mci.commands(), QStringList{c.command});
    }
    EXPECT_EQ(sizeAskedFor, (std::vector<quintptr>{4242, 4242, 4242}));
    mci.sent.clear();
    media.MciPutWindow(4242, kAlias, 0, 0, 10, 20);
    EXPECT_EQ(mci.commands(), QStringList{"put MyMp3 window at 0 0 10 20"});
    EXPECT_EQ(sizeAskedFor.size(), 3U) << "a given size needs no window size";
}

TEST_F(MediaTest, QueriesSetTheTimeFormatAndReadTheNumberFromTheSharedBuffer) {
    struct Case {
        const char* name;
        std::function<int(Media&)> run;
        QStringList commands;
    };
    const Case cases[] = {
        {"MciLengthMs",
         [](Media& m) { return m.MciLengthMs(kAlias); },
         {"set MyMp3 time format milliseconds", "status MyMp3 length"}},
        {"MciLengthFrames",
         [](Media& m) { return m.MciLengthFrames(kAlias); },
         {"set MyMp3 time format frames", "status MyMp3 length"}},
        {"MciPosition", [](Media& m) { return m.MciPosition(kAlias); }, {"status MyMp3 position"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString status = c.commands.last();
        {
            FakeMci fake;
            Media m(fake);
            fake.answers[status] = {0, QStringLiteral("5400000")};
            EXPECT_EQ(c.run(m), 5400000);
            EXPECT_EQ(fake.commands(), c.commands);
            for (const FakeMci::Sent& s : fake.sent) {
                EXPECT_TRUE(s.replyBuffer);
                EXPECT_EQ(s.replySize, Media::kReplySize);
                EXPECT_EQ(s.callbackWindow, 0U);
            }
            EXPECT_TRUE(m.lastCommand().isEmpty());
        }
        {
            // An error of the query gives -1.
            FakeMci fake;
            Media m(fake);
            fake.answers[status] = {MciErrDeviceNotOpen, {}};
            EXPECT_EQ(c.run(m), -1);
            EXPECT_EQ(m.lastError(), MciErrDeviceNotOpen);
        }
        if (c.commands.size() == 2) {
            // The time format's outcome is kept as the last error only until
            // the length query answers.
            FakeMci fake;
            Media m(fake);
            fake.answers[c.commands.first()] = {MciErrBadParameter, {}};
            fake.answers[status] = {0, QStringLiteral("20")};
            EXPECT_EQ(c.run(m), 20);
            EXPECT_EQ(m.lastError(), 0);
        }
        for (const char* bad : {"1.5", "", "twenty", "99999999999"}) {
            FakeMci fake;
            Media m(fake);
            fake.answers[status] = {0, QString::fromLatin1(bad)};
            EXPECT_THROW(c.run(m), MciReplyError) << bad;
        }
    }
}

TEST_F(MediaTest, WhereReadsWidthOrHeightOfTheDestination) {
    mci.answers[QStringLiteral("Where MyMp3 destination")] = {0, QStringLiteral("0 0 352 288")};
    struct Case {
        const char* which;
        int expected;
        bool sends;
    };
    const Case cases[] = {
        {"cx", 352, true}, {"cy", 288, true}, {"CX", 352, true},    {"Cy", 288, true},
        {"cz", -1, false}, {"", -1, false},   {"width", -1, false},
    };
    for (const Case& c : cases) {
        mci.sent.clear();
        EXPECT_EQ(media.MciWhere(kAlias, QString::fromLatin1(c.which)), c.expected) << c.which;
        if (c.sends) {
            ASSERT_EQ(mci.commands(), QStringList{"Where MyMp3 destination"}) << c.which;
            EXPECT_EQ(mci.sent[0].replySize, Media::kReplySize);
        } else {
            EXPECT_TRUE(mci.sent.empty()) << c.which;
        }
    }
    // A picture placed away from the corner: width and height are still
    // the third and fourth numbers.
    mci.answers[QStringLiteral("Where MyMp3 destination")] = {0, QStringLiteral("12 34 640 480")};
    EXPECT_EQ(media.MciWhere(kAlias, QStringLiteral("Cx")), 640);
    EXPECT_EQ(media.MciWhere(kAlias, QStringLiteral("Cy")), 480);

    mci.answers[QStringLiteral("Where MyMp3 destination")] = {MciErrDeviceNotOpen, {}};
    EXPECT_EQ(media.MciWhere(kAlias, QStringLiteral("cx")), -1);
    for (const char* bad : {"352 288", "0 0 wide 288", "0 0 352 high", ""}) {
        mci.answers[QStringLiteral("Where MyMp3 destination")] = {0, QString::fromLatin1(bad)};
        EXPECT_THROW(media.MciWhere(kAlias, QStringLiteral("cx")), MciReplyError) << bad;
    }
}

TEST_F(MediaTest, CommandsOfTheControllerUseTheSharedBufferAndCallbackWindow) {
    mci.answers[QStringLiteral("status MyMp3 mode")] = {0, QStringLiteral("playing")};
    EXPECT_EQ(media.send(QStringLiteral("status MyMp3 mode"), true), 0);
    EXPECT_EQ(media.reply(), "playing");
    EXPECT_EQ(mci.sent.back().replySize, Media::kReplySize);

    mci.answers[QStringLiteral("set cdaudio door open")] = {MciErrNoCdDrive, {}};
    EXPECT_EQ(media.send(QStringLiteral("set cdaudio door open"), false, 42), MciErrNoCdDrive);
    EXPECT_FALSE(mci.sent.back().replyBuffer);
    EXPECT_EQ(mci.sent.back().callbackWindow, 42U);
    EXPECT_EQ(media.lastError(), MciErrNoCdDrive);
    EXPECT_TRUE(media.lastCommand().isEmpty());
}

TEST_F(MediaTest, TheLastCommandIsThatOfTheLastOpenPlayVolumeOrSource) {
    media.MciOpen(kAlias, folder.plain, kType);
    media.MciPlay(kAlias);
    media.MciPause(kAlias);
    media.MciSeek(kAlias, 5);
    EXPECT_EQ(media.lastCommand(), "play MyMp3");
    media.MciSetSource(kAlias, QStringLiteral("stereo"));
    media.MciClose(kAlias);
    EXPECT_EQ(media.lastCommand(), "Setaudio MyMp3 source to stereo");
}

} // namespace
