#include "AlarmDetector.h"

#include "Clock.h"
#include "GuardedTick.h"
#include "JpegWriter.h"
#include "RecordingController.h"
#include "Similarity.h"
#include "Statements.h"
#include "TGlobal.h"
#include "Tdbhouse.h"

#include <QTimer>
#include <stdexcept>

AlarmDetector::AlarmDetector(TGlobal& global, Tdbhouse& db, RecordingController& recording,
                             const Clock& clock, ErrorReport& errors, QString programFolder,
                             QObject* parent)
    : QObject(parent), m_global(global), m_db(db), m_recording(recording), m_clock(clock),
      m_errors(errors), m_programFolder(std::move(programFolder)), m_compare(pictureSimilarity),
      m_tyt(new QTimer(this)) {
    m_tyt->setObjectName(QStringLiteral("tyt"));
    m_tyt->setInterval(10000);
    connectGuardedTick(*m_tyt, QStringLiteral("tytTimer"), m_errors, [this] { tytTimer(); });
    m_tyt->start();
}

void AlarmDetector::TakeReferenceFrame() {
    HasReference = true;
    m_reference = m_recording.takeSample();
}

void AlarmDetector::TakeCurrentFrame() { m_current = m_recording.takeSample(); }

void AlarmDetector::CompareWithReference() {
    if (!HasReference) {
        similarity = 100;
        return;
    }
    const QImage& a = m_current;
    QImage b = m_reference;
    if (b.size() != a.size())
        b = b.scaled(a.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    similarity = m_compare(a, b) * 100;
}

void AlarmDetector::tytTimer() {
    if (m_recording.isMonitoring())
        TakeReferenceFrame();
}

void AlarmDetector::tbjTimer() {
    if (!TGlobal::isOn(m_global.strsfbj))
        return;
    TakeCurrentFrame();
    CompareWithReference();
    if (similarity < kThreshold)
        raiseAlarm();
}

void AlarmDetector::raiseAlarm() {
    ++AlarmCounter;
    const QDateTime now = m_clock.now();
    const QString folder = m_programFolder + QStringLiteral("sourcejpg/");
    const QString base =
        now.toString(QStringLiteral("yyMMddHHmmss")) + QString::number(AlarmCounter);
    const QString bmp = folder + base + QStringLiteral(".bmp");
    const QString jpg = folder + base + QStringLiteral(".jpg");

    // The files' names change with every alarm; the error names the folder
    // so that a lasting cause (a full disk, a removed folder) stays one line
    // in the error report.
    const auto fail = [&folder](const char* what) {
        throw std::runtime_error(std::string("cannot ") + what + " the alarm snapshot in " +
                                 folder.toStdString());
    };
    if (m_current.isNull() || !m_current.save(bmp, "BMP"))
        fail("write");
    const QImage saved(bmp, "BMP");
    if (saved.isNull())
        fail("read back");
    try {
        writeJpeg(saved, jpg, 90);
    } catch (const JpegError&) {
        fail("encode");
    }

    DbQuery& q = m_db.qbj;
    q.close();
    q.clearSql();
    q.addSql(kInsertBjb);
    q.setText(QStringLiteral("strpath"), jpg);
    q.setDateTime(QStringLiteral("bjsj"), now);
    q.setDate(QStringLiteral("drq"), now.date());
    q.setText(QStringLiteral("sendbz"), QStringLiteral("N"));
    q.execSql();
}
