#pragma once

#include "RegistryKey.h"

#include <QSettings>

// The window-state key kept with QSettings in the platform's native format
// (on Linux an INI file under the user's configuration folder, named after the
// key). Every write is flushed at once so that a failure shows where it
// happened.
class QSettingsRegistryKey final : public RegistryKey {
public:
    explicit QSettingsRegistryKey(const QString& keyName);

    bool valueExists(const QString& name) const override;
    bool readBool(const QString& name) const override;
    int readInteger(const QString& name) const override;
    void writeBool(const QString& name, bool value) override;
    void writeInteger(const QString& name, int value) override;

    QString fileName() const { return m_settings.fileName(); }

private:
    void write(const QString& name, const QVariant& value);

    QSettings m_settings;
};
