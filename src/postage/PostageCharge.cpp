#include "postage/PostageCharge.h"

#include "app/Prompter.h"
#include "postage/PostageText.h"
#include "station/ReportSink.h"

QString noPostageRuleText()
{
    return QStringLiteral("未设置邮资规则!");
}

QString noPostageRuleLine(const QTime& time, const PostageTrade& trade, const QString& weightBoxText)
{
    return time.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(" : 未设置") + trade.name +
           weightBoxText + QStringLiteral("KG") + PostageText::provinceKey(trade.province) +
           QStringLiteral("地区的邮资规则!");
}

void reportNoPostageRule(ReportSink& sink, const PostageTrade& trade, const QString& weightBoxText)
{
    sink.reportResult(noPostageRuleLine(QTime::currentTime(), trade, weightBoxText), false);
}

PostageCharge CalculatePostage(QSqlDatabase& db, const PostageTrade& trade, int weight,
                               const QString& weightBoxText, ReportSink& sink, Prompter& prompter)
{
    PostageCharge charge;
    PostageRuleMatch match;
    QString error;
    if (!FindPostageRule(db, trade, weight, &match, &error)) {
        prompter.inform(QStringLiteral("计算邮资错误!"));
        return charge;
    }
    if (!match.found) {
        reportNoPostageRule(sink, trade, weightBoxText);
        charge.postageBoxText = noPostageRuleText();
        return charge;
    }
    const std::optional<double> fee = PostageFee(weight, match);
    if (!fee) {
        prompter.inform(QStringLiteral("计算邮资错误!"));
        return charge;
    }
    charge.fee = *fee;
    return charge;
}
