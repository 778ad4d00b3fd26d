#pragma once

#include "PlaybackController.h"

#include <QWidget>
#include <memory>

class FileListGrid;
class QAction;
class QLabel;
class QMenu;
class QToolButton;
class TFrmDisplayScr;

// The player part of the playback page: the transport panel (137 pixels
// high: the buttons, the time `lblTime` with its menu `PopupMenu2`, the
// position bar `bar` with its knob `dot`, the time marks `Label6` to
// `Label11` below the bar and the ticks `Label18` to `Label23` above it) and
// the play list grid `sglist` filling the rest.
//
// The panel holds no player state: it mirrors the PlaybackController's
// (time text, marks, knob, time mode) and forwards every user action to it,
// each inside the controller's guard. It is also the controller's play list
// (PlaybackListPort over `sglist`), so it is made first and the controller
// after it:
//
//     PlayerPanel panel;
//     PlaybackController player(media, messages, errors, panel);
//     panel.setController(player);
//     panel.attachDisplayWindow(videoWindow);   // optional
//
// A left-button press on a time mark or tick emits windowDragRequested():
// the main window then moves itself as a press on its caption would
// (QWindow::startSystemMove). Other buttons do nothing there.
//
// User-interface thread only. The controller and the display window must
// outlive the panel or be detached first.
class PlayerPanel final : public QWidget, public PlaybackListPort {
    Q_OBJECT
public:
    static constexpr int kTransportHeight = 137;
    static constexpr int kBarTop = 60;
    static constexpr int kKnobTop = kBarTop - 2;
    static constexpr int kTickLeft = 44;
    static constexpr int kTickSpacing = 61;

    explicit PlayerPanel(QWidget* parent = nullptr);
    ~PlayerPanel() override;

    void setController(PlaybackController& controller);
    PlaybackController* controller() const { return m_controller; }
    // Connects the video window to the controller: it becomes the window
    // videos are opened in, its close stops playback, its menu and keys step
    // and jump, and it lays out its picture while a video is open.
    void attachDisplayWindow(TFrmDisplayScr& window);

    // PlaybackListPort over sglist.
    PlayList& playList() override;
    int AddPlayFile(const QString& path) override;
    QString GetListCell(const QString& key, int row) const override;
    int currentRow() const override;
    void setCurrentRow(int row) override;
    void repaintList() override;

    QToolButton* playBtn = nullptr;
    QToolButton* pauseBtn = nullptr;
    QToolButton* stopBtn = nullptr;
    QToolButton* prevBtn = nullptr;
    QToolButton* BackBtn = nullptr;
    QToolButton* StepBtn = nullptr;
    QToolButton* NextBtn = nullptr;
    QToolButton* EjectBtn = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* bar = nullptr;
    QLabel* dot = nullptr;
    QList<QLabel*> timeMarks; // Label6 .. Label11
    QList<QLabel*> ticks;     // Label18 .. Label23
    QMenu* PopupMenu2 = nullptr;
    QAction* mnuShowPlaytime = nullptr;
    QAction* mnuShowlesttime = nullptr;
    FileListGrid* sglist = nullptr;

Q_SIGNALS:
    // A left-button press on a time mark: move the main window.
    void windowDragRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class DisplayWindowLink;

    void run(const char* name, const std::function<void(PlaybackController&)>& action);
    void showTime(const QString& text);
    void showMarks(const QStringList& marks);
    void showTimeMode(PlaybackController::TimeMode mode, const QString& hint);
    void setTimeColour(bool hover);

    PlaybackController* m_controller = nullptr;
    std::unique_ptr<DisplayWindowLink> m_link;
    QList<QMetaObject::Connection> m_connections;
};
