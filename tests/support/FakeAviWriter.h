#pragma once

#include "AviWriter.h"
#include "CaptureDevice.h"

#include <QStringList>

// Records what the program asks of the AVI writer.
class FakeAviWriter final : public AviWriter {
public:
    void create(const QString& path, const QString& codec) override {
        if (failCreate)
            throw AviError(QStringLiteral("cannot create ") + path);
        if (m_open)
            close();
        created << path + QLatin1Char('|') + codec;
        m_open = true;
    }
    void append(const CapturedFrame& frame) override {
        if (!m_open)
            throw AviError(QStringLiteral("no file"));
        frames.push_back(frame);
    }
    void close() override {
        if (m_open)
            ++closes;
        m_open = false;
    }
    bool isOpen() const override { return m_open; }

    QStringList created;
    std::vector<CapturedFrame> frames;
    int closes = 0;
    bool failCreate = false;

private:
    bool m_open = false;
};
