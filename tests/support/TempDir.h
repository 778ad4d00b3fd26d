#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <initializer_list>

// A temporary program folder for one test; path() ends without a slash,
// folder() with one, as the program writes its program folder.
class TempDir {
public:
    TempDir() { EXPECT_TRUE(m_dir.isValid()); }
    QString path() const { return m_dir.path(); }
    QString folder() const { return m_dir.path() + QLatin1Char('/'); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

#ifdef KELVOR_TEST_DB_FILE
// Lays out a program folder as the installation does: dat/dzxcb.mdb copied
// from the file the build made, plus the data folders named.
inline void layOutProgramFolder(const TempDir& dir,
                                std::initializer_list<const char*> folders = {}) {
    QDir root(dir.path());
    root.mkdir(QStringLiteral("dat"));
    for (const char* f : folders)
        root.mkdir(QString::fromUtf8(f));
    EXPECT_TRUE(QFile::copy(QStringLiteral(KELVOR_TEST_DB_FILE),
                            dir.file(QStringLiteral("dat/dzxcb.mdb"))));
}
#endif
