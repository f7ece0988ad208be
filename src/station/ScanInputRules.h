#pragma once

#include <QChar>
#include <QString>

// What the scan tab's weight box (Edit2) and postage box (Edit3) accept as typed characters.
namespace ScanInputRules {

// Typed characters the boxes take at most (the scale may show longer texts).
inline constexpr int kWeightMaxTyped = 6;
inline constexpr int kPostageMaxTyped = 5;

// A digit, or a point while the text has none.
bool numberKeyAllowed(QChar key, const QString& text);
// A text that may not stand: beginning with a point or with "00".
bool startsIllegally(const QString& text);

} // namespace ScanInputRules
