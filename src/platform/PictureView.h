#pragma once

#include <QImage>
#include <QWidget>

// A view of one picture (the live view, the replay views, the snapshot
// preview): shows it scaled by a zoom percentage, or fitted to the window
// while auto-fit is on. A zoom set while auto-fit is on holds until the next
// picture of another size or a resize fits it again. The picture is centred
// where it is smaller than the window and drawn from the top-left where it is
// larger.
class PictureView final : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);

    // The background around the picture: a plain colour (black unless set),
    // or a vertical gradient between two colours.
    void setBackground(const QColor& colour);
    void setGradientBackground(const QColor& top, const QColor& bottom);
    // Smooth scaling at every zoom (otherwise only when shrinking).
    void setSmoothScaling(bool on) { m_smooth = on; }

    void setPicture(const QImage& picture);
    const QImage& picture() const { return m_picture; }
    void clear();

    void setZoom(double percent);
    double zoom() const { return m_zoom; }
    void setAutoFit(bool on);
    bool autoFit() const { return m_autoFit; }
    // Scales the picture to fit the window now.
    void fit();

    // Where the picture is drawn in the widget.
    QRectF pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage m_picture;
    double m_zoom = 100;
    bool m_autoFit = false;
    bool m_smooth = false;
    QColor m_top = Qt::black;
    QColor m_bottom = Qt::black;
};
