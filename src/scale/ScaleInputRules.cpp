#include "scale/ScaleInputRules.h"

namespace ScaleInputRules {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

bool rangeKeyAllowed(QChar key, const QString& text)
{
    return isDigit(key) || (key == QLatin1Char('.') && !text.contains(QLatin1Char('.')));
}

bool rateKeyAllowed(QChar key)
{
    return isDigit(key);
}

bool rangeStartsIllegally(const QString& text)
{
    return text.startsWith(QLatin1Char('.')) || text.startsWith(QLatin1String("00"));
}

bool isLegalRange(const QString& range)
{
    int points = 0;
    for (qsizetype i = 0; i < range.size(); ++i) {
        const QChar c = range.at(i);
        if (c == QLatin1Char('.')) {
            if (i == 0 || ++points > 1) {
                return false;
            }
        } else if (!isDigit(c)) {
            return false;
        }
    }
    // An empty or zero range would make every weight an over-range error.
    bool ok = false;
    const double value = range.toDouble(&ok);
    return ok && value > 0.0;
}

bool isLegalBaudRate(const QString& baudRate)
{
    if (baudRate.isEmpty()) {
        return false;
    }
    for (const QChar c : baudRate) {
        if (!isDigit(c)) {
            return false;
        }
    }
    bool ok = false;
    const int value = baudRate.toInt(&ok);
    return ok && value > 0;
}

} // namespace ScaleInputRules
