#include "QtMessageService.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QMessageBox::Icon toQt(MessageService::Icon icon) {
    switch (icon) {
    case MessageService::Icon::Information:
        return QMessageBox::Information;
    case MessageService::Icon::Warning:
        return QMessageBox::Warning;
    case MessageService::Icon::Error:
        return QMessageBox::Critical;
    case MessageService::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void QtMessageService::show(const QString& text, Icon icon) {
    QMessageBox box(toQt(icon), QString::fromUtf16(kAppTitle), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

bool QtMessageService::askYesNo(const QString& text) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf16(kAppTitle), text,
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    return box.exec() == QMessageBox::Yes;
}
