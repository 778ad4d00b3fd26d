// The picture preview window on the offscreen platform, shown with show()
// (and once through exec()), with pictures written by the test.
#include "PictureView.h"
#include "TFormtpbjyl.h"
#include "TempDir.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace {

// Lets the window system deliver the maximised geometry and the layout act.
void settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

std::unique_ptr<TFormtpbjyl> showPreview(TFormtpbjyl::PathSource source) {
    auto form = std::make_unique<TFormtpbjyl>(std::move(source));
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    settle();
    return form;
}

// What fitting the picture into the view gives now.
double fittedZoom(const TFormtpbjyl& form) {
    const QSize view = form.ImageEnVect1->size();
    const QSize picture = form.ImageEnVect1->picture().size();
    return 100.0 * std::min(double(view.width()) / picture.width(),
                            double(view.height()) / picture.height());
}

QImage testPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB888);
    picture.fill(QColor(30, 120, 200));
    QPainter p(&picture);
    p.fillRect(0, 0, width / 2, height / 2, QColor(250, 200, 20));
    return picture;
}

TEST(Formtpbjyl, ComesUpMaximisedModalWithItsCaptionAndButtons) {
    TFormtpbjyl form(QStringLiteral("/nonexistent/snap.jpg"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("预览"));
    EXPECT_TRUE(form.isModal());
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);

    const struct {
        const char* name;
        const char* hint;
    } buttons[] = {{"SpeedButton1", "放大"},
                   {"SpeedButton2", "缩水"},
                   {"SpeedButton4", "适合"},
                   {"SpeedButton5", "原始大小"},
                   {"SpeedButton6", "返回"}};
    for (const auto& b : buttons) {
        auto* button = form.findChild<QToolButton*>(QString::fromUtf8(b.name));
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.hint)) << b.name;
        EXPECT_TRUE(button->autoRaise()) << b.name;
        EXPECT_FALSE(button->icon().isNull()) << b.name;
        EXPECT_EQ(button->parentWidget(), form.Panel1) << b.name;
    }
    EXPECT_EQ(form.SpeedButton6->text(), QStringLiteral("返回"));

    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    settle();
    EXPECT_EQ(form.Panel2->height(), 36);
    EXPECT_EQ(form.Panel2->geometry().bottom(), form.height() - 1) << "the bar is at the bottom";
    EXPECT_EQ(form.Panel2->width(), form.width());
    // The empty view and the bar show the same light blue.
    const QRgb blue = qRgb(235, 242, 255);
    EXPECT_EQ(form.ImageEnVect1->grab().toImage().pixel(5, 5), blue);
    EXPECT_EQ(form.Panel2->grab().toImage().pixel(1, 1), blue);
}

TEST(Formtpbjyl, ASnapshotThatCannotBeShownGivesAnEmptyViewThatClosesWithBack) {
    TempDir dir;
    const QString notAPicture = dir.file(QStringLiteral("broken.jpg"));
    {
        QFile f(notAPicture);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xFF\xD8 this is not a JPEG");
    }
    const struct {
        const char* name;
        TFormtpbjyl::PathSource source;
    } cases[] = {
        {"deleted file",
         [&] {
             return dir.file(QStringLiteral("deleted.jpg"));
         }},
        {"not a picture",
         [&] {
             return notAPicture;
         }},
        {"empty path",
         [] {
             return QString();
         }},
        {"no current row",
         []() -> QString {
             throw std::runtime_error("no current row");
         }},
        {"foreign exception",
         []() -> QString {
             throw 42;
         }},
        {"no source", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto form = showPreview(c.source);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("图片预览"));
        EXPECT_TRUE(form->ImageEnVect1->picture().isNull());
        EXPECT_TRUE(form->isVisible());
        // The zoom buttons do no harm on an empty view.
        form->SpeedButton1->click();
        form->SpeedButton4->click();
        form->SpeedButton6->click();
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(form->result(), QDialog::Rejected);
    }
}

TEST(Formtpbjyl, ReadsThePathWhenShownNotWhenMade) {
    TempDir dir;
    QString path = dir.file(QStringLiteral("a.png"));
    ASSERT_TRUE(testPicture(40, 30).save(path));
    int calls = 0;
    TFormtpbjyl form([&] {
        ++calls;
        return path;
    });
    EXPECT_EQ(calls, 0);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(form.ImageEnVect1->picture().size(), QSize(40, 30));

    // Shown again for another row: the new file replaces the old picture.
    form.SpeedButton6->click();
    path = dir.file(QStringLiteral("gone.png"));
    form.show();
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(form.ImageEnVect1->picture().isNull());
}

class RealPicture : public ::testing::TestWithParam<const char*> {};

TEST_P(RealPicture, LoadsFitsAndZooms) {
    const QByteArray suffix(GetParam());
    if (!QImageWriter::supportedImageFormats().contains(suffix))
        GTEST_SKIP() << "no Qt image writer for " << GetParam();
    TempDir dir;
    const QString path = dir.file(QStringLiteral("snap.") + QString::fromLatin1(suffix));
    // Larger than the offscreen screen, so that fitting shrinks it.
    ASSERT_TRUE(testPicture(2400, 1800).save(path));

    auto form = showPreview([&] { return path; });
    PictureView& view = *form->ImageEnVect1;
    ASSERT_EQ(view.picture().size(), QSize(2400, 1800));
    const double fitted = fittedZoom(*form);
    EXPECT_LT(fitted, 100);
    EXPECT_DOUBLE_EQ(view.zoom(), fitted);

    // Doubling works on the fitted zoom too.
    form->SpeedButton1->click();
    EXPECT_DOUBLE_EQ(view.zoom(), fitted * 2);

    form->SpeedButton5->click();
    EXPECT_DOUBLE_EQ(view.zoom(), 100);
    for (int i = 0; i < 3; ++i)
        form->SpeedButton1->click();
    EXPECT_DOUBLE_EQ(view.zoom(), 800);

    form->SpeedButton4->click();
    EXPECT_DOUBLE_EQ(view.zoom(), fitted);
    form->SpeedButton2->click();
    EXPECT_DOUBLE_EQ(view.zoom(), fitted / 2);

    form->SpeedButton5->click();
    form->SpeedButton2->click();
    EXPECT_DOUBLE_EQ(view.zoom(), 50);
}

INSTANTIATE_TEST_SUITE_P(Formtpbjyl, RealPicture, ::testing::Values("png", "jpg"),
                         [](const auto& param) { return std::string(param.param); });

TEST(Formtpbjyl, StaysFittedWhileTheWindowSettlesUntilTheUserZooms) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("snap.png"));
    ASSERT_TRUE(testPicture(1000, 500).save(path));
    auto form = showPreview([&] { return path; });
    PictureView& view = *form->ImageEnVect1;

    form->showNormal();
    form->resize(500, 400);
    settle();
    EXPECT_DOUBLE_EQ(view.zoom(), fittedZoom(*form));

    // "适合" fits once: a later resize keeps the zoom.
    form->SpeedButton4->click();
    const double fitted = view.zoom();
    form->resize(300, 300);
    settle();
    EXPECT_DOUBLE_EQ(view.zoom(), fitted);
}

// Left of the group = (bar width - group width) / 2, truncated toward zero,
// negative when the bar is narrower than the group.
TEST(Formtpbjyl, KeepsTheButtonGroupCentredInTheBar) {
    auto form = showPreview([] { return QString(); });
    const int group = form->Panel1->width();
    ASSERT_GT(group, 100);
    EXPECT_EQ(form->Panel1->x(), (form->Panel2->width() - group) / 2) << "maximised";

    form->showNormal();
    const struct {
        int excess; // window width - group width
        int left;
    } cases[] = {{301, 150}, {8, 4}, {7, 3}, {0, 0}, {-7, -3}, {-8, -4}, {-61, -30}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.excess);
        form->resize(group + c.excess, 300);
        settle();
        ASSERT_EQ(form->Panel2->width(), group + c.excess);
        EXPECT_EQ(form->Panel1->x(), c.left);
        EXPECT_EQ(form->Panel1->width(), group) << "the group keeps its size";
    }
}

TEST(Formtpbjyl, RunsModallyAndBackEndsExec) {
    TFormtpbjyl form(QStringLiteral("/nonexistent/snap.jpg"));
    bool checked = false;
    QTimer::singleShot(0, &form, [&] {
        checked = true;
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(form.isMaximized());
        EXPECT_EQ(QApplication::activeModalWidget(), &form);
        EXPECT_EQ(form.windowTitle(), QStringLiteral("图片预览"));
        form.SpeedButton6->click();
    });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(form.isVisible());
}

} // namespace
