#include "station/ScanText.h"

#include <QList>

namespace ScanText {
namespace {

// Control characters, format characters (byte-order mark, zero-width space and joiners,
// direction marks, soft hyphen, tag characters) and the line and paragraph separators.
bool isInvisible(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

} // namespace

QString cleaned(const QString& scan)
{
    QString text;
    text.reserve(scan.size());
    for (const char32_t c : scan.toUcs4()) {
        if (!isInvisible(c)) {
            text.append(QStringView(QChar::fromUcs4(c)));
        }
    }
    return text.trimmed();
}

QString printable(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (!isInvisible(c)) {
            shown.append(QStringView(QChar::fromUcs4(c)));
            continue;
        }
        const int width = c < 0x100 ? 2 : (c < 0x10000 ? 4 : 6);
        shown.append(c < 0x100 ? QStringLiteral("\\x") : QStringLiteral("\\u"));
        shown.append(QString::number(c, 16).toUpper().rightJustified(width, QLatin1Char('0')));
    }
    return shown;
}

} // namespace ScanText
