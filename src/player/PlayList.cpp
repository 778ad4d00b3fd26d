#include "PlayList.h"

#include <algorithm>

namespace {

constexpr int kNumberWidth = 4;

// The position of the dot that starts the extension, or -1.
qsizetype extensionDot(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.indexOf(QLatin1Char('/'), dot) >= 0)
        return -1;
    return dot;
}

qsizetype fileNameStart(const QString& path) {
    return path.lastIndexOf(QLatin1Char('/')) + 1;
}

bool inList(const QStringList& list, const QString& path) {
    return list.contains(PlayList::extension(path), Qt::CaseInsensitive);
}

} // namespace

QString PlayList::extension(const QString& path) {
    const qsizetype dot = extensionDot(path);
    return dot < 0 ? QString() : path.mid(dot);
}

QString PlayList::fileType(const QString& path) {
    return extension(path).mid(1);
}

QString PlayList::fileTitle(const QString& path) {
    const qsizetype start = fileNameStart(path);
    const qsizetype dot = extensionDot(path);
    // A name without an extension is kept whole.
    return dot < 0 ? path.mid(start) : path.mid(start, dot - start);
}

const QStringList& PlayList::audioExtensions() {
    static const QStringList list{
        QStringLiteral(".MPGA"), QStringLiteral(".MP3"),  QStringLiteral(".MP2"),
        QStringLiteral(".WAV"),  QStringLiteral(".MIDI"), QStringLiteral(".MID"),
        QStringLiteral(".WMA"),
    };
    return list;
}

const QStringList& PlayList::videoExtensions() {
    static const QStringList list{QStringLiteral(".DAT"), QStringLiteral(".MPG"),
                                  QStringLiteral(".AVI")};
    return list;
}

bool PlayList::isAudioFile(const QString& path) {
    return inList(audioExtensions(), path);
}

bool PlayList::isVideoFile(const QString& path) {
    return inList(videoExtensions(), path);
}

bool PlayList::isMediaFile(const QString& path) {
    return isAudioFile(path) || isVideoFile(path);
}

QString PlayList::entryText(int number, const QString& path) {
    return QString::number(number).leftJustified(kNumberWidth, QLatin1Char(' ')) +
           QLatin1Char('.') + path;
}

QString PlayList::pathOfEntryText(const QString& entryText) {
    const qsizetype dot = entryText.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : entryText.mid(dot + 1);
}

QStringList PlayList::entries() const {
    QStringList texts;
    texts.reserve(m_entries.size());
    for (const Entry& e : m_entries)
        texts.append(e.text);
    return texts;
}

QString PlayList::entry(int index) const {
    return valid(index) ? m_entries[index].text : QString();
}

QString PlayList::EntryPath(int index) const {
    return pathOfEntryText(entry(index));
}

bool PlayList::IsVideoEntry(int index) const {
    return valid(index) && isVideoFile(EntryPath(index));
}

void PlayList::RenumberEntries(int from) {
    for (int i = std::max(from, 0); i < count(); ++i)
        m_entries[i].text = entryText(i + 1, EntryPath(i));
}

int PlayList::append(const QString& path) {
    m_entries.append(Entry{entryText(count() + 1, path), false});
    return count() - 1;
}

void PlayList::removeAt(int index) {
    if (!valid(index))
        return;
    m_entries.removeAt(index);
    if (m_current > index)
        --m_current;
    m_current = std::clamp(m_current, 0, std::max(count() - 1, 0));
}

void PlayList::move(int from, int to) {
    if (!valid(from) || !valid(to) || from == to)
        return;
    m_entries.move(from, to);
    if (m_current == from)
        m_current = to;
    else if (from < m_current && m_current <= to)
        --m_current;
    else if (to <= m_current && m_current < from)
        ++m_current;
    const int first = std::min(from, to);
    const int last = std::max(from, to);
    for (int i = first; i <= last; ++i)
        m_entries[i].text = entryText(i + 1, EntryPath(i));
}

void PlayList::clear() {
    m_entries.clear();
    m_current = 0;
}

bool PlayList::isMarked(int index) const {
    return valid(index) && m_entries[index].marked;
}

void PlayList::setMarked(int index, bool marked) {
    if (valid(index))
        m_entries[index].marked = marked;
}

void PlayList::markAll() {
    for (Entry& e : m_entries)
        e.marked = true;
}

void PlayList::clearMarks() {
    for (Entry& e : m_entries)
        e.marked = false;
}

QList<int> PlayList::markedIndexes() const {
    QList<int> marked;
    for (int i = 0; i < count(); ++i) {
        if (m_entries[i].marked)
            marked.append(i);
    }
    return marked;
}

bool PlayList::setCurrentPosition(int index) {
    if (!valid(index))
        return false;
    m_current = index;
    return true;
}
