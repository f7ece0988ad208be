#include "postage/PostageExplanation.h"

#include "postage/PostageText.h"

#include <QStringBuilder>

namespace {

struct Level
{
    bool city = false;
    bool town = false;
};

// Which of city and county a level code compares, by table.
Level levelOf(const QString& table, int typle)
{
    if (table == QLatin1String("rule1")) {
        return {typle == 4 || typle == 2, typle == 4 || typle == 3};
    }
    if (table == QLatin1String("rule2")) {
        return {typle == 3 || typle == 1, typle == 3 || typle == 2};
    }
    return {};
}

QString tableName(const QString& table)
{
    if (table == QLatin1String("rule1")) {
        return QStringLiteral("特殊1规则");
    }
    if (table == QLatin1String("rule2")) {
        return QStringLiteral("特殊2规则");
    }
    return QStringLiteral("普通规则");
}

QString quoted(const QString& text)
{
    return u"“" % text % u"”";
}

// A key compared by containment: an empty key is found in every listed name.
QString containsTest(const QString& what, const QString& key)
{
    if (key.isEmpty()) {
        return what % u"不限";
    }
    return what % u"含" % quoted(key);
}

} // namespace

PostageExplanation::PostageExplanation(const PostageTrade& trade, qint64 weight,
                                       const PostageRuleMatch& match)
    : m_trade(trade)
    , m_weight(weight)
    , m_match(match)
{
}

QString PostageExplanation::text() const
{
    if (!isValid()) {
        return QString();
    }
    return rule() % QLatin1Char('\n') % region() % QLatin1Char('\n') % bracket() % QLatin1Char('\n') %
           arithmetic();
}

QString postageArithmetic(qint64 weight, qint64 beginChargeWeight, double beginChargeFee, qint64 detaWeight,
                          double detaFee)
{
    const std::optional<double> fee =
        PostageFee(weight, beginChargeWeight, beginChargeFee, detaWeight, detaFee);
    if (!fee) {
        return QString();
    }
    QString text =
        u"首重" % QString::number(beginChargeWeight) % u"克" % PostageText::number(beginChargeFee) % u"元";
    if (!(weight > 0 && weight <= beginChargeWeight)) {
        // Recovered from the fee's own rule: one step fee per started step beyond the first weight.
        const qint64 beyond = weight - beginChargeWeight;
        const qint64 steps = beyond / detaWeight + (beyond % detaWeight > 0 ? 1 : 0);
        text += u" + " % QString::number(steps) % u"×续重" % QString::number(detaWeight) % u"克" %
                PostageText::number(detaFee) % u"元";
    }
    return text % u" = " % PostageText::number(*fee) % u"元";
}

QString PostageExplanation::rule() const
{
    const Level level = levelOf(m_match.table, m_match.typle);
    QString parts = QStringLiteral("省");
    if (level.city) {
        parts += u"+市";
    }
    if (level.town) {
        parts += u"+县";
    }
    if (m_match.table == QLatin1String("rule1")) {
        parts += u"+地址";
    }
    return tableName(m_match.table) % u" 第" % QString::number(m_match.step) % u"步(" % parts % u") 规则号" %
           m_match.ruleIndex;
}

QString PostageExplanation::region() const
{
    const Level level = levelOf(m_match.table, m_match.typle);
    const QString province = PostageText::provinceKey(m_trade.province);
    QString region;
    if (m_match.table == QLatin1String("rule")) {
        region =
            province.isEmpty() ? QStringLiteral("省份不限") : QString(u"省份以" % quoted(province) % u"开头");
    } else {
        region = containsTest(QStringLiteral("省份"), province);
    }
    if (level.city) {
        region += QLatin1Char(' ') %
                  containsTest(QStringLiteral("市"), PostageText::withoutLastCharacter(m_trade.city));
    }
    if (level.town) {
        region += QLatin1Char(' ') %
                  containsTest(QStringLiteral("县/区"), PostageText::withoutLastCharacter(m_trade.town));
    }
    if (!m_match.keyword.isEmpty()) {
        region += u" 地址关键字" % quoted(m_match.keyword);
    }
    return region;
}

QString PostageExplanation::bracket() const
{
    return u"重量" % QString::number(m_weight) % u"克 在区间" % PostageText::number(m_match.startWeight) %
           u"~" % PostageText::number(m_match.endWeight) % u"克";
}

QString PostageExplanation::arithmetic() const
{
    return postageArithmetic(m_weight, m_match.beginChargeWeight, m_match.beginChargeFee, m_match.detaWeight,
                             m_match.detaFee);
}
