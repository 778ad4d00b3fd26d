// The player end to end: a recording made by the program's own writer, put
// into the play list and played through the MCI service over libmpv (no
// video or audio output), until the controller sees its end.
#include "CaptureDevice.h"
#include "ErrorReport.h"
#include "FakeClock.h"
#include "FakeMessageService.h"
#include "FfmpegAviWriter.h"
#include "FileListGrid.h"
#include "MciService.h"
#include "PlaybackController.h"
#include "PlayerPanel.h"
#include "TempDir.h"
#include "media.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(PlaybackWithMpv, ARecordingPlaysToItsEndAndTheDeviceCloses) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("260310093005.avi"));
    {
        FfmpegAviWriter writer;
        writer.create(path, QStringLiteral("Xvid"));
        QImage picture(160, 120, QImage::Format_RGB888);
        for (int i = 0; i < 15; ++i) { // 1.5 s at 10 frames a second
            picture.fill(QColor(10 * i, 80, 160));
            writer.append(CapturedFrame{picture, qint64(i) * 100000, 10});
        }
        writer.close();
    }

    MciServiceOptions options;
    options.videoOutput = "null";
    options.audioOutput = "null";
    MciService mci(options);
    Media media(mci);
    FakeMessageService messages;
    FakeClock clock;
    ErrorReport errors(clock);
    errors.setEchoToStderr(false);
    PlayerPanel panel;
    PlaybackController player(media, messages, errors, panel);
    panel.setController(player);
    player.setUp();

    panel.sglist->AddPlayFile(path);
    EXPECT_EQ(panel.sglist->GetListCell(QStringLiteral("名称"), 1), QStringLiteral("260310093005"));
    player.setCurrentIndex(0);
    player.PlayBtnClick(false);
    ASSERT_TRUE(messages.shown.isEmpty()) << messages.shown.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(player.state(), PlaybackController::State::Playing);
    EXPECT_NEAR(player.lengthMs(), 1500, 100);

    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return player.state() != PlaybackController::State::Playing; }, 10000))
        << "the end of the file was not seen";
    EXPECT_TRUE(errors.entries().isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

} // namespace
