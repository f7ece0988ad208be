#pragma once

#include <QString>
#include <QStringList>

// Text forms shared by the postage search, the rule editor and the rule lists.
namespace PostageText {

// The province key of a destination: the four municipalities lose their "市" (rules store them as
// "上海", "北京" …); any other text is used as it is.
QString provinceKey(const QString& province);

// A city or county without its last character (南京市 → 南京, 江宁区 → 江宁), so that it is found
// inside the rule lists, which hold names without the suffix. One character gives an empty key.
QString withoutLastCharacter(const QString& text);

// The elements of a list text: the text before each ";". Text after the last ";" is not an
// element, and empty elements are kept (they never match anything).
QStringList listElements(const QString& list);

// Every element followed by ";".
QString listText(const QStringList& elements);

// The editor's rule for list boxes: a non-empty text gets a final ";" when it lacks one.
QString withFinalSeparator(const QString& text);

// True at the first keyword of the list that occurs in the address. Empty keywords never match.
bool addressMatches(const QString& keywordList, const QString& address);

// That first keyword; empty when none occurs.
QString matchedKeyword(const QString& keywordList, const QString& address);

// Escapes "\", "%" and "_" for a like pattern written with escape '\', so a value matches only itself.
QString escapeLike(const QString& value);

// A number as the program writes money and weights: up to 15 significant digits, no trailing zeros
// (12, 12.5, 30000).
QString number(double value);

} // namespace PostageText
