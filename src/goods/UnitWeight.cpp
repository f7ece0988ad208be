#include "goods/UnitWeight.h"

#include <algorithm>
#include <cmath>

namespace UnitWeight {

namespace {

// Fifteen significant digits in plain decimal notation: a tiny share never turns into an exponent.
QString generalText(double value)
{
    const int wholeDigits = value >= 1.0 ? static_cast<int>(std::floor(std::log10(value))) + 1 : 1;
    QString text = QString::number(value, 'f', std::max(0, 15 - wholeDigits));
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0'))) {
            text.chop(1);
        }
        if (text.endsWith(QLatin1Char('.'))) {
            text.chop(1);
        }
    }
    return text;
}

} // namespace

std::optional<double> gramsOf(const QString& kilograms)
{
    bool ok = false;
    const double value = kilograms.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0.0) {
        return std::nullopt;
    }
    return std::round(value * 1000.0 * 1000.0) / 1000.0;
}

std::optional<int> sampleCount(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || !std::all_of(trimmed.cbegin(), trimmed.cend(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        })) {
        return std::nullopt;
    }
    bool ok = false;
    const int count = trimmed.toInt(&ok);
    if (!ok || count <= 0) {
        return std::nullopt;
    }
    return count;
}

QString perArticle(double sampleGrams, int count)
{
    QString text = generalText(sampleGrams / count);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point >= 0) {
        text.truncate(point + 2);
    }
    return text;
}

} // namespace UnitWeight
