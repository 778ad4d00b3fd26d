#include "WindowState.h"

#include "RegistryKey.h"

#include <QString>

namespace {
const QString kImgFace = QStringLiteral("ImgFace");
const QString kVolume = QStringLiteral("Volume");
const QString kWinHeight = QStringLiteral("WinHeight");
const QString kWinWidth = QStringLiteral("WinWidth");
const QString kWinTop = QStringLiteral("WinTop");
const QString kShowList = QStringLiteral("ShowList");
constexpr int kFirstRunHeight = 290;
constexpr int kFirstRunWidth = 402;
} // namespace

void loadWindowState(RegistryKey& key, const QSize& screen, WindowStateData& state) {
    if (key.valueExists(kImgFace))
        state.imgFace = key.readBool(kImgFace);
    else
        key.writeBool(kImgFace, true);

    if (key.valueExists(kVolume))
        state.volume = key.readInteger(kVolume);
    else
        key.writeInteger(kVolume, state.volume);

    if (key.valueExists(kWinHeight)) {
        state.listHeight = key.readInteger(kWinHeight);
    } else {
        key.writeInteger(kWinHeight, kFirstRunHeight);
        state.listHeight = kFirstRunHeight;
    }

    if (key.valueExists(kWinWidth)) {
        state.bounds.setWidth(key.readInteger(kWinWidth));
    } else {
        key.writeInteger(kWinWidth, kFirstRunWidth);
        state.bounds.setWidth(kFirstRunWidth);
    }

    state.bounds.moveLeft((screen.width() - state.bounds.width()) / 2);

    if (key.valueExists(kWinTop)) {
        state.bounds.moveTop(key.readInteger(kWinTop));
    } else {
        state.bounds.moveTop((screen.height() - state.listHeight) / 2);
        key.writeInteger(kWinTop, state.bounds.top());
    }

    if (!key.valueExists(kShowList))
        key.writeBool(kShowList, true);
    else if (key.readBool(kShowList))
        state.bounds.setHeight(state.listHeight);
    else
        state.bounds.setHeight(kMinWindowHeight);
}

void saveWindowState(RegistryKey& key, const WindowStateData& state) {
    key.writeBool(kImgFace, state.imgFace);
    key.writeInteger(kVolume, state.volume);
    key.writeBool(kShowList, state.bounds.height() != kMinWindowHeight);
    key.writeInteger(kWinHeight, state.bounds.height());
    key.writeInteger(kWinWidth, state.bounds.width());
    key.writeInteger(kWinTop, state.bounds.top());
}
