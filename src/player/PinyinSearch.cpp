#include "PinyinSearch.h"

#include "FileListGrid.h"
#include "IMCode.h"
#include "TFrmSelSameItem.h"

#include <QKeyEvent>
#include <QLineEdit>

PinyinSearch::PinyinSearch(QLineEdit& PYEdit, FileListGrid& sglist, Play play, Choose choose,
                           QObject* parent)
    : QObject(parent), m_edit(PYEdit), m_grid(sglist), m_play(std::move(play)),
      m_choose(std::move(choose)) {
    if (!m_choose)
        m_choose = [this](const FileListGrid& grid, const QString& typed) {
            return ChooseSameItem(grid, typed, m_edit.window());
        };
    m_edit.setObjectName(QStringLiteral("PYEdit"));
    m_edit.setToolTip(QStringLiteral("输入歌名的<拼音首字母>"));
    m_edit.setEnabled(false);
    m_edit.installEventFilter(this);
    connect(&m_edit, &QLineEdit::textChanged, this, &PinyinSearch::PYEditChange);
}

void PinyinSearch::activate() {
    m_active = true;
    m_edit.setEnabled(true);
    m_edit.setFocus(Qt::ShortcutFocusReason);
}

void PinyinSearch::deactivate() {
    m_active = false;
    m_edit.setEnabled(false);
}

void PinyinSearch::PYEditChange(const QString& text) {
    PlayList& list = m_grid.playList();
    if (list.isEmpty())
        return;
    const int i = findPinyinMatch(m_grid.searchKeys(), text, 0);
    if (i < 0)
        return;
    list.clearMarks();
    list.setMarked(i, true);
    list.setCurrentPosition(i);
    m_grid.setCurrentCell(i + 1, 1);
}

void PinyinSearch::enterPressed() {
    PlayList& list = m_grid.playList();
    const QString typed = m_edit.text();
    if (!list.isEmpty() &&
        findPinyinMatch(m_grid.searchKeys(), typed, list.currentPosition() + 1) >= 0) {
        m_choosing = true;
        const int number = m_choose(m_grid, typed);
        m_choosing = false;
        if (number < 0) {
            activate(); // cancelled: the field stays active with its text
            return;
        }
        list.setCurrentPosition(number - 1);
    }
    if (!list.isEmpty())
        m_play(list.currentPosition());
    m_edit.clear();
    deactivate();
    m_grid.setFocus();
}

void PinyinSearch::escapePressed() {
    m_edit.clear();
    deactivate();
}

bool PinyinSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_edit) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                enterPressed();
                return true;
            }
            if (key == Qt::Key_Escape) {
                escapePressed();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut && m_active && !m_choosing) {
            deactivate();
        }
    }
    return QObject::eventFilter(watched, event);
}
