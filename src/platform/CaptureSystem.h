#pragma once

#include "CaptureDevice.h"

#include <QObject>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// The capture interface the monitoring page drives: the list of video inputs,
// the selected input, connecting and disconnecting it, its formats, the
// capture size, running it and fetching its newest frame.
//
// Devices come from an enumerator (the cameras, then the test sources when
// they are switched on). The connected device streams on its own thread; this
// object keeps only the newest frame and posts one newFrame() per captured
// frame to the user-interface thread. Everything but the frame hand-over runs
// on the user-interface thread. Device failures throw CaptureError; asking
// for a device that does not exist (no selection, empty list) does nothing.
class CaptureSystem final : public QObject, private FrameSink {
    Q_OBJECT
public:
    using DeviceList = std::vector<std::unique_ptr<CaptureDevice>>;
    using Enumerator = std::function<DeviceList()>;

    explicit CaptureSystem(Enumerator enumerate, QObject* parent = nullptr);
    ~CaptureSystem() override;

    // The names of the video inputs, enumerated anew; the position is the
    // input's index. A connected device stays connected.
    QStringList videoInputNames();
    // The input that the next connect opens.
    void setVideoInput(int index);
    // While on, every captured frame raises newFrame().
    void setFrameGrabbing(bool on);

    void connectDevice();
    bool connected() const { return m_connected != nullptr; }
    // Stops the capture and releases the device; after it no newFrame() is
    // raised and getSample() gives nothing.
    void disconnectDevice();

    int videoFormatCount() const { return static_cast<int>(m_formats.size()); }
    VideoFormat videoFormat(int index) const { return m_formats.value(index); }
    // Asks the connected device for frames of this size.
    void setCurrentVideoFormat(int width, int height);
    // Starts the frames of the connected device.
    void run();

    // The newest frame; false (and `out` untouched) when not connected or no
    // frame has come yet.
    bool getSample(CapturedFrame& out) const;

    QList<CaptureControl> controls();
    void setControl(quint32 id, int value);

Q_SIGNALS:
    void newFrame();

private:
    void deliver(CapturedFrame&& frame) override;
    void onFramePosted(quint64 session);
    void ensureEnumerated();

    Enumerator m_enumerate;
    std::vector<std::shared_ptr<CaptureDevice>> m_devices;
    bool m_enumerated = false;
    int m_input = -1;
    bool m_grabbing = false;
    std::shared_ptr<CaptureDevice> m_connected;
    QList<VideoFormat> m_formats;

    mutable std::mutex m_mutex;
    CapturedFrame m_latest;
    bool m_hasFrame = false;
    quint64 m_session = 0; // counts connects; frames of an older session are ignored
};
