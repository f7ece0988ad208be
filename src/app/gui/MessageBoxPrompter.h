#pragma once

#include "base/Prompter.h"

#include <QPointer>
#include <QWidget>

// Real message boxes over a window: plain messages with one button, questions with OK and Cancel
// titled "Zelvo".
class MessageBoxPrompter : public Prompter
{
public:
    explicit MessageBoxPrompter(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }
    void inform(const QString& text) override;
    bool ask(const QString& text) override;

private:
    QPointer<QWidget> m_parent;
};
