#pragma once

#include <QIcon>

// The program's icon (window and tray): a camera drawn at run time.
QIcon appIcon();
