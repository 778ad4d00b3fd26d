#pragma once

#include <QObject>
#include <functional>

class FileListGrid;
class QLineEdit;

// The keyboard search of the play list by the pinyin initials of the names.
//
// Alt+T (the main window calls activate()) gives the search field PYEdit the
// focus; the user types without seeing the field and sees the result in the
// grid: every change of the text selects the first entry whose search key
// contains it. Enter plays the match — asking with the same-item dialog when
// entries after it match too — then clears and leaves the field; Esc clears
// and leaves it; losing the focus leaves it. The grid keeps the search keys
// of its names, so a keystroke converts nothing. User-interface thread only.
class PinyinSearch final : public QObject {
    Q_OBJECT
public:
    // Plays the entry with this index of the path list.
    using Play = std::function<void(int index)>;
    // Asks which of several matching entries to play; gives its "No." or -1.
    using Choose = std::function<int(const FileListGrid& grid, const QString& typed)>;

    PinyinSearch(QLineEdit& PYEdit, FileListGrid& sglist, Play play, Choose choose = {},
                 QObject* parent = nullptr);

    void activate();
    bool isActive() const { return m_active; }
    void PYEditChange(const QString& text);
    void enterPressed();
    void escapePressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void deactivate();

    QLineEdit& m_edit;
    FileListGrid& m_grid;
    Play m_play;
    Choose m_choose;
    bool m_active = false;
    bool m_choosing = false; // the same-item dialog has the focus
};
