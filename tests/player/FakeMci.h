#pragma once

#include "Mci.h"

#include <QMap>
#include <QString>
#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

// Records every command string and answers from a table: a command found in
// `answers` gets its code and reply text, any other succeeds with an empty
// reply. Error texts are "error <code>" unless `errorTexts` has one.
class FakeMci final : public Mci {
public:
    struct Sent {
        QString command;
        bool replyBuffer = false; // a buffer was passed
        int replySize = 0;
        quintptr callbackWindow = 0;
    };
    struct Answer {
        int code = 0;
        QString reply;
    };

    int mciSendStringA(const QString& command, char* reply, int replySize,
                       quintptr callbackWindow) override {
        sent.push_back(Sent{command, reply != nullptr, replySize, callbackWindow});
        if (onSend)
            onSend(command);
        const Answer answer = answers.value(command);
        if (reply && replySize > 0)
            copy(answer.code == 0 ? answer.reply : QString(), reply, replySize);
        return answer.code;
    }

    bool mciGetErrorStringA(int code, char* buffer, int size) override {
        errorBufferSizes.push_back(size);
        copy(errorTexts.value(code, QStringLiteral("error %1").arg(code)), buffer, size);
        return true;
    }

    QStringList commands() const {
        QStringList list;
        for (const Sent& s : sent)
            list << s.command;
        return list;
    }

    QMap<QString, Answer> answers;
    std::function<void(const QString&)> onSend; // called for every command
    QMap<int, QString> errorTexts;
    std::vector<Sent> sent;
    std::vector<int> errorBufferSizes;

private:
    static void copy(const QString& text, char* buffer, int size) {
        const QByteArray bytes = text.toUtf8();
        const auto n = std::min<qsizetype>(bytes.size(), size - 1);
        std::memcpy(buffer, bytes.constData(), static_cast<size_t>(n));
        buffer[n] = '\0';
    }
};
