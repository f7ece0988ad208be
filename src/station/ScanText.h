#pragma once

#include <QString>

// Scanned numbers as the station takes them, and texts as a terminal shows them.
namespace ScanText {

// The scan without the characters no label shows: byte-order marks, zero-width and direction
// marks, control characters a scanner adds before or after the code (STX, CR, Tab …), and blanks
// at either end. What is left is what the operator reads on the parcel, and what the log shows.
QString cleaned(const QString& scan);

// The text with every control and invisible character written as \xHH or \uHHHH, so that a line
// printed to a terminal can neither move the cursor nor hide what it says.
QString printable(const QString& text);

} // namespace ScanText
