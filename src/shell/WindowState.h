#pragma once

#include <QRect>
#include <QSize>

class RegistryKey;

// The main window's own appearance kept in the registry key: the
// list-background flag, the player volume state, and the window's height,
// width, top edge and whether the list part is shown.
struct WindowStateData {
    bool imgFace = true;  // list-background flag ("ImgFace")
    int volume = 23;      // player volume state, 0 to 51 ("Volume")
    int listHeight = 290; // height of the window with the list shown ("WinHeight")
    QRect bounds;         // the window's restored bounds
};

inline constexpr int kMinWindowWidth = 402;
inline constexpr int kMinWindowHeight = 138;

// LoadWindowState: reads the values into `state`, writing the first-run value
// of each missing one, and centres the window horizontally on `screen`. A
// failed write throws RegistryError and ends the load at that value; what was
// applied before it stays applied.
void loadWindowState(RegistryKey& key, const QSize& screen, WindowStateData& state);

// SaveWindowState: writes the six values from `state` (bounds as they are at
// closing). Throws RegistryError on a failed write.
void saveWindowState(RegistryKey& key, const WindowStateData& state);
