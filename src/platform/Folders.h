#pragma once

#include <QString>

// Folder operations of the program folder. Failures are not reported: the
// callers go on without the folder, as the program always has.

// The folder of the program file, ending in '/'.
QString programFolderOf(const QString& programFilePath);

// Makes one folder, one level deep: when its parent is missing nothing is
// made. Returns whether the folder exists afterwards.
bool makeFolder(const QString& path);

// Deletes a folder with everything in it, permanently, then makes it again
// (one level deep).
void recreateFolder(const QString& path);
