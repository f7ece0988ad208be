#include "scale/ScaleFrames.h"

#include <algorithm>
#include <cmath>

namespace ScaleFrames {

namespace {

QByteArray reversed(QByteArray text)
{
    std::reverse(text.begin(), text.end());
    return text;
}

// Exactly six characters as protocol C carries them, as many decimals as fit.
QByteArray sixCharacters(double weight)
{
    for (int decimals = 3; decimals >= 0; --decimals) {
        const QByteArray text = QByteArray::number(weight, 'f', decimals).rightJustified(6, '0');
        if (text.size() <= 6) {
            return text;
        }
    }
    return QByteArray::number(weight, 'f', 0).right(6);
}

} // namespace

std::optional<int> scaleTypeIndexOf(const QString& letter)
{
    const QString upper = letter.trimmed().toUpper();
    if (upper == QLatin1String("A")) {
        return 0;
    }
    if (upper == QLatin1String("B")) {
        return 1;
    }
    if (upper == QLatin1String("C")) {
        return 2;
    }
    if (upper == QLatin1String("D")) {
        return 4;
    }
    return std::nullopt;
}

QByteArray frame(int scaleTypeIndex, double weight)
{
    const bool negative = weight < 0;
    const double magnitude = std::fabs(weight);
    switch (scaleTypeIndex) {
    case 0: {
        const QByteArray number = QByteArray::number(magnitude, 'f', 3);
        return ((negative ? "-" : "") + number).rightJustified(8, ' ') + "kg\r\n";
    }
    case 1:
        return (negative ? "-" : "+") + QByteArray::number(magnitude, 'f', 3).rightJustified(8, '0') +
               "kg\r\n";
    case 2:
        return reversed(sixCharacters(magnitude)) + (negative ? "-=" : "=");
    case 4:
        return reversed(QByteArray::number(magnitude, 'f', 3).rightJustified(7, '0')) +
               (negative ? "-=" : "=");
    default:
        return {};
    }
}

std::optional<QByteArray> unescape(const QString& text)
{
    const QByteArray in = text.toUtf8();
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (c != '\\') {
            out.append(c);
            continue;
        }
        if (++i >= in.size()) {
            return std::nullopt;
        }
        switch (in.at(i)) {
        case 'r':
            out.append('\r');
            break;
        case 'n':
            out.append('\n');
            break;
        case 't':
            out.append('\t');
            break;
        case '\\':
            out.append('\\');
            break;
        case 'x': {
            if (i + 2 >= in.size()) {
                return std::nullopt;
            }
            bool ok = false;
            const int value = in.mid(i + 1, 2).toInt(&ok, 16);
            if (!ok) {
                return std::nullopt;
            }
            out.append(static_cast<char>(value));
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

QString escape(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        switch (c) {
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                out += QLatin1Char(c);
            } else {
                out += QStringLiteral("\\x%1").arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0'));
            }
        }
    }
    return out;
}

} // namespace ScaleFrames
