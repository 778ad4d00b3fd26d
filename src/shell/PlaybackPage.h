#pragma once

#include <QWidget>

class QLineEdit;

// The page "视频回放": the recording query by date, the play list and the
// player. The page only holds the controls.
class PlaybackPage final : public QWidget {
    Q_OBJECT
public:
    explicit PlaybackPage(QWidget* parent = nullptr);

    QLineEdit* dateFrom = nullptr; // "日期从"
    QLineEdit* dateTo = nullptr;   // "到"
};
