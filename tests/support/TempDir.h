#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
