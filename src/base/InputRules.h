#pragma once

#include <QChar>
#include <QString>
#include <QtCore/qnamespace.h>

// Which keys the program's input boxes take. Each kind of box is one Rule: the characters it
// takes and how many, what it does with the clipboard keys, and whether Enter and Escape go on to
// its window. Keys that move the focus (Tab, Backtab), Backspace and keys that type nothing
// (arrows, Home, End, Delete, function keys) always reach the box.
namespace InputRules {

// A key press as the rules see it.
enum class KeyKind
{
    Character, // types `character`
    Backspace,
    Enter, // Return or the keypad's Enter
    Escape,
    FocusMove, // Tab and Backtab
    Paste,     // the platform's paste keys
    Shortcut,  // any other Ctrl, Alt or Meta combination: copy, cut, select all, undo …
    Other,     // types nothing
};

struct Key
{
    KeyKind kind = KeyKind::Other;
    QChar character;
};

// A key press given as Qt names it: `key` (a Qt::Key), the modifiers held, the text it types
// and whether the platform takes it for paste.
Key keyOf(int key, Qt::KeyboardModifiers modifiers, const QString& text, bool paste);

enum class Characters
{
    Any,
    Digits,
    Decimal, // digits and one point
};

enum class Shortcuts
{
    Pass,
    AllButPaste,
    Drop,
};

struct Rule
{
    Characters characters = Characters::Any;
    // Typed characters the box holds at most (a selection is replaced by the typed one); 0 for
    // no limit of the rule's own. Texts written by the program are never cut.
    int maxTyped = 0;
    Shortcuts shortcuts = Shortcuts::Pass;
    // Enter and Escape go on to the window (its default button, closing a dialog). Otherwise
    // they are dropped, unless the box has an Enter action of its own.
    bool windowKeys = true;
    // A pasted text is refused unless it keeps to the characters too.
    bool checksPastedText = false;
};

// Waybills, barcodes, connection settings: anything.
inline constexpr Rule kText{};
// The scan tab's weight (kg): the clipboard keys reach it, a pasted text is judged by the box's
// change check and logged there.
inline constexpr Rule kStationWeightKg{Characters::Decimal, 6, Shortcuts::Pass, false, false};
// The goods tab's weight (kg): nothing but digits, one point and Backspace, no clipboard keys.
inline constexpr Rule kGoodsWeightKg{Characters::Decimal, 6, Shortcuts::Drop, false, false};
// The scan tab's postage (yuan).
inline constexpr Rule kPostageYuan{Characters::Decimal, 5, Shortcuts::Pass, false, false};
// The goods tab's sample size: a count of articles.
inline constexpr Rule kSampleCount{Characters::Digits, 0, Shortcuts::Drop, false, false};
// The scale settings: the range (kg) and the baud rate; nothing is pasted into them.
inline constexpr Rule kScaleRangeKg{Characters::Decimal, 4, Shortcuts::AllButPaste, true, false};
inline constexpr Rule kBaudRate{Characters::Digits, 4, Shortcuts::AllButPaste, true, false};
// The rule editor's weight brackets: whole grams, and fees in yuan.
inline constexpr Rule kBracketGrams{Characters::Digits, 0, Shortcuts::Pass, true, true};
inline constexpr Rule kBracketYuan{Characters::Decimal, 0, Shortcuts::Pass, true, true};

// Whether a box under `rule` lets the key through. `text` is the box's text and `selected` the
// number of its characters that are selected.
bool passes(const Rule& rule, const Key& key, const QString& text, qsizetype selected);
// Whether a whole text keeps to the rule's characters.
bool keepsToCharacters(const Rule& rule, const QString& text);
// Whether a whole text could have been typed into a box under `rule`, key by key: its characters
// and, where the rule limits it, its length. A weight given another way (a headless station's
// argument) is held to the box it stands for with this.
bool couldBeTyped(const Rule& rule, const QString& text);
// Whether the key counts as typing into the box: anything but Enter, focus moves and keys that
// type nothing.
bool isTyping(const Key& key);

// A number text that may not stand: beginning with a point or with "00".
bool startsIllegally(const QString& text);
// Exactly "0".
bool isLoneZero(const QString& text);
// The scale range as it is stored: digits with at most one point, not first, above 0.
bool isLegalRange(const QString& range);
// The baud rate as it is stored: digits only, above 0.
bool isLegalBaudRate(const QString& baudRate);

} // namespace InputRules
