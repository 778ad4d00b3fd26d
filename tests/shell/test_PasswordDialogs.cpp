// The entry and exit password dialogs.
#include "FakeMessageService.h"
#include "TFormlogin.h"
#include "TFormlogout.h"
#include "TGlobal.h"
#include "TempDir.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Runs `steps` one after the other inside the dialog's own modal loop, then
// makes sure the dialog is closed so that a failing test cannot hang.
bool askWith(PasswordDialog& d, std::vector<std::function<void(PasswordDialog&)>> steps) {
    auto queue =
        std::make_shared<std::vector<std::function<void(PasswordDialog&)>>>(std::move(steps));
    auto next = std::make_shared<std::function<void()>>();
    *next = [&d, queue, next] {
        if (!d.isVisible()) {
            QTimer::singleShot(10, *next);
            return;
        }
        if (queue->empty()) {
            d.done(QDialog::Rejected);
            return;
        }
        auto step = queue->front();
        queue->erase(queue->begin());
        step(d);
        if (d.isVisible())
            QTimer::singleShot(0, *next);
    };
    QTimer::singleShot(0, *next);
    return d.ask();
}

auto type(const QString& text) {
    return [text](PasswordDialog& d) {
        QTest::keyClicks(d.edit(), text);
    };
}
auto clickOk = [](PasswordDialog& d) {
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
};
auto clickBack = [](PasswordDialog& d) {
    QTest::mouseClick(d.backButton(), Qt::LeftButton);
};
auto press(Qt::Key key) {
    return [key](PasswordDialog& d) {
        QTest::keyClick(&d, key);
    };
}
auto expectOpen = [](PasswordDialog& d) {
    EXPECT_TRUE(d.isVisible());
};

struct Dialogs : ::testing::TestWithParam<bool> {
    TempDir dir;
    TGlobal global{dir.file(QStringLiteral("kelvor"))};
    FakeMessageService messages;
    std::unique_ptr<PasswordDialog> dialog;

    Dialogs() {
        global.strjrmm = QStringLiteral("Secret1");
        if (GetParam())
            dialog = std::make_unique<TFormlogin>(global, messages);
        else
            dialog = std::make_unique<TFormlogout>(global, messages);
    }
};

TEST_P(Dialogs, CaptionSizeAndButtons) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Kelvor视频监控录像软件"));
    EXPECT_EQ(dialog->size(), GetParam() ? QSize(317, 178) : QSize(319, 177));
    EXPECT_EQ(dialog->backButton()->text(),
              GetParam() ? QStringLiteral("退出") : QStringLiteral("返回"));
    EXPECT_EQ(dialog->edit()->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(dialog->okButton()->isDefault());
    EXPECT_FALSE(dialog->okButton()->autoDefault());
}

TEST_P(Dialogs, TheExactPasswordPasses) {
    EXPECT_TRUE(askWith(*dialog, {type(QStringLiteral("Secret1")), clickOk}));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_P(Dialogs, WrongCaseOrEmptyIsRefusedAndTheDialogStaysForAnotherTry) {
    const bool passed = askWith(*dialog, {type(QStringLiteral("secret1")), clickOk, expectOpen,
                                          [](PasswordDialog& d) { d.edit()->clear(); }, clickOk,
                                          expectOpen, type(QStringLiteral("Secret1")), clickOk});
    EXPECT_TRUE(passed);
    EXPECT_EQ(messages.shown,
              (QStringList{QStringLiteral("登录密码不对！"), QStringLiteral("登录密码不对！")}));
}

TEST_P(Dialogs, TheOtherButtonClosesNotPassedAndEnterOrEscapeDoNothing) {
    const bool passed =
        askWith(*dialog, {type(QStringLiteral("Secret1")), press(Qt::Key_Return), expectOpen,
                          press(Qt::Key_Escape), expectOpen, clickBack});
    EXPECT_FALSE(passed);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_P(Dialogs, TheFieldIsClearedEachTimeTheDialogShows) {
    askWith(*dialog, {type(QStringLiteral("abc")), clickBack});
    bool wasEmpty = false;
    askWith(*dialog,
            {[&](PasswordDialog& d) { wasEmpty = d.edit()->text().isEmpty(); }, clickBack});
    EXPECT_TRUE(wasEmpty);
}

INSTANTIATE_TEST_SUITE_P(LoginAndLogout, Dialogs, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return std::string(p.param ? "TFormlogin" : "TFormlogout");
                         });

} // namespace
