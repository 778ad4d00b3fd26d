#pragma once

#include "RegistryKey.h"

#include <QMap>
#include <QStringList>
#include <QVariant>

// An in-memory registry key. `failWritesOf` names values whose write fails.
class FakeRegistryKey final : public RegistryKey {
public:
    bool valueExists(const QString& name) const override { return values.contains(name); }
    bool readBool(const QString& name) const override { return values.value(name).toBool(); }
    int readInteger(const QString& name) const override { return values.value(name).toInt(); }
    void writeBool(const QString& name, bool value) override { write(name, value); }
    void writeInteger(const QString& name, int value) override { write(name, value); }

    QMap<QString, QVariant> values;
    QStringList writes; // names in the order written
    QStringList failWritesOf;
    bool failAll = false;

private:
    void write(const QString& name, const QVariant& v) {
        if (failAll || failWritesOf.contains(name))
            throw writeError(name);
        values[name] = v;
        writes << name;
    }
};
