#include "postage/PostageExplanation.h"

#include "postage/PostageText.h"

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
    return QStringLiteral("“") + text + QStringLiteral("”");
}

// A key compared by containment: an empty key is found in every listed name.
QString containsTest(const QString& what, const QString& key)
{
    return key.isEmpty() ? what + QStringLiteral("不限") : what + QStringLiteral("含") + quoted(key);
}

} // namespace

QString PostageExplanation::text() const
{
    return QStringList{rule, region, bracket, arithmetic}.join(QLatin1Char('\n'));
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
        QStringLiteral("首重%1克%2元").arg(beginChargeWeight).arg(PostageText::number(beginChargeFee));
    if (!(weight > 0 && weight <= beginChargeWeight)) {
        // Recovered from the fee's own rule: one step fee per started step beyond the first weight.
        const qint64 beyond = weight - beginChargeWeight;
        const qint64 steps = beyond / detaWeight + (beyond % detaWeight > 0 ? 1 : 0);
        text +=
            QStringLiteral(" + %1×续重%2克%3元").arg(steps).arg(detaWeight).arg(PostageText::number(detaFee));
    }
    return text + QStringLiteral(" = %1元").arg(PostageText::number(*fee));
}

PostageExplanation explainPostage(const PostageTrade& trade, qint64 weight, const PostageRuleMatch& match)
{
    PostageExplanation explanation;
    const Level level = levelOf(match.table, match.typle);
    QStringList parts{QStringLiteral("省")};
    if (level.city) {
        parts.append(QStringLiteral("市"));
    }
    if (level.town) {
        parts.append(QStringLiteral("县"));
    }
    if (match.table == QLatin1String("rule1")) {
        parts.append(QStringLiteral("地址"));
    }
    explanation.rule = QStringLiteral("%1 第%2步(%3) 规则号%4")
                           .arg(tableName(match.table))
                           .arg(match.step)
                           .arg(parts.join(QLatin1Char('+')), match.ruleIndex);

    const QString province = PostageText::provinceKey(trade.province);
    QStringList region;
    if (match.table == QLatin1String("rule")) {
        region.append(province.isEmpty()
                          ? QStringLiteral("省份不限")
                          : QStringLiteral("省份以") + quoted(province) + QStringLiteral("开头"));
    } else {
        region.append(containsTest(QStringLiteral("省份"), province));
    }
    if (level.city) {
        region.append(containsTest(QStringLiteral("市"), PostageText::withoutLastCharacter(trade.city)));
    }
    if (level.town) {
        region.append(containsTest(QStringLiteral("县/区"), PostageText::withoutLastCharacter(trade.town)));
    }
    if (!match.keyword.isEmpty()) {
        region.append(QStringLiteral("地址关键字") + quoted(match.keyword));
    }
    explanation.region = region.join(QLatin1Char(' '));

    explanation.bracket =
        QStringLiteral("重量%1克 在区间%2~%3克")
            .arg(weight)
            .arg(PostageText::number(match.startWeight), PostageText::number(match.endWeight));
    explanation.arithmetic = postageArithmetic(weight, match.beginChargeWeight, match.beginChargeFee,
                                               match.detaWeight, match.detaFee);
    return explanation;
}
