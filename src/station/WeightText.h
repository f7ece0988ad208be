#pragma once

#include <QString>

#include <optional>

// Weights go on screen as kilograms and into every computation as whole grams. The conversion
// works on the decimal digits themselves, so no gram is lost to binary rounding: "1.005" is 1005 g.
namespace WeightText {

// Kilograms as typed or shown ("1.25", "-0.2", " 3", "1e-3") to whole grams, truncated toward zero
// ("1.2345" is 1234 g, "-0.0127" is -12 g). Values beyond the 32-bit range stop at its ends.
// Empty when the text is not a number.
std::optional<qint32> grams(const QString& kilograms);

// Grams as kilograms with three decimals, the form of every report line ("1.250", "-0.012").
QString kilograms(qint64 grams);
// The same for a weight with a fraction of a gram, rounded to the nearest gram.
QString kilograms(double grams);

} // namespace WeightText
