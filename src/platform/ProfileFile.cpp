#include "ProfileFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <utility>

namespace {

QString writeErrorText(const QString& path) {
    return QStringLiteral("Unable to write to ") + path;
}

// One line of the file as the lookup sees it.
struct ParsedLine {
    enum class Kind { Blank, Comment, Header, Entry };
    Kind kind = Kind::Blank;
    QString name;          // section name for a header, key name for an entry
    QString value;         // trimmed text after '='
    bool hasValue = false; // a key line without '=' has no value
};

ParsedLine parseLine(const QString& text) {
    ParsedLine line;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return line;
    if (t.startsWith(QLatin1Char(';'))) {
        line.kind = ParsedLine::Kind::Comment;
        return line;
    }
    if (t.startsWith(QLatin1Char('['))) {
        // Anything after the closing bracket is ignored. A '[' without one is
        // an ordinary key line, as it is for the system's own reader.
        const qsizetype close = t.lastIndexOf(QLatin1Char(']'));
        if (close > 0) {
            line.kind = ParsedLine::Kind::Header;
            line.name = t.mid(1, close - 1).trimmed();
            return line;
        }
    }
    line.kind = ParsedLine::Kind::Entry;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq < 0) {
        line.name = t;
        return line;
    }
    line.name = t.left(eq).trimmed();
    line.value = t.mid(eq + 1).trimmed();
    line.hasValue = true;
    return line;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString unquoted(const QString& value) {
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

QString withoutTrailingBlanks(QString text) {
    while (!text.isEmpty() && (text.back() == QLatin1Char(' ') || text.back() == QLatin1Char('\t')))
        text.chop(1);
    return text;
}

QStringList splitLines(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    // A final line end does not open one more line.
    if (lines.back().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

// Whether the permission bits allow writing for anybody. Checked from the
// bits rather than by trying, because root would be let through regardless.
bool hasAnyWriteBit(const QFileInfo& info) {
    return (info.permissions() &
            (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther)) != 0;
}

} // namespace

ProfileWriteError::ProfileWriteError(const QString& path)
    : std::runtime_error(writeErrorText(path).toStdString()), m_path(path) {}

QString ProfileWriteError::message() const {
    return QString::fromUtf8(what());
}

ProfileFile::ProfileFile(QString path) : m_path(std::move(path)) {}

QString ProfileFile::readString(const QString& section, const QString& key,
                                const QString& defaultValue, int bufferSize) const {
    if (bufferSize <= 0)
        return {};
    const QString wantedSection = section.trimmed();
    const QString wantedKey = key.trimmed();

    QString result = withoutTrailingBlanks(defaultValue);
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly)) {
        bool inSection = false;
        for (const QString& text : splitLines(file.readAll())) {
            const ParsedLine line = parseLine(text);
            if (line.kind == ParsedLine::Kind::Header) {
                // Only the first section of that name is searched.
                if (inSection)
                    break;
                inSection = sameName(line.name, wantedSection);
            } else if (inSection && line.kind == ParsedLine::Kind::Entry &&
                       sameName(line.name, wantedKey)) {
                if (line.hasValue)
                    result = unquoted(line.value);
                break;
            }
        }
    }
    return result.left(bufferSize - 1);
}

void ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
    const QString wantedSection = section.trimmed();
    const QString wantedKey = key.trimmed();

    const QFileInfo info(m_path);
    if (info.isDir() || (info.exists() && !hasAnyWriteBit(info)))
        throw ProfileWriteError(m_path);

    QStringList lines;
    if (info.exists()) {
        QFile current(m_path);
        // Rewriting a file we cannot read would lose its other lines.
        if (!current.open(QIODevice::ReadOnly))
            throw ProfileWriteError(m_path);
        lines = splitLines(current.readAll());
    }

    qsizetype header = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const ParsedLine line = parseLine(lines.at(i));
        if (line.kind == ParsedLine::Kind::Header && sameName(line.name, wantedSection)) {
            header = i;
            break;
        }
    }

    if (header < 0) {
        if (!lines.isEmpty() && !lines.back().trimmed().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + wantedSection + QLatin1Char(']'));
        lines.append(wantedKey + QLatin1Char('=') + value);
    } else {
        qsizetype lastOfSection = header;
        bool replaced = false;
        for (qsizetype i = header + 1; i < lines.size(); ++i) {
            const ParsedLine line = parseLine(lines.at(i));
            if (line.kind == ParsedLine::Kind::Header)
                break;
            if (line.kind == ParsedLine::Kind::Entry && sameName(line.name, wantedKey)) {
                // The key keeps the spelling it has in the file.
                lines[i] = line.name + QLatin1Char('=') + value;
                replaced = true;
                break;
            }
            if (line.kind != ParsedLine::Kind::Blank)
                lastOfSection = i;
        }
        // A new key goes before the blank lines that part this section from
        // the next one.
        if (!replaced)
            lines.insert(lastOfSection + 1, wantedKey + QLatin1Char('=') + value);
    }

    QString text;
    for (const QString& line : std::as_const(lines)) {
        text += line;
        text += QLatin1Char('\n');
    }
    const QByteArray bytes = text.toUtf8();

    QSaveFile out(m_path);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        throw ProfileWriteError(m_path);
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        throw ProfileWriteError(m_path);
    }
    if (!out.commit())
        throw ProfileWriteError(m_path);
}
