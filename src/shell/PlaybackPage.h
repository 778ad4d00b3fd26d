#pragma once

#include <QWidget>

class QLineEdit;
class PlayerPanel;

// The page "视频回放": the recording query by date, the player with its
// play list, and the search field PYEdit, which the user types into without
// seeing it. The page only holds the controls.
class PlaybackPage final : public QWidget {
    Q_OBJECT
public:
    explicit PlaybackPage(QWidget* parent = nullptr);

    QLineEdit* dateFrom = nullptr; // "日期从"
    QLineEdit* dateTo = nullptr;   // "到"
    PlayerPanel* playerPanel = nullptr;
    QLineEdit* PYEdit = nullptr;
};
