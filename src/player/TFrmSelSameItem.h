#pragma once

#include <QDialog>

class FileListGrid;
class QTableWidget;

// The same-item dialog of the play list's search: every entry from the
// grid's current row to the last whose search key contains the typed text,
// to choose one. Enter or a double-click on a data row chooses the selected
// row, Esc cancels. Modal, made for each use.
class TFrmSelSameItem final : public QDialog {
    Q_OBJECT
public:
    TFrmSelSameItem(const FileListGrid& grid, const QString& typed, QWidget* parent = nullptr);

    // The "No." of the chosen row, or -1 when cancelled.
    int chosenNumber() const { return m_chosen; }

    QTableWidget* SameList = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void choose();

    int m_chosen = -1;
};

// ChooseSameItem: shows the dialog and gives the chosen "No." or -1.
int ChooseSameItem(const FileListGrid& grid, const QString& typed, QWidget* parent = nullptr);
