#pragma once

#include <QImage>
#include <QWidget>

// The live view (ImageEnView1): shows one picture scaled by a zoom
// percentage, or fitted to the window while auto-fit is on. A zoom set while
// auto-fit is on holds until the next picture or resize fits it again.
class LiveView final : public QWidget {
    Q_OBJECT
public:
    explicit LiveView(QWidget* parent = nullptr);

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
};
