#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>

class Media;
class MessageService;
class QAction;
class QLabel;
class QMenu;
class QToolButton;

// The video display window: a borderless, always-on-top window with a blue
// title bar, blue sizing strips along its edges and the black picture panel
// `ScrPnl`, into whose native window the media device draws the video.
//
// Created once at program start, hidden, and shown and hidden as the player
// needs. The player opens a video with ScrPnl->winId() as the parent window
// (the panel is a native window whose id stays the same for the window's
// whole life), then calls presentVideo() (or setNativeSize(), resize(),
// show() and FormResize() itself).
//
// Layout: ScrPnl keeps the picture's aspect ratio inside the area between
// the title bar and the strips, centred on the free axis (pictureGeometry()).
// While the window is visible and the player reports a video open
// (setPictureActive()), each layout also places the picture in the panel
// through the media layer ("put MyMp3 window at 0 0 <panel size>") and shows
// the scale in `rateLb` as "[N%]"; a refused placement is shown as a message
// (information icon) and the scale keeps its previous text.
//
// Moving and sizing are done by the window itself from mouse drags: on the
// title bar, its labels, the icon and the bare window surface the window
// moves; on the strips it is sized (never below 150 × 140). Double-clicking
// the title bar, its labels or the icon, or pressing `big1`/`big2`, switches
// between normal and maximised (the whole screen).
//
// Docking to the main window: the main window's frame geometry comes from a
// function (setMainWindowGeometry()). Whenever this window moves, it snaps to
// the main window's right edge or onto its top (dockOnOwnMove()); the main
// window calls mainWindowMoved() from its own move handler so that a docked
// window follows (dockOnMainMove()). A maximised window does not dock.
//
// The player's actions are signals: the context menu ("上一个", "下一个"),
// Ctrl+Left/Right/Page Up/Page Down, and closed() when the window is closed
// (close button or close()), on which the player closes its device. hide()
// emits nothing.
//
// User-interface thread only.
class TFrmDisplayScr final : public QWidget {
    Q_OBJECT
public:
    enum class Dock { None, Right, Above };
    struct DockPlacement {
        QPoint topLeft;
        Dock dock = Dock::None;
        bool operator==(const DockPlacement&) const = default;
    };
    using PictureActive = std::function<bool()>;
    using MainGeometry = std::function<QRect()>;

    static constexpr int kTitleBarHeight = 19;
    static constexpr int kEdge = 3;
    static constexpr int kSnapDistance = 9;
    static constexpr QSize kInitialSize{305, 253};
    static constexpr QSize kMinimumSize{150, 140};

    // `media` places the picture in ScrPnl; `messages` shows a refused
    // placement. Both must outlive the window.
    TFrmDisplayScr(Media& media, MessageService& messages, QWidget* parent = nullptr);

    // Where ScrPnl goes in a window of client size `client` for a picture of
    // `native` size. A native size that is not positive fills the area.
    static QRect pictureGeometry(QSize client, QSize native);
    // The window size that shows `native` at 100 %.
    static QSize naturalSize(QSize native);
    // `start` sized by dragging `edges` by `delta`, kept at least `minimum`;
    // the opposite edges stay where they are.
    static QRect resizedGeometry(const QRect& start, Qt::Edges edges, QPoint delta, QSize minimum);
    // Docking of a window at `video` after it moved, against the main window
    // at `main` (both frame geometries).
    static DockPlacement dockOnOwnMove(const QRect& video, const QRect& main);
    // Where a window in state `state` goes after the main window moved to
    // `main`. An invisible window ends its docking and stays put.
    static DockPlacement dockOnMainMove(Dock state, bool visible, const QRect& video,
                                        const QRect& main);
    // The size of the widget whose native window id is `window` (empty when
    // no widget has it): the client size the media layer asks for.
    static QSize nativeClientSize(quintptr window);

    // Whether the player has a device open on a video entry.
    void setPictureActive(PictureActive active) { m_pictureActive = std::move(active); }
    void setMainWindowGeometry(MainGeometry geometry) { m_mainGeometry = std::move(geometry); }

    // The picture's native size (the device's "Cx" and "Cy"); also stores
    // the natural window size. Relays out the panel.
    void setNativeSize(QSize native);
    QSize nativeSize() const { return m_native; }
    QSize storedNaturalSize() const { return m_natural; }
    // What the player does for a newly opened video: stores the native size,
    // sizes a hidden window to its natural size, sets the title, shows the
    // window and lays it out.
    void presentVideo(QSize native, const QString& title);

    bool isMaximisedMode() const { return m_maximised; }
    Dock dockState() const { return m_dock; }

    // Places the window above the main window, centred on the screen (runs
    // on every show). A maximised window stays where it is.
    void FormShow();
    // Lays out ScrPnl; while visible with a video open, places the picture
    // and shows the scale.
    void FormResize();
    // Switches between normal and maximised.
    void TitleBarDblClick();
    // The main window moved: apply the docking rules for its moves.
    void mainWindowMoved();

    QLabel* TitleBar = nullptr;
    QLabel* Image3 = nullptr; // the program icon
    QLabel* rateLb = nullptr;
    QLabel* TitleLb = nullptr;
    QToolButton* big1 = nullptr;      // "最大化"
    QToolButton* big2 = nullptr;      // "还原"
    QToolButton* sbtnClose = nullptr; // "关闭"
    QLabel* Label6 = nullptr;         // left strip
    QLabel* Label2 = nullptr;         // right strip
    QLabel* Label3 = nullptr;         // bottom strip
    QLabel* Label4 = nullptr;         // bottom-right corner, along the bottom
    QLabel* Label5 = nullptr;         // bottom-right corner, along the right side
    QWidget* ScrPnl = nullptr;
    QMenu* contextMenu = nullptr;
    QAction* previousAction = nullptr; // "上一个"
    QAction* nextAction = nullptr;     // "下一个"

Q_SIGNALS:
    void previousRequested(); // "上一个", Ctrl+Left
    void nextRequested();     // "下一个", Ctrl+Right
    void backRequested();     // Ctrl+Page Up: 20 seconds back
    void forwardRequested();  // Ctrl+Page Down: 20 seconds forward
    void closed();            // the window was closed: stop playback

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Drag { None, Move, Size };

    void layoutFrame();
    void layoutTitle();
    void updateIcon();
    void placeAt(QPoint topLeft);
    void applyOwnDocking();
    // Mouse handling shared by the window and the drag handles; true when
    // the event was used.
    bool dragEvent(QMouseEvent* event, Drag kind, Qt::Edges edges);

    Media& m_media;
    MessageService& m_messages;
    PictureActive m_pictureActive;
    MainGeometry m_mainGeometry;

    QSize m_native;
    QSize m_natural;
    bool m_maximised = false;
    QRect m_normalBounds;
    Dock m_dock = Dock::None;
    bool m_placing = false;

    Drag m_drag = Drag::None;
    Qt::Edges m_dragEdges;
    QPoint m_pressGlobal;
    QRect m_pressGeometry;
};
