#pragma once

#include "base/InputRules.h"

#include <QObject>

#include <functional>

class QLineEdit;
class QWidget;

// Keeps the keys typed into one box to its InputRules::Rule. Installed on the box, and owned by
// it; the box's own handlers hang on onEnter() and onTyping().
class InputKeyFilter : public QObject
{
    Q_OBJECT

public:
    static InputKeyFilter* install(QLineEdit* box, const InputRules::Rule& rule);

    // Judges the keys sent to `widget` against the box as well: a combo box hands the keys it
    // does not use to its line edit without filtering them again.
    InputKeyFilter* alsoWatch(QWidget* widget);
    // Enter in the box runs `action` and goes no further.
    InputKeyFilter* onEnter(std::function<void()> action);
    // Runs for every key that types into the box (InputRules::isTyping), before it is judged.
    InputKeyFilter* onTyping(std::function<void()> action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    InputKeyFilter(QLineEdit* box, const InputRules::Rule& rule);

    QLineEdit* m_box;
    InputRules::Rule m_rule;
    std::function<void()> m_enter;
    std::function<void()> m_typing;
};
