#pragma once

#include "base/Prompter.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <utility>

// Answers questions from a queue (OK when the queue is empty, unless told otherwise) and records
// every text shown, so a test reads exactly which boxes a procedure raised. onAsk lets a test act
// while a question is open (the connection drops, the scale moves …).
class RecordingPrompter : public Prompter
{
public:
    void inform(const QString& text) override { messages.append(text); }
    bool ask(const QString& text) override
    {
        questions.append(text);
        if (onAsk) {
            onAsk(text);
        }
        if (answers.empty()) {
            return defaultAnswer;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QString takeTypedDuringQuestion() override { return std::exchange(typedDuringQuestion, QString()); }

    QStringList messages;
    QStringList questions;
    std::deque<bool> answers;
    bool defaultAnswer = true;
    std::function<void(const QString&)> onAsk;
    // What the next run finds typed during its question.
    QString typedDuringQuestion;
};
