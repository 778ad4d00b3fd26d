#pragma once

#include "PlayList.h"

#include <QPixmap>
#include <QRgb>
#include <QStringList>
#include <QTableView>

class FileListModel;

// The play list grid `sglist` of the playback page, together with the path
// list it shows (PlayList), which it owns and keeps in the same order: entry
// i of the path list is grid row i + 1.
//
// Rows are counted as the grid shows them: row 0 is the header row, whose
// cells hold the column keys, and data rows start at 1. The grid never has
// fewer than 2 rows; with an empty list row 1 is a blank row. Every read and
// write of a cell finds its column by its key (the header text), so the
// user may drag columns anywhere. The "No." column (the first one) stays in
// front: it is the fixed column by which rows are dragged.
//
// The grid keeps the pinyin search key of every row's "名称" cell up to date
// (searchKeys), so that the keyboard search of the list converts nothing.
//
// Add, remove and move entries only through the grid; marks and the current
// position of the path list may be set directly on playList(). There is no
// in-place editing. User-interface thread only.
class FileListGrid final : public QTableView {
    Q_OBJECT
public:
    // The keys of the columns in their initial order, and their widths.
    static const QStringList& columnKeys();
    static const QList<int>& columnWidths();
    // Background and header colour (sky blue).
    static constexpr QRgb kSkyBlue = 0xFFA6CAF0;
    static constexpr int kRowHeight = 16;
    // Where the background picture starts: the grid's pixel (x, y) of its
    // empty area shows the picture's pixel ((x + 54) mod w, (y + 38) mod h).
    static constexpr int kPictureOffsetX = 54;
    static constexpr int kPictureOffsetY = 38;
    // The comment cell of an MP3 file whose tag cannot be read.
    static QString readErrorMarker() { return QStringLiteral("*读取出错*"); }

    explicit FileListGrid(QWidget* parent = nullptr);
    ~FileListGrid() override;

    PlayList& playList() { return m_list; }
    const PlayList& playList() const { return m_list; }

    // Appends a file (which need not exist) to the path list and the grid
    // and returns the index of its entry. For an MP3 file the ID3v1 tag
    // fills the tag columns.
    int AddPlayFile(const QString& path);
    // Removes entry k from the path list and its row from the grid; the rows
    // below move up and everything is renumbered. Removing the last entry
    // leaves the blank row 1. An index that is not an entry's does nothing.
    void RemoveEntry(int k);
    // Back to the start: no entries, one blank row.
    void clearList();

    // The position of the first column (in the order shown) of `grid` whose
    // header text equals `key` exactly, or -1.
    static int FindListColumn(const QTableView& grid, const QString& key);
    int FindListColumn(const QString& key) const { return FindListColumn(*this, key); }
    // The cell of the column with that key in grid row `row`; row 0 is the
    // header. An unknown key or a row that does not exist reads as empty and
    // is not written.
    QString GetListCell(const QString& key, int row) const;
    void SetListCell(const QString& key, const QString& text, int row);

    // The path list's operations, for callers that hold the grid.
    QString EntryPath(int index) const { return m_list.EntryPath(index); }
    bool IsVideoEntry(int index) const { return m_list.IsVideoEntry(index); }
    void RenumberEntries(int from) { m_list.RenumberEntries(from); }

    // Rows including the header row.
    int gridRowCount() const;
    // The current cell: grid row (1 when there is none) and column position.
    int currentRow() const;
    int currentColumn() const;
    // Makes the cell current and selected, and scrolls it into view.
    void setCurrentCell(int row, int column);

    // Moves data row `from` to position `to` (grid rows), as a drag by the
    // "No." cell does: the rows between are renumbered and the path list
    // follows, each entry with its mark.
    void moveRow(int from, int to);

    // The search key of each data row's "名称" cell (pinyinSearchKey); the
    // key of data row r is at r - 1.
    const QStringList& searchKeys() const;

    // The picture repeated over the empty area below and beside the rows;
    // a null image removes it (the area is sky blue again).
    void setBackgroundPicture(const QImage& picture);
    bool hasBackgroundPicture() const { return !m_picture.isNull(); }

Q_SIGNALS:
    // A row was dragged (grid rows).
    void rowMoved(int from, int to);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // The model column of a key, or -1.
    int columnOfKey(const QString& key) const;
    int dragTargetAt(int y) const;
    void keepFixedColumnFirst(int column, int from, int to);

    PlayList m_list;
    FileListModel* m_model;
    QPixmap m_picture;
    int m_dragFrom = 0; // grid row being dragged, 0 when none
    int m_dragTo = 0;
    int m_wheelRemainder = 0;
};
