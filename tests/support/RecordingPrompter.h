#pragma once

#include "base/Prompter.h"

#include <QStringList>

#include <deque>

// Answers questions from a queue (OK when the queue is empty, unless told otherwise) and records
// every text shown, so a test reads exactly which boxes a procedure raised.
class RecordingPrompter : public Prompter
{
public:
    void inform(const QString& text) override { messages.append(text); }
    bool ask(const QString& text) override
    {
        questions.append(text);
        if (answers.empty()) {
            return defaultAnswer;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QStringList messages;
    QStringList questions;
    std::deque<bool> answers;
    bool defaultAnswer = true;
};
