#include "FileListGrid.h"

#include "IMCode.h"
#include "Mp3Tag.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int kFixedColumn = 0; // model column of "No."
constexpr int kWheelStep = 120;

const QString kNo = QStringLiteral("No.");
const QString kName = QStringLiteral("名称");
const QString kType = QStringLiteral(".");
const QString kFullName = QStringLiteral("全名");
// Title, artist, album, year, comment, genre.
const QString kTagKeys[] = {
    QStringLiteral("标题"), QStringLiteral(".."),    QStringLiteral("..."),
    QStringLiteral("...."), QStringLiteral("....."), QStringLiteral("......"),
};
const QString& kComment = kTagKeys[4];

// ReadId3v1Tag tells a file without a tag by the comment kNoMp3Tag and
// nothing else.
bool hasNoTag(const Mp3Tag& tag) {
    return tag.comment == QString::fromUtf16(kNoMp3Tag) && tag.title.isEmpty() &&
           tag.artist.isEmpty() && tag.album.isEmpty() && tag.year.isEmpty() && tag.genre == 0;
}

} // namespace

// The cells of the grid: one list of texts per data row, the header keys,
// and the search key of each row's "名称" cell.
class FileListModel final : public QAbstractTableModel {
public:
    explicit FileListModel(QObject* parent) : QAbstractTableModel(parent) {
        m_keys = FileListGrid::columnKeys();
        m_nameColumn = static_cast<int>(m_keys.indexOf(kName));
        appendRow();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_keys.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return cell(index.row(), index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return key(section);
        if (orientation == Qt::Vertical && role == Qt::DisplayRole)
            return section + 1;
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    QString cell(int row, int column) const {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
            return {};
        return m_rows[row][column];
    }
    void setCell(int row, int column, const QString& text) {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
            return;
        m_rows[row][column] = text;
        if (column == m_nameColumn)
            m_searchKeys[row] = pinyinSearchKey(text);
        const QModelIndex at = index(row, column);
        Q_EMIT dataChanged(at, at, {Qt::DisplayRole});
    }
    void clearRow(int row) {
        if (row < 0 || row >= rowCount())
            return;
        m_rows[row].fill(QString());
        m_searchKeys[row] = QString();
        Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole});
    }

    QString key(int column) const { return m_keys.value(column); }
    void setKey(int column, const QString& text) {
        if (column < 0 || column >= columnCount())
            return;
        m_keys[column] = text;
        const int nameColumn = static_cast<int>(m_keys.indexOf(kName));
        if (nameColumn != m_nameColumn) {
            m_nameColumn = nameColumn;
            for (int row = 0; row < rowCount(); ++row)
                m_searchKeys[row] = pinyinSearchKey(cell(row, m_nameColumn));
        }
        Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
    }

    void appendRow() {
        const int row = rowCount();
        beginInsertRows({}, row, row);
        m_rows.append(QStringList(m_keys.size()));
        m_searchKeys.append(QString());
        endInsertRows();
    }
    void dropRow(int row) {
        if (row < 0 || row >= rowCount())
            return;
        beginRemoveRows({}, row, row);
        m_rows.removeAt(row);
        m_searchKeys.removeAt(row);
        endRemoveRows();
    }
    void moveRowTo(int from, int to) {
        if (from == to || from < 0 || to < 0 || from >= rowCount() || to >= rowCount())
            return;
        // The destination is the row before which the moved row lands.
        beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
        m_rows.move(from, to);
        m_searchKeys.move(from, to);
        endMoveRows();
    }
    void reset() {
        beginResetModel();
        m_rows = {QStringList(m_keys.size())};
        m_searchKeys = {QString()};
        endResetModel();
    }

    const QStringList& searchKeys() const { return m_searchKeys; }

private:
    QStringList m_keys;
    QList<QStringList> m_rows;
    QStringList m_searchKeys;
    int m_nameColumn = -1;
};

const QStringList& FileListGrid::columnKeys() {
    static const QStringList keys{
        kNo,         kName,       kType,       QStringLiteral("时间"),
        kTagKeys[0], kTagKeys[1], kTagKeys[2], kTagKeys[3],
        kTagKeys[4], kTagKeys[5], kFullName,
    };
    return keys;
}

const QList<int>& FileListGrid::columnWidths() {
    static const QList<int> widths{40, 200, 30, 50, 100, 10, 10, 10, 10, 10, 300};
    return widths;
}

FileListGrid::FileListGrid(QWidget* parent) : QTableView(parent), m_model(new FileListModel(this)) {
    setObjectName(QStringLiteral("sglist"));
    setModel(m_model);

    const QColor sky = QColor::fromRgb(kSkyBlue);
    QPalette p = palette();
    for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::Button})
        p.setColor(role, sky);
    for (const QPalette::ColorRole role :
         {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(role, Qt::black);
    setPalette(p);
    setFont(QFont(QStringLiteral("宋体"), 9));

    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(kRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView* columns = horizontalHeader();
    columns->setMinimumSectionSize(1);
    columns->setFixedHeight(kRowHeight);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setSectionsMovable(true);
    columns->setFirstSectionMovable(false);
    columns->setSectionsClickable(false);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setFont(font());
    columns->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: #a6caf0; "
                       "color: black; border: none; "
                       "border-right: 1px solid #808080; "
                       "border-bottom: 1px solid #808080; padding-left: 2px; }"));
    const QList<int>& widths = columnWidths();
    for (int c = 0; c < widths.size(); ++c)
        setColumnWidth(c, widths[c]);
    connect(columns, &QHeaderView::sectionMoved, this, &FileListGrid::keepFixedColumnFirst);

    setCurrentCell(1, 1);
}

FileListGrid::~FileListGrid() = default;

int FileListGrid::AddPlayFile(const QString& path) {
    if (!m_list.isEmpty())
        m_model->appendRow();
    const int index = m_list.append(path);
    const int row = gridRowCount() - 1;
    m_model->clearRow(row - 1);

    const QString type = PlayList::fileType(path);
    SetListCell(kNo, QString::number(row), row);
    SetListCell(kType, type, row);
    SetListCell(kName, PlayList::fileTitle(path), row);
    SetListCell(kFullName, path, row);

    if (type.toUpper() == QLatin1String("MP3")) {
        Mp3Tag tag;
        if (!ReadId3v1Tag(path, tag)) {
            SetListCell(kComment, readErrorMarker(), row);
        } else if (hasNoTag(tag)) {
            SetListCell(kComment, QString::fromUtf16(kNoMp3Tag), row);
        } else {
            const QString texts[] = {tag.title, tag.artist,  tag.album,
                                     tag.year,  tag.comment, GenreName(tag.genre)};
            for (int i = 0; i < 6; ++i)
                SetListCell(kTagKeys[i], texts[i], row);
        }
    }
    return index;
}

void FileListGrid::RemoveEntry(int k) {
    if (k < 0 || k >= m_list.count())
        return;
    m_list.removeAt(k);
    if (m_list.isEmpty()) {
        m_model->clearRow(0);
    } else {
        // The rows below move up one and the last row goes.
        m_model->dropRow(k);
        for (int row = k + 1; row < gridRowCount(); ++row)
            SetListCell(kNo, QString::number(row), row);
    }
    m_list.RenumberEntries(k);
}

void FileListGrid::clearList() {
    m_list.clear();
    m_model->reset();
    setCurrentCell(1, 1);
}

int FileListGrid::FindListColumn(const QTableView& grid, const QString& key) {
    const QAbstractItemModel* model = grid.model();
    if (!model)
        return -1;
    const QHeaderView* header = grid.horizontalHeader();
    for (int position = 0; position < header->count(); ++position) {
        const int column = header->logicalIndex(position);
        if (model->headerData(column, Qt::Horizontal).toString() == key)
            return position;
    }
    return -1;
}

int FileListGrid::columnOfKey(const QString& key) const {
    const int position = FindListColumn(key);
    return position < 0 ? -1 : horizontalHeader()->logicalIndex(position);
}

QString FileListGrid::GetListCell(const QString& key, int row) const {
    const int column = columnOfKey(key);
    if (column < 0)
        return {};
    return row == 0 ? m_model->key(column) : m_model->cell(row - 1, column);
}

void FileListGrid::SetListCell(const QString& key, const QString& text, int row) {
    const int column = columnOfKey(key);
    if (column < 0)
        return;
    if (row == 0)
        m_model->setKey(column, text);
    else
        m_model->setCell(row - 1, column, text);
}

int FileListGrid::gridRowCount() const {
    return m_model->rowCount() + 1;
}

int FileListGrid::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 1;
}

int FileListGrid::currentColumn() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? horizontalHeader()->visualIndex(current.column()) : 1;
}

void FileListGrid::setCurrentCell(int row, int column) {
    const int logical = horizontalHeader()->logicalIndex(column);
    const QModelIndex at = m_model->index(row - 1, logical);
    if (!at.isValid())
        return;
    setCurrentIndex(at);
    scrollTo(at, QAbstractItemView::EnsureVisible);
}

void FileListGrid::moveRow(int from, int to) {
    const int entries = m_list.count();
    if (from == to || from < 1 || to < 1 || from > entries || to > entries)
        return;
    m_model->moveRowTo(from - 1, to - 1);
    for (int row = std::min(from, to); row <= std::max(from, to); ++row)
        SetListCell(kNo, QString::number(row), row);
    m_list.move(from - 1, to - 1);
    Q_EMIT rowMoved(from, to);
}

const QStringList& FileListGrid::searchKeys() const {
    return m_model->searchKeys();
}

void FileListGrid::setBackgroundPicture(const QImage& picture) {
    m_picture = picture.isNull() ? QPixmap() : QPixmap::fromImage(picture);
    viewport()->update();
}

void FileListGrid::keepFixedColumnFirst(int column, int from, int to) {
    // A move of the fixed column, or of another column in front of it, is
    // undone.
    if ((column == kFixedColumn) != (to == 0))
        horizontalHeader()->moveSection(to, from);
}

int FileListGrid::dragTargetAt(int y) const {
    int row = rowAt(y);
    if (row < 0)
        row = y < 0 ? rowAt(0) : m_model->rowCount() - 1;
    return std::clamp(row + 1, 1, std::max(m_list.count(), 1));
}

void FileListGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_dragFrom == 0) {
        const QModelIndex at = indexAt(event->position().toPoint());
        // A row is dragged by its "No." cell, which is not selected by the
        // press.
        if (at.isValid() && at.column() == kFixedColumn) {
            if (at.row() < m_list.count()) {
                m_dragFrom = m_dragTo = at.row() + 1;
                viewport()->update();
            }
            event->accept();
            return;
        }
    }
    QTableView::mousePressEvent(event);
}

void FileListGrid::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragFrom == 0) {
        QTableView::mouseMoveEvent(event);
        return;
    }
    const int target = dragTargetAt(event->position().toPoint().y());
    if (target != m_dragTo) {
        m_dragTo = target;
        viewport()->update();
    }
    event->accept();
}

void FileListGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragFrom == 0) {
        QTableView::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const int from = m_dragFrom;
    const int to = dragTargetAt(event->position().toPoint().y());
    m_dragFrom = m_dragTo = 0;
    viewport()->update();
    moveRow(from, to);
}

void FileListGrid::wheelEvent(QWheelEvent* event) {
    // Without scroll bars the wheel moves the current row, a row a notch.
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / kWheelStep;
    m_wheelRemainder -= notches * kWheelStep;
    event->accept();
    if (notches == 0 || m_model->rowCount() == 0)
        return;
    const int row = std::clamp(currentRow() - notches, 1, gridRowCount() - 1);
    setCurrentCell(row, currentColumn());
}

void FileListGrid::paintEvent(QPaintEvent* event) {
    if (!m_picture.isNull()) {
        const QRect cells(-horizontalOffset(), -verticalOffset(), horizontalHeader()->length(),
                          verticalHeader()->length());
        const QRegion empty = (QRegion(viewport()->rect()) - cells) & event->region();
        if (!empty.isEmpty()) {
            // The picture is laid out from the grid's own origin, not the
            // viewport's, which sits below the header row.
            const QPoint origin = viewport()->pos();
            const QPoint start((origin.x() + kPictureOffsetX) % m_picture.width(),
                               (origin.y() + kPictureOffsetY) % m_picture.height());
            QPainter painter(viewport());
            painter.setClipRegion(empty);
            painter.drawTiledPixmap(viewport()->rect(), m_picture, start);
        }
    }
    QTableView::paintEvent(event);

    if (m_dragFrom != 0 && m_dragTo != m_dragFrom) {
        // Where the dragged row will land.
        const int row = m_dragTo - 1;
        const int y = rowViewportPosition(row) + (m_dragTo > m_dragFrom ? rowHeight(row) : 0);
        QPainter painter(viewport());
        painter.fillRect(QRect(-horizontalOffset(), y - 1, horizontalHeader()->length(), 2),
                         Qt::black);
    }
}

void FileListGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    // Scrolling copies the pixels, but the picture must stay where it is.
    if (!m_picture.isNull())
        viewport()->update();
}
