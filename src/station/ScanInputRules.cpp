#include "station/ScanInputRules.h"

namespace ScanInputRules {

bool numberKeyAllowed(QChar key, const QString& text)
{
    if (key >= QLatin1Char('0') && key <= QLatin1Char('9')) {
        return true;
    }
    return key == QLatin1Char('.') && !text.contains(QLatin1Char('.'));
}

bool startsIllegally(const QString& text)
{
    return text.startsWith(QLatin1Char('.')) || text.startsWith(QLatin1String("00"));
}

} // namespace ScanInputRules
