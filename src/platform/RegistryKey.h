#pragma once

#include <QString>
#include <stdexcept>

// A registry key of our own: named values of boolean and integer type that
// outlive the run. Reads of a missing value are the caller's mistake, so ask
// valueExists() first. A write that cannot be stored throws RegistryError with
// the text "Failed to set data for '<name>'".
class RegistryError : public std::runtime_error {
public:
    explicit RegistryError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

class RegistryKey {
public:
    virtual ~RegistryKey() = default;

    virtual bool valueExists(const QString& name) const = 0;
    virtual bool readBool(const QString& name) const = 0;
    virtual int readInteger(const QString& name) const = 0;
    virtual void writeBool(const QString& name, bool value) = 0;
    virtual void writeInteger(const QString& name, int value) = 0;

protected:
    static RegistryError writeError(const QString& name) {
        return RegistryError(QStringLiteral("Failed to set data for '%1'").arg(name));
    }
};
