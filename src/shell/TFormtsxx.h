#pragma once

#include <QWidget>

// The prompt shown while the program closes a running recording on exit:
// borderless, centred, one blue bold line.
class TFormtsxx final : public QWidget {
    Q_OBJECT
public:
    explicit TFormtsxx(QWidget* parent = nullptr);

    // Shows the prompt centred on the screen and paints it at once, since the
    // work that follows runs on the same thread.
    void showNow();
};
