#pragma once

#include <QChar>
#include <QString>

// What the scale settings accept as range (kg) and baud rate.
namespace ScaleInputRules {

// Both boxes take at most this many typed characters.
constexpr int MaxTyped = 4;

// A typed character for the range box: a digit, or a point while the text has none.
bool rangeKeyAllowed(QChar key, const QString& text);
// A typed character for the baud rate box: a digit.
bool rateKeyAllowed(QChar key);
// A range text that may not stand: beginning with a point or with "00".
bool rangeStartsIllegally(const QString& text);

// The range as it is stored: digits with at most one point, not first, and a value above 0.
bool isLegalRange(const QString& range);
// The baud rate as it is stored: digits only, above 0.
bool isLegalBaudRate(const QString& baudRate);

} // namespace ScaleInputRules
