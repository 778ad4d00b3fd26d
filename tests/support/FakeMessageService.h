#pragma once

#include "MessageService.h"

#include <QStringList>
#include <deque>

// Records every message shown and answers questions from a queue (No when
// the queue is empty).
class FakeMessageService final : public MessageService {
public:
    void show(const QString& text, Icon icon = Icon::None) override {
        shown << text;
        icons.push_back(icon);
    }
    bool askYesNo(const QString& text) override {
        asked << text;
        if (answers.empty())
            return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }

    QStringList shown;
    std::vector<Icon> icons;
    QStringList asked;
    std::deque<bool> answers;
};
