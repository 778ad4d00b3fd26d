#include "TFrmSelSameItem.h"

#include "FileListGrid.h"
#include "IMCode.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QColor kMoneyGreen(192, 220, 192);
const QColor kSkyBlue(166, 202, 240);
const QColor kOddRow(201, 224, 201);
const QColor kEvenRow(186, 205, 224);

// Draws the list as the play list's own grid does: a header row, rows in
// alternating light green and light blue, the selection navy with yellow
// text, dash-dot-dot lines after the header row and the number column.
class SameListDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int row = index.row();
        const int column = index.column();
        const bool selected = option.state & QStyle::State_Selected;
        QColor fill = row == 0 ? kSkyBlue : (row % 2 ? kOddRow : kEvenRow);
        QColor text = row == 0 ? QColor(Qt::darkBlue) : QColor(Qt::black);
        if (selected && row > 0) {
            fill = QColor(Qt::darkBlue);
            text = QColor(Qt::yellow);
        }
        p->save();
        p->fillRect(option.rect, fill);
        QFont font(QStringLiteral("宋体"), 9);
        p->setFont(font);
        p->setPen(text);
        const Qt::Alignment align =
            (row == 0 || column == 0) ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter);
        p->drawText(option.rect.adjusted(2, 0, -2, 0), align | Qt::TextSingleLine,
                    index.data().toString());
        if (row == 0 || column == 0) {
            QPen pen(option.palette.color(QPalette::Button), 2, Qt::DashDotDotLine);
            p->setPen(pen);
            p->drawLine(option.rect.topRight(), option.rect.bottomRight());
            p->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        }
        if (option.state & QStyle::State_HasFocus) {
            p->setPen(QPen(text, 1, Qt::DotLine));
            p->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        p->restore();
    }
};

} // namespace

TFrmSelSameItem::TFrmSelSameItem(const FileListGrid& grid, const QString& typed, QWidget* parent)
    : QDialog(parent), SameList(new QTableWidget(this)) {
    setObjectName(QStringLiteral("FrmSelSameItem"));
    setWindowTitle(QStringLiteral("请选择其中一项，然后按回车，取消按Esc"));
    setModal(true);
    resize(457, 341);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    SameList->setObjectName(QStringLiteral("SameList"));
    SameList->setColumnCount(3);
    SameList->horizontalHeader()->hide();
    SameList->verticalHeader()->hide();
    SameList->verticalHeader()->setDefaultSectionSize(16);
    SameList->setColumnWidth(0, 30);
    SameList->setColumnWidth(1, 150);
    SameList->setColumnWidth(2, 250);
    SameList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SameList->setSelectionMode(QAbstractItemView::SingleSelection);
    SameList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SameList->setItemDelegate(new SameListDelegate(SameList));
    QPalette pal = SameList->palette();
    pal.setColor(QPalette::Base, kMoneyGreen);
    SameList->setPalette(pal);

    auto add = [this](const QString& a, const QString& b, const QString& c) {
        const int r = SameList->rowCount();
        SameList->insertRow(r);
        SameList->setItem(r, 0, new QTableWidgetItem(a));
        SameList->setItem(r, 1, new QTableWidgetItem(b));
        SameList->setItem(r, 2, new QTableWidgetItem(c));
    };
    add(QStringLiteral("No."), QStringLiteral("名称"), QStringLiteral(" "));
    const QStringList& keys = grid.searchKeys();
    const int firstEntry = std::max(0, grid.currentRow() - 1);
    for (int i = findPinyinMatch(keys, typed, firstEntry); i >= 0;
         i = findPinyinMatch(keys, typed, i + 1)) {
        const int row = i + 1;
        add(grid.GetListCell(QStringLiteral("No."), row),
            grid.GetListCell(QStringLiteral("名称"), row),
            grid.GetListCell(QStringLiteral("全名"), row));
    }
    if (SameList->rowCount() > 1)
        SameList->setCurrentCell(1, 1);
    connect(SameList, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row > 0)
            choose();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(SameList);
}

void TFrmSelSameItem::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        choose();
        return;
    case Qt::Key_Escape:
        m_chosen = -1;
        reject();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TFrmSelSameItem::choose() {
    const int row = SameList->currentRow();
    bool ok = false;
    const int number =
        row > 0 && SameList->item(row, 0) ? SameList->item(row, 0)->text().toInt(&ok) : 0;
    m_chosen = ok ? number : -1;
    if (m_chosen < 0) {
        reject();
        return;
    }
    accept();
}

int ChooseSameItem(const FileListGrid& grid, const QString& typed, QWidget* parent) {
    TFrmSelSameItem dialog(grid, typed, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenNumber() : -1;
}
