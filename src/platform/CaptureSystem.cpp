#include "CaptureSystem.h"

CaptureSystem::CaptureSystem(Enumerator enumerate, QObject* parent)
    : QObject(parent), m_enumerate(std::move(enumerate)) {}

CaptureSystem::~CaptureSystem() {
    disconnectDevice();
}

QStringList CaptureSystem::videoInputNames() {
    m_devices.clear();
    for (auto& d : m_enumerate())
        m_devices.push_back(std::move(d));
    m_enumerated = true;
    QStringList names;
    for (const auto& d : m_devices)
        names << d->name();
    return names;
}

void CaptureSystem::ensureEnumerated() {
    if (!m_enumerated)
        videoInputNames();
}

void CaptureSystem::setVideoInput(int index) {
    m_input = index;
}

void CaptureSystem::setFrameGrabbing(bool on) {
    m_grabbing = on;
}

void CaptureSystem::connectDevice() {
    if (m_connected)
        return;
    ensureEnumerated();
    if (m_input < 0 || m_input >= static_cast<int>(m_devices.size()))
        return;
    std::shared_ptr<CaptureDevice> device = m_devices[static_cast<size_t>(m_input)];
    device->open();
    m_formats = device->formats();
    {
        std::lock_guard lock(m_mutex);
        ++m_session;
        m_hasFrame = false;
        m_latest = {};
    }
    m_connected = std::move(device);
}

void CaptureSystem::disconnectDevice() {
    if (!m_connected)
        return;
    std::shared_ptr<CaptureDevice> device = std::move(m_connected);
    m_connected.reset();
    device->close();
    std::lock_guard lock(m_mutex);
    ++m_session;
    m_hasFrame = false;
    m_latest = {};
}

void CaptureSystem::setCurrentVideoFormat(int width, int height) {
    if (m_connected)
        m_connected->setFormat(width, height);
}

void CaptureSystem::run() {
    if (m_connected)
        m_connected->start(*this);
}

bool CaptureSystem::getSample(CapturedFrame& out) const {
    if (!m_connected)
        return false;
    std::lock_guard lock(m_mutex);
    if (!m_hasFrame)
        return false;
    out = m_latest;
    return true;
}

QList<CaptureControl> CaptureSystem::controls() {
    return m_connected ? m_connected->controls() : QList<CaptureControl>{};
}

void CaptureSystem::setControl(quint32 id, int value) {
    if (m_connected)
        m_connected->setControl(id, value);
}

void CaptureSystem::deliver(CapturedFrame&& frame) {
    quint64 session;
    {
        std::lock_guard lock(m_mutex);
        m_latest = std::move(frame);
        m_hasFrame = true;
        session = m_session;
    }
    QMetaObject::invokeMethod(
        this, [this, session] { onFramePosted(session); }, Qt::QueuedConnection);
}

void CaptureSystem::onFramePosted(quint64 session) {
    {
        std::lock_guard lock(m_mutex);
        if (session != m_session)
            return;
    }
    if (m_connected && m_grabbing)
        Q_EMIT newFrame();
}
