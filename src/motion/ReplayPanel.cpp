#include "ReplayPanel.h"

#include "FrameRing.h"
#include "PictureView.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {
// The replay views' gradient background.
const QColor kGradientTop(0x20, 0x30, 0x48);
const QColor kGradientBottom(0x70, 0x88, 0xa8);
} // namespace

ReplayPanel::ReplayPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel15"));
    ImageEnView13 = new PictureView(this);
    ImageEnView13->setObjectName(QStringLiteral("ImageEnView13"));
    ImageEnView13->setAutoFit(true);
    ImageEnView13->setGradientBackground(kGradientTop, kGradientBottom);
    ImageEnView13->setMinimumSize(160, 120);
    Button4 = new QPushButton(QStringLiteral("< (F10)"), this);
    Button4->setObjectName(QStringLiteral("Button4"));
    Button5 = new QPushButton(QStringLiteral("> (F11)"), this);
    Button5->setObjectName(QStringLiteral("Button5"));
    Button7 = new QPushButton(QStringLiteral("放大查看"), this);
    Button7->setObjectName(QStringLiteral("Button7"));
    Button6 = new QPushButton(QStringLiteral("回放退出"), this);
    Button6->setObjectName(QStringLiteral("Button6"));
    lts = new QLabel(QStringLiteral("..."), this);
    lts->setObjectName(QStringLiteral("lts"));
    lts->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    Label52 = new QLabel(QStringLiteral("提示：用于查按下\"抓拍帖回放\"键之后前几秒的图像帧！"), this);
    Label52->setObjectName(QStringLiteral("Label52"));
    Label52->setStyleSheet(QStringLiteral("color: red;"));
    Label52->setWordWrap(true);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(ImageEnView13, 0, 0, 1, 4);
    grid->addWidget(Button4, 1, 0);
    grid->addWidget(Button5, 1, 1);
    grid->addWidget(Button7, 1, 2);
    grid->addWidget(Button6, 1, 3);
    grid->addWidget(lts, 2, 0, 1, 4);
    grid->addWidget(Label52, 3, 0, 1, 4);
    hide();
}

void ReplayPanel::bind(FrameRing& ring) {
    m_ring = &ring;
    connect(&ring, &FrameRing::changed, this, &ReplayPanel::showState);
    connect(Button4, &QPushButton::clicked, &ring, &FrameRing::N40Click);
    connect(Button5, &QPushButton::clicked, &ring, &FrameRing::N38Click);
    connect(Button6, &QPushButton::clicked, &ring, &FrameRing::Button6Click);
    showState();
}

void ReplayPanel::showState() {
    ImageEnView13->setPicture(m_ring->view13());
    lts->setText(m_ring->lts());
    setVisible(m_ring->panelVisible());
}
