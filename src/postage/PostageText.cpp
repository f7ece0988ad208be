#include "postage/PostageText.h"

#include <cmath>

namespace PostageText {

namespace {
const QChar kSeparator = QLatin1Char(';');
}

QString provinceKey(const QString& province)
{
    static const QString municipalities[] = {QStringLiteral("上海市"), QStringLiteral("北京市"),
                                             QStringLiteral("重庆市"), QStringLiteral("天津市")};
    for (const QString& city : municipalities) {
        if (province == city) {
            return province.left(province.size() - 1);
        }
    }
    return province;
}

QString withoutLastCharacter(const QString& text)
{
    if (text.isEmpty()) {
        return text;
    }
    qsizetype cut = text.size() - 1;
    // A character outside the basic plane is two UTF-16 units; drop both.
    if (cut > 0 && text.at(cut).isLowSurrogate() && text.at(cut - 1).isHighSurrogate()) {
        --cut;
    }
    return text.left(cut);
}

QStringList listElements(const QString& list)
{
    QStringList elements = list.split(kSeparator);
    // The piece after the last separator is not closed by one, so it is no element.
    elements.removeLast();
    return elements;
}

QString listText(const QStringList& elements)
{
    QString text;
    for (const QString& element : elements) {
        text += element;
        text += kSeparator;
    }
    return text;
}

QString withFinalSeparator(const QString& text)
{
    if (!text.isEmpty() && !text.endsWith(kSeparator)) {
        return text + kSeparator;
    }
    return text;
}

bool addressMatches(const QString& keywordList, const QString& address)
{
    return !matchedKeyword(keywordList, address).isEmpty();
}

QString matchedKeyword(const QString& keywordList, const QString& address)
{
    const QStringList keywords = listElements(keywordList);
    for (const QString& keyword : keywords) {
        if (!keyword.isEmpty() && address.contains(keyword, Qt::CaseSensitive)) {
            return keyword;
        }
    }
    return QString();
}

QString escapeLike(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_')) {
            escaped += QLatin1Char('\\');
        }
        escaped += c;
    }
    return escaped;
}

QString number(double value)
{
    // Whole yuan and grams are the common case, and far cheaper to write as integers; numbers of 15
    // digits or more keep the general form.
    if (value == std::trunc(value) && std::fabs(value) < 1e14) {
        return QString::number(static_cast<qint64>(value));
    }
    return QString::number(value, 'g', 15);
}

} // namespace PostageText
