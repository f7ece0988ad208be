#pragma once

#include "base/Prompter.h"

#include <QPointer>
#include <QWidget>

// Real message boxes over a window, titled "Zelvo": plain messages with one button (a warning, or
// an information for a success), questions with OK and Cancel, warnings with their own caption and
// Yes and No. A question's default is Cancel and a warning's No, and what a scanner types into an
// open question is kept instead of being lost in the box.
class MessageBoxPrompter : public Prompter
{
public:
    explicit MessageBoxPrompter(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }
    void inform(const QString& text) override;
    void tell(const QString& text) override;
    bool ask(const QString& text) override;
    bool askWarning(const QString& caption, const QString& text) override;
    QString takeTypedDuringQuestion() override;

private:
    QPointer<QWidget> m_parent;
    QString m_typedDuringQuestion;
};
