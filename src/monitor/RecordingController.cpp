#include "RecordingController.h"

#include "AviWriter.h"
#include "CaptureSystem.h"
#include "Clock.h"
#include "ErrorReport.h"
#include "FrameStamp.h"
#include "GuardedTick.h"
#include "MessageService.h"
#include "SettingsWriter.h"
#include "Statements.h"
#include "TGlobal.h"
#include "Tdbhouse.h"

#include <QTimer>

namespace {
constexpr int kDefaultCaptureWidth = 320;
constexpr int kDefaultCaptureHeight = 240;
constexpr int kRotationMs = 2600000; // 43 min 20 s

bool isInteger(const QString& s) {
    bool ok = false;
    s.toInt(&ok);
    return ok;
}
} // namespace

RecordingController::RecordingController(TGlobal& global, Tdbhouse& db, CaptureSystem& capture,
                                         AviWriter& writer, const Clock& clock,
                                         MessageService& messages, ErrorReport& errors,
                                         QObject* parent)
    : QObject(parent), m_global(global), m_db(db), m_capture(capture), m_writer(writer),
      m_clock(clock), m_messages(messages), m_errors(errors), m_tjs(new QTimer(this)) {
    connect(&m_capture, &CaptureSystem::newFrame, this,
            &RecordingController::ImageEnView1DShowNewFrame);
    // The rotation runs from creation for the whole run; it is not stopped
    // during its own tick, and an error in it goes to the error report.
    m_tjs->setObjectName(QStringLiteral("tjs"));
    m_tjs->setInterval(kRotationMs);
    connect(m_tjs, &QTimer::timeout, this,
            [this] { runGuarded(QStringLiteral("tjsTimer"), m_errors, [this] { tjsTimer(); }); });
    m_tjs->start();
}

RecordingController::~RecordingController() {
    // A recording still open at the end is finished properly.
    if (m_writer.isOpen())
        runGuarded(QStringLiteral("close AVI"), m_errors, [this] { m_writer.close(); });
}

// ------------------------------------------------------------ devices

void RecordingController::OpenVideoDevice() {
    if (m_capture.connected())
        return;
    m_capture.setVideoInput(m_deviceIndex);
    m_capture.setFrameGrabbing(true);
    m_capture.connectDevice();
}

void RecordingController::CloseVideoDevice() {
    m_capture.disconnectDevice();
}

void RecordingController::ListVideoFormats() {
    OpenVideoDevice();
    m_formatLines.clear();
    for (int i = 0; i < m_capture.videoFormatCount(); ++i)
        m_formatLines << m_capture.videoFormat(i).line();
    // Listing always leaves the device disconnected, also while monitoring.
    CloseVideoDevice();
    Q_EMIT stateChanged();
}

void RecordingController::ComboBox1Change(int index) {
    m_deviceIndex = index;
    const QString text = m_deviceNames.value(index);
    if (!text.isEmpty())
        m_global.strdrive = text;
    ListVideoFormats();
}

void RecordingController::SpeedButton9Click() {
    m_deviceNames = m_capture.videoInputNames();
    m_deviceIndex = -1;
    Q_EMIT stateChanged();
}

void RecordingController::refillDevices() {
    m_deviceNames = m_capture.videoInputNames();
    m_deviceIndex = m_deviceNames.isEmpty() ? -1 : 0;
    Q_EMIT stateChanged();
    ListVideoFormats();
}

void RecordingController::ListBox2Click(int row) {
    const QString line = m_formatLines.value(row);
    const int to = line.indexOf(QStringLiteral("to"));
    if (to < 0)
        return;
    // The maximum size follows "to" and one more character: "640x480".
    const QString size = line.mid(to + 3).trimmed();
    const int x = size.indexOf(QLatin1Char('x'));
    if (x < 0)
        return;
    m_edit1 = size.left(x).trimmed();
    m_edit2 = size.mid(x + 1).trimmed();
    Q_EMIT stateChanged();
}

void RecordingController::CheckBox4Click(bool checked) {
    m_checkBox4 = checked;
    m_global.strfbl = checked ? QStringLiteral("1") : QStringLiteral("0");
    Q_EMIT stateChanged();
    writeSettingsShowingErrors(m_global, m_messages);
}

void RecordingController::setDefaultSizeBox(bool on) {
    if (on != m_checkBox4)
        CheckBox4Click(on);
}

void RecordingController::setCaptureSizeTexts(const QString& width, const QString& height) {
    m_edit1 = width;
    m_edit2 = height;
    Q_EMIT stateChanged();
}

// ------------------------------------------------------------ monitoring

void RecordingController::pressSpeedButton3() {
    m_monitoring = !m_monitoring;
    SpeedButton3Click();
}

void RecordingController::toggleMonitoring() {
    pressSpeedButton3();
}

void RecordingController::SpeedButton3Click() {
    commonSteps();
    if (m_monitoring)
        startSteps();
    else
        stopSteps();
    Q_EMIT stateChanged();
}

void RecordingController::commonSteps() {
    m_global.strfbl = m_checkBox4 ? QStringLiteral("1") : QStringLiteral("0");
    if (m_edit1.isEmpty() || !isInteger(m_edit1) || !isInteger(m_edit2)) {
        m_edit1 = QStringLiteral("640");
        m_edit2 = QStringLiteral("480");
    }
    if (m_checkBox4) {
        m_edit1 = QStringLiteral("0");
        m_edit2 = QStringLiteral("0");
    }
    m_global.strw1 = m_edit1;
    m_global.strh1 = m_edit2;
    writeSettingsShowingErrors(m_global, m_messages);
}

void RecordingController::startSteps() {
    m_caption = QStringLiteral("停止监控");
    m_indicator = Indicator::Lime;

    const QDateTime now = m_clock.now();
    const QString name = now.toString(QStringLiteral("yyMMddHHmmss")) + QStringLiteral(".avi");
    const QString path = m_global.strzxylj + QLatin1Char('/') + name;

    // Without its row the recording would still be made; a database error is
    // reported and the start goes on.
    runGuarded(QStringLiteral("insert into avib"), m_errors, [&] {
        DbQuery& q = m_db.qavi;
        q.close();
        q.clearSql();
        q.addSql(kInsertAvib);
        q.setDateTime(QStringLiteral("sj"), now);
        q.setDate(QStringLiteral("drq"), now.date());
        q.setText(QStringLiteral("wjmc"), name);
        q.setText(QStringLiteral("strpath"), path);
        q.setSmallInt(QStringLiteral("wjid"), 0);
        q.execSql();
    });

    try {
        if (m_global.strgs.isEmpty())
            m_global.strgs = QStringLiteral("msvc");
        if (TGlobal::isOn(m_global.strsfbcsp))
            m_writer.create(path, m_global.strgs);
    } catch (const std::exception&) {
        m_messages.show(QStringLiteral("系统对电脑环境进行了初始化，请退出软件再进入"));
        m_global.strzxylj.clear();
        writeSettingsShowingErrors(m_global, m_messages);
    }

    OpenVideoDevice();
    const int w = m_edit1.toInt();
    const int h = m_edit2.toInt();
    m_capture.setCurrentVideoFormat(w == 0 ? kDefaultCaptureWidth : w,
                                    h == 0 ? kDefaultCaptureHeight : h);
    m_capture.run();
    Q_EMIT pictureChanged();
}

void RecordingController::stopSteps() {
    m_indicator = Indicator::Red;
    m_caption = QStringLiteral("开始监控");
    closeRowsAndFile();
    Q_EMIT pictureChanged();
}

void RecordingController::closeRecording() {
    closeRowsAndFile();
}

void RecordingController::closeRowsAndFile() {
    // Each step runs whatever the one before did: a failed update must not
    // keep the camera running or the file open.
    runGuarded(QStringLiteral("update avib"), m_errors, [this] {
        DbQuery& q = m_db.qup;
        q.close();
        q.clearSql();
        q.addSql(kUpdateAvibWjid);
        q.setSmallInt(QStringLiteral("wjid1"), 1);
        q.setSmallInt(QStringLiteral("wjid2"), 0);
        q.execSql();
    });
    runGuarded(QStringLiteral("CloseVideoDevice"), m_errors, [this] { CloseVideoDevice(); });
    if (TGlobal::isOn(m_global.strsfbcsp))
        runGuarded(QStringLiteral("close AVI"), m_errors, [this] { m_writer.close(); });
}

// ------------------------------------------------------------ rotation

void RecordingController::tjsTimer() {
    if (m_monitoring) {
        m_monitoring = false;
        closeRecording();
        Q_EMIT stateChanged();
    }
    // The pause keeps consecutive files apart by name; the window stays
    // responsive while it lasts.
    QTimer::singleShot(m_rotationPauseMs, this, [this] {
        runGuarded(QStringLiteral("tjsTimer"), m_errors, [this] { rotationResume(); });
    });
}

void RecordingController::rotationResume() {
    if (m_monitoring)
        return; // the user started monitoring during the pause
    m_monitoring = true;
    SpeedButton3Click();
}

// ------------------------------------------------------------ frames

const QImage& RecordingController::takeSample() {
    CapturedFrame fresh;
    if (m_capture.getSample(fresh))
        m_frame = std::move(fresh);
    Q_EMIT pictureChanged();
    return m_frame.image;
}

void RecordingController::ImageEnView1DShowNewFrame() {
    if (m_ring && TGlobal::isOn(m_global.strjp)) {
        try {
            m_ring->feed(m_frame.image);
        } catch (...) {
            // The ring is a convenience; the frame goes on without it.
        }
    }

    CapturedFrame fresh;
    bool isNew = false;
    if (m_capture.getSample(fresh)) {
        // Several frame events may find the same newest frame (and the alarm
        // check may have fetched it in between); it is recorded once.
        isNew = !m_frameEventSeen || fresh.timestampUs != m_lastFrameEventTs;
        m_frameEventSeen = true;
        m_lastFrameEventTs = fresh.timestampUs;
        m_frame = std::move(fresh);
    }

    drawFrameStamp(m_frame.image, frameStampText(m_clock.now()));

    if (isNew && m_monitoring && TGlobal::isOn(m_global.strsfbcsp) && m_writer.isOpen()) {
        // A recording that fails must not fail silently; the report keeps a
        // flood of the same error as one line.
        runGuarded(QStringLiteral("append frame"), m_errors, [this] { m_writer.append(m_frame); });
    }
    Q_EMIT pictureChanged();
}
