#include "ReplayPage.h"

#include "FrameRing.h"
#include "PictureView.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

ReplayPage::ReplayPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet6"));
    Button1 = new QPushButton(QStringLiteral("<   (F10)"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral(">   (F11)"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("返回"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    ImageEnView14 = new PictureView(this);
    ImageEnView14->setObjectName(QStringLiteral("ImageEnView14"));
    ImageEnView14->setAutoFit(true);
    ImageEnView14->setGradientBackground(QColor(0x20, 0x30, 0x48), QColor(0x70, 0x88, 0xa8));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(ImageEnView14, 1);
}

void ReplayPage::bind(FrameRing& ring) {
    m_ring = &ring;
    connect(&ring, &FrameRing::changed, this, &ReplayPage::showState);
    connect(Button1, &QPushButton::clicked, &ring, &FrameRing::N40Click);
    connect(Button2, &QPushButton::clicked, &ring, &FrameRing::N38Click);
    showState();
}

void ReplayPage::showState() { ImageEnView14->setPicture(m_ring->view14()); }
