#include "goods/GoodsInputRules.h"

namespace GoodsInputRules {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

bool weightKeyAllowed(QChar key, const QString& text)
{
    return isDigit(key) || key == QChar(kBackspace) ||
           (key == QLatin1Char('.') && !text.contains(QLatin1Char('.')));
}

bool weightStartsIllegally(const QString& text)
{
    return text.startsWith(QLatin1Char('.')) || text.startsWith(QLatin1String("00"));
}

bool countKeyAllowed(QChar key)
{
    return isDigit(key) || key == QChar(kBackspace);
}

bool countIsZero(const QString& text)
{
    return text == QLatin1String("0");
}

} // namespace GoodsInputRules
