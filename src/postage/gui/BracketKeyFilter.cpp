#include "postage/gui/BracketKeyFilter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

const char kFeeBoxProperty[] = "zelvoFeeBox";

bool passesAlways(const QKeyEvent* key)
{
    if (key->key() == Qt::Key_Backspace || key->matches(QKeySequence::Copy) ||
        key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut)) {
        return true;
    }
    // Keys that type nothing: moving, Tab, Enter and the like are the window's business.
    const QString text = key->text();
    return text.isEmpty() || !text.at(0).isPrint();
}

bool isDigitKey(const QKeyEvent* key)
{
    const QString text = key->text();
    return text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9');
}

} // namespace

BracketKeyFilter::BracketKeyFilter(QObject* parent)
    : QObject(parent)
{
}

void BracketKeyFilter::watchWeightBox(QLineEdit* box)
{
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    box->installEventFilter(this);
}

void BracketKeyFilter::watchFeeBox(QLineEdit* box)
{
    box->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*\\.?[0-9]*")), box));
    box->setProperty(kFeeBoxProperty, true);
    box->installEventFilter(this);
}

bool BracketKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return QObject::eventFilter(watched, event);
    }
    const auto* box = qobject_cast<const QLineEdit*>(watched);
    if (box && box->property(kFeeBoxProperty).toBool()) {
        return EditFKeyPress(event, box);
    }
    return EditWKeyPress(event);
}

bool BracketKeyFilter::EditWKeyPress(QEvent* event)
{
    const auto* key = static_cast<const QKeyEvent*>(event);
    return !(passesAlways(key) || isDigitKey(key));
}

bool BracketKeyFilter::EditFKeyPress(QEvent* event, const QLineEdit* box)
{
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (passesAlways(key) || isDigitKey(key)) {
        return false;
    }
    const bool point = key->text() == QLatin1String(".");
    return !(point && !box->text().contains(QLatin1Char('.')));
}
