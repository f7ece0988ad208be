#include "base/gui/InputKeyFilter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>

#include <utility>

namespace {

// Pasted or dropped text keeps to the characters of the box's rule.
class RuleValidator : public QValidator
{
public:
    RuleValidator(const InputRules::Rule& rule, QObject* parent)
        : QValidator(parent)
        , m_rule(rule)
    {
    }

    State validate(QString& input, int&) const override
    {
        return InputRules::keepsToCharacters(m_rule, input) ? Acceptable : Invalid;
    }

private:
    InputRules::Rule m_rule;
};

} // namespace

InputKeyFilter::InputKeyFilter(QLineEdit* box, const InputRules::Rule& rule)
    : QObject(box)
    , m_box(box)
    , m_rule(rule)
{
}

InputKeyFilter* InputKeyFilter::install(QLineEdit* box, const InputRules::Rule& rule)
{
    auto* filter = new InputKeyFilter(box, rule);
    if (rule.checksPastedText) {
        box->setValidator(new RuleValidator(rule, box));
    }
    box->installEventFilter(filter);
    return filter;
}

InputKeyFilter* InputKeyFilter::alsoWatch(QWidget* widget)
{
    widget->installEventFilter(this);
    return this;
}

InputKeyFilter* InputKeyFilter::onEnter(std::function<void()> action)
{
    m_enter = std::move(action);
    return this;
}

InputKeyFilter* InputKeyFilter::onTyping(std::function<void()> action)
{
    m_typing = std::move(action);
    return this;
}

bool InputKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return QObject::eventFilter(watched, event);
    }
    const auto* press = static_cast<const QKeyEvent*>(event);
    const InputRules::Key key = InputRules::keyOf(press->key(), press->modifiers(), press->text(),
                                                  press->matches(QKeySequence::Paste));
    if (key.kind == InputRules::KeyKind::Enter && m_enter) {
        m_enter();
        return true;
    }
    if (m_typing && InputRules::isTyping(key)) {
        m_typing();
    }
    return !InputRules::passes(m_rule, key, m_box->text(), m_box->selectedText().size());
}
