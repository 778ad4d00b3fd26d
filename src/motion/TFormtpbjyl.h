#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class PictureView;
class QToolButton;

// The picture preview window: one alarm snapshot shown large, with buttons to
// zoom in, zoom out, fit, show at 100 % and go back.
//
// The alarm review makes one for each use, opens it modally (exec()) and
// frees it afterwards; the window comes up maximised. The picture's path
// comes from a source the caller gives, called each time the window is shown
// (the review's source reads the snapshot path of its current row). The
// picture is loaded and fitted to the view; it stays fitted while the window
// settles into its size, until the user presses a zoom button. Every error
// while loading (the source throws, the file is missing or not a picture) is
// swallowed: the window then shows an empty view with its caption.
//
// Zooming doubles or halves whatever zoom the view has (the fitted one
// included), without limits of its own. "适合" fits once; a later resize
// leaves the zoom alone. "返回" closes the window (exec() returns Rejected).
//
// User-interface thread only.
class TFormtpbjyl final : public QDialog {
    Q_OBJECT
public:
    using PathSource = std::function<QString()>;

    explicit TFormtpbjyl(PathSource pathSource, QWidget* parent = nullptr);
    explicit TFormtpbjyl(const QString& path, QWidget* parent = nullptr);

    // Sets the caption and loads the picture; runs on every show.
    void FormShow();
    // Keep the button group centred in the bar.
    void FormPaint();
    void FormResize();

    void SpeedButton1Click(); // "放大": zoom × 2
    void SpeedButton2Click(); // "缩水": zoom ÷ 2
    void SpeedButton4Click(); // "适合": fit once
    void SpeedButton5Click(); // "原始大小": 100 %
    void SpeedButton6Click(); // "返回": close

    PictureView* ImageEnVect1 = nullptr;
    QWidget* Panel2 = nullptr; // the bar along the bottom
    QWidget* Panel1 = nullptr; // the button group, centred in Panel2 by hand
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton6 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void centreButtons();
    void zoomTo(double percent);

    PathSource m_pathSource;
};
