#pragma once

#include <QString>

#include <optional>

// The unit weight a weighing stores: grams of one article, from the weight box in kilograms and
// the size of the sample on the scale.
namespace UnitWeight {

// Grams for the text of the weight box (kilograms). Nothing when the box holds no weight: empty,
// a status text of the scale, or not a finite number at or above zero. Whatever the binary
// representation of the kilograms, the grams are exact to the milligram (0.285 kg is 285 g).
std::optional<double> gramsOf(const QString& kilograms);

// The number of articles weighed together: a whole number above zero.
std::optional<int> sampleCount(const QString& text);

// One article's share of a sample, as the text that is shown and stored: the quotient written with
// up to fifteen significant digits, then cut (not rounded) one digit after the point; a whole
// quotient has no point. 500 g over 3 articles gives "166.6".
QString perArticle(double sampleGrams, int count);

} // namespace UnitWeight
