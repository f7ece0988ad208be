#pragma once

#include <QChar>
#include <QString>

// What the boxes of the goods tab take from the keyboard. Keys arrive as the character they type;
// Enter is '\r' and backspace '\b'.
namespace GoodsInputRules {

inline constexpr char16_t kEnter = u'\r';
inline constexpr char16_t kBackspace = u'\b';

// The weight box: digits and backspace, and a point while the text has none.
bool weightKeyAllowed(QChar key, const QString& text);
// A weight text that may not stand: beginning with a point or with "00".
bool weightStartsIllegally(const QString& text);
// The sample count: digits and backspace.
bool countKeyAllowed(QChar key);
// A sample count of exactly "0".
bool countIsZero(const QString& text);

} // namespace GoodsInputRules
