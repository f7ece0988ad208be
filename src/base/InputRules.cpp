#include "base/InputRules.h"

namespace InputRules {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isPoint(QChar c)
{
    return c == QLatin1Char('.');
}

bool characterPasses(const Rule& rule, QChar c, const QString& text, qsizetype selected)
{
    if (rule.maxTyped > 0 && text.size() - selected >= rule.maxTyped) {
        return false;
    }
    switch (rule.characters) {
    case Characters::Any:
        return true;
    case Characters::Digits:
        return isDigit(c);
    case Characters::Decimal:
        // A point replacing a selected point is refused all the same.
        return isDigit(c) || (isPoint(c) && !text.contains(QLatin1Char('.')));
    }
    return false;
}

} // namespace

Key keyOf(int key, Qt::KeyboardModifiers modifiers, const QString& text, bool paste)
{
    switch (key) {
    case Qt::Key_Backspace:
        return {KeyKind::Backspace, {}};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return {KeyKind::Enter, {}};
    case Qt::Key_Escape:
        return {KeyKind::Escape, {}};
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return {KeyKind::FocusMove, {}};
    case Qt::Key_Delete:
        return {KeyKind::Other, {}};
    default:
        break;
    }
    if (paste) {
        return {KeyKind::Paste, {}};
    }
    if (text.isEmpty()) {
        return {KeyKind::Other, {}};
    }
    // Some platforms type a control character for Ctrl and a letter, others the letter itself.
    if ((modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) ||
        text.at(0).category() == QChar::Other_Control) {
        return {KeyKind::Shortcut, {}};
    }
    return {KeyKind::Character, text.at(0)};
}

bool passes(const Rule& rule, const Key& key, const QString& text, qsizetype selected)
{
    switch (key.kind) {
    case KeyKind::Character:
        return characterPasses(rule, key.character, text, selected);
    case KeyKind::Enter:
    case KeyKind::Escape:
        return rule.windowKeys;
    case KeyKind::Paste:
        return rule.shortcuts == Shortcuts::Pass;
    case KeyKind::Shortcut:
        return rule.shortcuts != Shortcuts::Drop;
    case KeyKind::Backspace:
    case KeyKind::FocusMove:
    case KeyKind::Other:
        return true;
    }
    return true;
}

bool keepsToCharacters(const Rule& rule, const QString& text)
{
    int points = 0;
    for (const QChar c : text) {
        if (rule.characters == Characters::Any || isDigit(c)) {
            continue;
        }
        if (rule.characters == Characters::Decimal && isPoint(c) && ++points == 1) {
            continue;
        }
        return false;
    }
    return true;
}

bool couldBeTyped(const Rule& rule, const QString& text)
{
    return keepsToCharacters(rule, text) && (rule.maxTyped == 0 || text.size() <= rule.maxTyped);
}

bool isTyping(const Key& key)
{
    return key.kind != KeyKind::Enter && key.kind != KeyKind::FocusMove && key.kind != KeyKind::Other;
}

bool startsIllegally(const QString& text)
{
    return text.startsWith(QLatin1Char('.')) || text.startsWith(QLatin1String("00"));
}

bool isLoneZero(const QString& text)
{
    return text == QLatin1String("0");
}

bool isLegalRange(const QString& range)
{
    if (range.startsWith(QLatin1Char('.')) || !keepsToCharacters(kScaleRangeKg, range)) {
        return false;
    }
    // An empty or zero range would make every weight an over-range error.
    bool ok = false;
    const double value = range.toDouble(&ok);
    return ok && value > 0.0;
}

bool isLegalBaudRate(const QString& baudRate)
{
    if (baudRate.isEmpty() || !keepsToCharacters(kBaudRate, baudRate)) {
        return false;
    }
    bool ok = false;
    const int value = baudRate.toInt(&ok);
    return ok && value > 0;
}

} // namespace InputRules
