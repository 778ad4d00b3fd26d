#include "TFormtsxx.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

TFormtsxx::TFormtsxx(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Formtsxx"));
    setFixedSize(402, 86);
    auto* label = new QLabel(QStringLiteral("系统正在退出，请稍等......"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("color: blue; font-weight: bold; font-size: 16px;"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
}

void TFormtsxx::showNow() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->availableGeometry();
        move(desk.center() - rect().center());
    }
    show();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
