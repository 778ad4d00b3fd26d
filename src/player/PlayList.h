#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The path list of the play list: an ordered list of entry texts, each with
// a mark, and a current position. The grid `sglist` (FileListGrid) shows the
// same entries in the same order; entry i is grid row i + 1. Within the
// program only the grid adds, removes and moves entries, so that the two
// stay in step; marks and the current position are set by whoever works on
// the list (the recording archive, dropped files, the search).
//
// An entry text is the entry's 1-based number padded on the right with
// blanks to at least 4 characters, a dot and the full path of the file:
// "1   ./rec/clip.avi", "12345./rec/clip.avi". The number never contains a
// dot, so the path is everything after the first one, even when folder
// names contain dots.
//
// A plain value type; user-interface thread only, like the grid. Indexes out
// of range are no error: reads give an empty text or false, writes do nothing.
class PlayList {
public:
    // File-name helpers. Paths use '/' as the folder separator; the
    // extension is what follows the last dot of the file name (not of the
    // folders), and a file name without a dot has none.
    //
    // The extension with its dot, as written (".Mp3"); empty when none.
    static QString extension(const QString& path);
    // The type shown in the grid: the extension without its dot ("Mp3").
    static QString fileType(const QString& path);
    // The file name without folder, last extension and dot ("clip").
    static QString fileTitle(const QString& path);
    // The fixed extension lists, compared without regard to letter case.
    static const QStringList& audioExtensions(); // .MPGA .MP3 .MP2 .WAV .MIDI .MID .WMA
    static const QStringList& videoExtensions(); // .DAT .MPG .AVI
    static bool isAudioFile(const QString& path);
    static bool isVideoFile(const QString& path);
    // Audio or video: what a drop adds to the list.
    static bool isMediaFile(const QString& path);

    // Entry texts.
    static QString entryText(int number, const QString& path);
    // Everything after the first dot; empty when there is none.
    static QString pathOfEntryText(const QString& entryText);

    int count() const { return static_cast<int>(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    QStringList entries() const;
    QString entry(int index) const;

    // The path of the entry at `index`.
    QString EntryPath(int index) const;
    // Whether the entry's extension, upper-cased, is in the video list.
    bool IsVideoEntry(int index) const;
    // Rewrites the entries from `from` to the last with the number index + 1
    // and their own paths (after removals and moves).
    void RenumberEntries(int from);

    // Appends an entry numbered count + 1; returns its index.
    int append(const QString& path);
    // Removes an entry with its mark. The entries after it keep their texts
    // until RenumberEntries. The current position keeps pointing at the
    // same entry; when that entry is the one removed it points at the entry
    // that took its place, or at the new last entry, or 0 when none is left.
    void removeAt(int index);
    // Moves an entry with its mark so that it ends at index `to`, and
    // renumbers the entries between. The current position follows the entry
    // it pointed at.
    void move(int from, int to);
    void clear();

    bool isMarked(int index) const;
    void setMarked(int index, bool marked);
    void markAll();
    void clearMarks();
    QList<int> markedIndexes() const;

    // 0 while nothing has set it.
    int currentPosition() const { return m_current; }
    // False (nothing changes) for an index that is not an entry's.
    bool setCurrentPosition(int index);

private:
    struct Entry {
        QString text;
        bool marked = false;
    };
    bool valid(int index) const { return index >= 0 && index < count(); }

    QList<Entry> m_entries;
    int m_current = 0;
};
