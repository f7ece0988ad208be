#pragma once

#include <QString>

// The message boxes a procedure shows. Windows answer with real boxes; tests and the headless
// station answer without blocking.
class Prompter
{
public:
    virtual ~Prompter() = default;
    // A plain message with one button: most are refusals and errors.
    virtual void inform(const QString& text) = 0;
    // A plain note that something went well, with one button.
    virtual void tell(const QString& text) { inform(text); }
    // A question with OK and Cancel, titled "Zelvo"; true for OK. Cancel is the default: a
    // scanner's Enter arriving meanwhile never answers yes.
    virtual bool ask(const QString& text) = 0;
    // A warning with its own caption and Yes and No; true for Yes. No is the default, so that
    // Enter alone never confirms it. Where there is no box to show, it is asked as a question.
    virtual bool askWarning(const QString& caption, const QString& text)
    {
        Q_UNUSED(caption);
        return ask(text);
    }
    // What was typed (a scanner's next number) while the last question was open, taken once;
    // empty when nothing was.
    virtual QString takeTypedDuringQuestion() { return {}; }
};
