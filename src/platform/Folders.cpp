#include "Folders.h"

#include <QDir>
#include <QFileInfo>

QString programFolderOf(const QString& programFilePath) {
    QString folder = QFileInfo(programFilePath).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

bool makeFolder(const QString& path) {
    if (path.isEmpty())
        return false;
    QDir dir;
    if (dir.exists(path))
        return true;
    return dir.mkdir(path);
}

void recreateFolder(const QString& path) {
    if (path.isEmpty())
        return;
    QDir dir(path);
    if (dir.exists())
        dir.removeRecursively();
    makeFolder(path);
}
