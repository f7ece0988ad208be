#pragma once

#include "base/Prompter.h"

#include <functional>

// Message boxes for a station without a window: every question gets the same answer, and every
// text, with the answer given, goes to the listener.
class AnsweringPrompter : public Prompter
{
public:
    using Listener = std::function<void(const QString& text)>;

    AnsweringPrompter(bool answer, Listener listener)
        : m_answer(answer)
        , m_listener(std::move(listener))
    {
    }

    void inform(const QString& text) override
    {
        if (m_listener) {
            m_listener(QStringLiteral("消息: ") + text);
        }
    }
    bool ask(const QString& text) override
    {
        if (m_listener) {
            m_listener(QStringLiteral("询问: ") + text +
                       (m_answer ? QStringLiteral(" → 确定") : QStringLiteral(" → 取消")));
        }
        return m_answer;
    }

private:
    bool m_answer;
    Listener m_listener;
};
