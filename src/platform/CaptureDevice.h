#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

// One video format of a capture device, as the format list shows it: the
// subtype name ("YUY2", "MJPG", "RGB24"; empty when unknown) and the smallest
// and largest output size.
struct VideoFormat {
    QString subtype;
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;

    // "<subtype> <minW>x<minH> to <maxW>x<maxH>"
    QString line() const {
        return QStringLiteral("%1 %2x%3 to %4x%5")
            .arg(subtype)
            .arg(minWidth)
            .arg(minHeight)
            .arg(maxWidth)
            .arg(maxHeight);
    }
    friend bool operator==(const VideoFormat&, const VideoFormat&) = default;
};

// A captured frame: the picture in QImage::Format_RGB888 at the capture size,
// the moment it was captured (microseconds on the steady clock, only
// differences matter) and the frame rate the device delivers.
struct CapturedFrame {
    QImage image;
    qint64 timestampUs = 0;
    double frameRate = 0;
};

// One picture control of a device (brightness, contrast, ...), shown as a
// slider or a check box that applies at once.
struct CaptureControl {
    enum class Kind { Integer, Boolean, Menu };
    quint32 id = 0;
    QString name;
    Kind kind = Kind::Integer;
    int minimum = 0;
    int maximum = 0;
    int step = 1;
    int defaultValue = 0;
    int value = 0;
    QStringList menuItems; // Menu: one entry per value from minimum to maximum
};

class CaptureError : public std::runtime_error {
public:
    explicit CaptureError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// Receives the frames of a running device. deliver() is called on the
// device's own capture thread and must only hand the frame over.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void deliver(CapturedFrame&& frame) = 0;
};

// One capture device: a camera or one of the test sources. Every method but
// deliver() of the sink runs on the user-interface thread. Failures throw
// CaptureError with a text for the user.
class CaptureDevice {
public:
    virtual ~CaptureDevice() = default;

    virtual QString name() const = 0;

    // Opens the device (no frames yet). Opening an open device does nothing.
    virtual void open() = 0;
    // Stops streaming and releases the device; no frame is delivered after
    // it returns. Closing a closed device does nothing.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // The device's formats, in the order the device reports them. Open only.
    virtual QList<VideoFormat> formats() = 0;
    // Asks for frames of this size, keeping the subtype. Open only.
    virtual void setFormat(int width, int height) = 0;
    // Starts streaming on the device's own thread into `sink`, which must
    // outlive the streaming (until close()). Open only.
    virtual void start(FrameSink& sink) = 0;

    // The device's own picture controls. Open only.
    virtual QList<CaptureControl> controls() = 0;
    virtual void setControl(quint32 id, int value) = 0;
};
