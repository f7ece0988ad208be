#include "station/WeightText.h"

#include <cmath>
#include <limits>

namespace WeightText {
namespace {

constexpr qint64 kIntMax = std::numeric_limits<qint32>::max();
constexpr qint64 kIntMin = std::numeric_limits<qint32>::min();
// More digits than this can only be beyond the 32-bit range, whatever the decimal point does.
constexpr int kMaxSignificantDigits = 12;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

qint32 clamped(bool negative, qint64 magnitude)
{
    const qint64 value = negative ? -magnitude : magnitude;
    return static_cast<qint32>(value < kIntMin ? kIntMin : (value > kIntMax ? kIntMax : value));
}

} // namespace

std::optional<qint32> grams(const QString& kilograms)
{
    const QString text = kilograms.trimmed();
    int i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    // The digits without the point, and how many of them stand after it.
    QString digits;
    int fractionDigits = 0;
    bool point = false;
    bool anyDigit = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            anyDigit = true;
            digits += c;
            fractionDigits += point ? 1 : 0;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    int exponent = 0;
    if (i < text.size() && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
            negativeExponent = text[i] == QLatin1Char('-');
            ++i;
        }
        const int start = i;
        for (; i < text.size() && isDigit(text[i]); ++i) {
            if (exponent < 10000) {
                exponent = exponent * 10 + (text[i].unicode() - '0');
            }
        }
        if (i == start) {
            return std::nullopt;
        }
        exponent = negativeExponent ? -exponent : exponent;
    }
    if (i != text.size()) {
        return std::nullopt;
    }

    // Kilograms to grams moves the point three places; the digits that end up behind it are cut.
    int shift = exponent + 3 - fractionDigits;
    int first = 0;
    while (first < digits.size() && digits[first] == QLatin1Char('0')) {
        ++first;
    }
    digits = digits.mid(first);
    if (shift < 0) {
        digits.chop(std::min<int>(-shift, static_cast<int>(digits.size())));
        shift = 0;
    }
    if (digits.isEmpty()) {
        return 0;
    }
    if (digits.size() + shift > kMaxSignificantDigits) {
        return clamped(negative, kIntMax + 1);
    }
    qint64 magnitude = 0;
    for (const QChar c : digits) {
        magnitude = magnitude * 10 + (c.unicode() - '0');
    }
    for (int k = 0; k < shift; ++k) {
        magnitude *= 10;
    }
    return clamped(negative, magnitude);
}

QString kilograms(qint64 grams)
{
    const bool negative = grams < 0;
    const quint64 magnitude = negative ? 0 - static_cast<quint64>(grams) : static_cast<quint64>(grams);
    return (negative ? QStringLiteral("-") : QString()) + QString::number(magnitude / 1000) +
           QLatin1Char('.') + QStringLiteral("%1").arg(magnitude % 1000, 3, 10, QLatin1Char('0'));
}

QString kilograms(double grams)
{
    if (!std::isfinite(grams) || std::fabs(grams) > 9.0e15) {
        return QString::number(grams * 0.001, 'f', 3);
    }
    return kilograms(static_cast<qint64>(std::llround(grams)));
}

} // namespace WeightText
