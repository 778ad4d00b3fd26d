#pragma once

#include <QString>
#include <stdexcept>

// A write to a profile file that could not be carried out. what() is the
// UTF-8 text "Unable to write to <path>"; message() is the same text.
class ProfileWriteError : public std::runtime_error {
public:
    explicit ProfileWriteError(const QString& path);

    QString message() const;
    QString path() const { return m_path; }

private:
    QString m_path;
};

// One INI ("profile") file, read and written by the rules of the classic
// profile-string functions:
//
// - The file is a list of "[section]" headers followed by "key=value" lines.
//   Section and key names are compared without regard to case; the first
//   matching section and, in it, the first matching key count.
// - Blanks around names and values are trimmed, and a value enclosed in a
//   matching pair of single or double quotes is returned without them.
// - A line whose first non-blank character is ';' is a comment.
// - A missing file, section or key, or a key line without '=', gives the
//   default (with its trailing blanks removed). The text returned is cut to
//   bufferSize - 1 characters, so 2047 with the default buffer.
// - The file is UTF-8; an initial byte order mark and "\r\n" line ends are
//   accepted on reading, and every line is written with "\n".
//
// Every call reads the file afresh; nothing is cached. writeString() rewrites
// the whole file: an existing key line is replaced where it stands (keeping
// the spelling of its name), a new key goes after the last line of its
// section, and a missing section is appended with its name as given. Every
// other line, comment included, is kept as it was. A missing file is made.
// The new text replaces the old file in one step, so a crash part-way never
// leaves a half-written file. A value is written as given and should hold no
// line break.
//
// Errors: reading never fails (an unreadable file gives the default).
// writeString() throws ProfileWriteError when the file cannot be written:
// the path is a folder, its folder is missing, the file carries no write
// permission bit at all (checked from the bits, so the rule also holds for
// root), or the file cannot be read back or replaced. The file is then left
// as it was.
//
// Thread: the user-interface thread only. Two objects on the same path see
// each other's writes because nothing is cached.
class ProfileFile {
public:
    explicit ProfileFile(QString path);

    QString path() const { return m_path; }

    QString readString(const QString& section, const QString& key, const QString& defaultValue,
                       int bufferSize = 2048) const;
    void writeString(const QString& section, const QString& key, const QString& value);

private:
    QString m_path;
};
