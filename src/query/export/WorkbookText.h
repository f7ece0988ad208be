#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// What both workbook formats do alike with the text of a cell.
namespace WorkbookText {

// The most characters a cell holds; longer texts are cut.
constexpr int kMaxCellChars = 32767;

// text cut to what a cell holds, never in the middle of a surrogate pair.
QStringView cellText(QStringView text);

// The width text takes in a column, in widths of a digit: wide East Asian characters take two.
int displayWidth(QStringView text);

// The number a numeric cell's text stands for; false when the text is not a number.
bool number(QStringView text, double* value);

} // namespace WorkbookText

// Column widths fitted to the widest text written in each column, in widths of a digit, so that a
// sheet opens readable without the user widening columns by hand.
class ColumnFit
{
public:
    static constexpr int kMinWidth = 2;
    static constexpr int kMaxWidth = 100;

    void note(int column, QStringView text);
    // One entry per column up to the last that holds text; 0 where a column holds none.
    const std::vector<int>& widths() const { return widths_; }

private:
    std::vector<int> widths_;
};
