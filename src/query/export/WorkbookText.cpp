#include "query/export/WorkbookText.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

// East Asian wide and fullwidth characters: the CJK blocks, Hangul, fullwidth forms and the CJK
// extension planes.
bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
           (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

} // namespace

namespace WorkbookText {

QStringView cellText(QStringView text)
{
    if (text.size() <= kMaxCellChars) {
        return text;
    }
    qsizetype size = kMaxCellChars;
    if (text.at(size - 1).isHighSurrogate()) {
        --size;
    }
    return text.first(size);
}

int displayWidth(QStringView text)
{
    int width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i).unicode(), text.at(i + 1).unicode());
            ++i;
        }
        width += isWide(c) ? 2 : 1;
    }
    return width;
}

bool number(QStringView text, double* value)
{
    bool ok = false;
    const double parsed = QLocale::c().toDouble(text.trimmed(), &ok);
    // Neither format has a cell for an infinite or undefined number: such a text stays a text.
    ok = ok && std::isfinite(parsed);
    if (ok && value) {
        *value = parsed;
    }
    return ok;
}

} // namespace WorkbookText

void ColumnFit::note(int column, QStringView text)
{
    if (text.isEmpty()) {
        return;
    }
    if (widths_.size() <= size_t(column)) {
        widths_.resize(size_t(column) + 1, 0);
    }
    // A margin of one digit keeps the text off the next column's border.
    const int width = std::clamp(WorkbookText::displayWidth(text) + 1, kMinWidth, kMaxWidth);
    widths_[size_t(column)] = std::max(widths_[size_t(column)], width);
}
