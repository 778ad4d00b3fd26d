#pragma once

#include "CaptureDevice.h"
#include "ShellPorts.h"

#include <QObject>
#include <QStringList>

class AviWriter;
class CaptureSystem;
class Clock;
class ErrorReport;
class MessageService;
class TGlobal;
class Tdbhouse;
class QTimer;

// What the frame handler feeds with the picture of the previous frame: the
// ring of recent frames.
class FrameRingPort {
public:
    virtual ~FrameRingPort() = default;
    virtual void feed(const QImage& previousPicture) = 0;
};

// Monitoring and recording: the device and format lists, the capture size,
// the monitoring button and its start and stop sequences, the recording file
// with its row in avib, the rotation of the recording, and the work done on
// every captured frame (fetch, time stamp, append to the recording).
//
// The controller holds the state that the monitoring page shows (the page
// only mirrors it and forwards the user's actions): device names and the
// selected index (ComboBox1), format lines (ListBox2), the capture size texts
// (Edit1, Edit2), the default-size box (CheckBox4), the monitoring button's
// down state and caption (SpeedButton3) and the indicator (sp5), and the live
// picture. User-interface thread only. Errors of the capture layer while
// connecting or setting the size propagate to the caller; the other steps are
// guarded as noted at each.
class RecordingController final : public QObject, public MonitorPort {
    Q_OBJECT
public:
    enum class Indicator { Lime, Red };

    RecordingController(TGlobal& global, Tdbhouse& db, CaptureSystem& capture, AviWriter& writer,
                        const Clock& clock, MessageService& messages, ErrorReport& errors,
                        QObject* parent = nullptr);
    ~RecordingController() override;

    // State shown by the page.
    const QStringList& deviceNames() const { return m_deviceNames; }
    int deviceIndex() const { return m_deviceIndex; }
    const QStringList& formatLines() const { return m_formatLines; }
    QString widthText() const { return m_edit1; }
    QString heightText() const { return m_edit2; }
    bool defaultSize() const { return m_checkBox4; }
    bool monitoring() const { return m_monitoring; }
    QString caption() const { return m_caption; }
    Indicator indicator() const { return m_indicator; }
    const QImage& picture() const { return m_frame.image; }
    CaptureSystem& capture() { return m_capture; }

    void setFrameRing(FrameRingPort* ring) { m_ring = ring; }
    // The pause of the rotation between closing one recording and starting
    // the next (1000 ms; tests shorten it).
    void setRotationPauseMs(int ms) { m_rotationPauseMs = ms; }
    QTimer* rotationTimer() const { return m_tjs; }

    // Operations and handlers of the monitoring page.
    void OpenVideoDevice();
    void CloseVideoDevice();
    void ListVideoFormats();
    void ComboBox1Change(int index);
    void SpeedButton9Click();
    void ListBox2Click(int row);
    void CheckBox4Click(bool checked);
    // A press of the monitoring button: toggles its down state, then runs
    // SpeedButton3Click.
    void pressSpeedButton3();
    void SpeedButton3Click();
    // Rotation: close the running recording, pause, start a new one.
    void tjsTimer();
    // Per captured frame.
    void ImageEnView1DShowNewFrame();
    // Fetches the newest frame into the live picture (no stamp: the next
    // frame event draws it) and shows it; when the device gives nothing the
    // live picture stays as it was. The alarm check takes its pictures so.
    const QImage& takeSample();

    // MonitorPort
    void refillDevices() override;
    bool isMonitoring() const override { return m_monitoring; }
    void toggleMonitoring() override;
    void closeRecording() override;
    void setDefaultSizeBox(bool on) override;
    void setCaptureSizeTexts(const QString& width, const QString& height) override;

Q_SIGNALS:
    // The page's controls must show the state again.
    void stateChanged();
    // The live picture changed (new frame) or must be redrawn.
    void pictureChanged();

private:
    void commonSteps();
    void startSteps();
    void stopSteps();
    void closeRowsAndFile();
    void rotationResume();

    TGlobal& m_global;
    Tdbhouse& m_db;
    CaptureSystem& m_capture;
    AviWriter& m_writer;
    const Clock& m_clock;
    MessageService& m_messages;
    ErrorReport& m_errors;
    FrameRingPort* m_ring = nullptr;
    QTimer* m_tjs;
    int m_rotationPauseMs = 1000;

    QStringList m_deviceNames;
    int m_deviceIndex = -1;
    QStringList m_formatLines;
    QString m_edit1 = QStringLiteral("640");
    QString m_edit2 = QStringLiteral("480");
    bool m_checkBox4 = true;
    bool m_monitoring = false;
    QString m_caption = QStringLiteral("开始监控");
    Indicator m_indicator = Indicator::Lime;
    CapturedFrame m_frame;
    bool m_frameEventSeen = false;
    qint64 m_lastFrameEventTs = 0;
};
