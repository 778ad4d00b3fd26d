#include "QSettingsRegistryKey.h"

QSettingsRegistryKey::QSettingsRegistryKey(const QString& keyName)
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, keyName) {}

bool QSettingsRegistryKey::valueExists(const QString& name) const {
    return m_settings.contains(name);
}

bool QSettingsRegistryKey::readBool(const QString& name) const {
    return m_settings.value(name).toBool();
}

int QSettingsRegistryKey::readInteger(const QString& name) const {
    return m_settings.value(name).toInt();
}

void QSettingsRegistryKey::writeBool(const QString& name, bool value) {
    write(name, value);
}

void QSettingsRegistryKey::writeInteger(const QString& name, int value) {
    write(name, value);
}

void QSettingsRegistryKey::write(const QString& name, const QVariant& value) {
    m_settings.setValue(name, value);
    m_settings.sync();
    if (m_settings.status() != QSettings::NoError)
        throw writeError(name);
}
