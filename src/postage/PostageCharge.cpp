#include "postage/PostageCharge.h"

#include "base/Texts.h"

#include "base/Prompter.h"
#include "base/ReportSink.h"
#include "postage/PostageText.h"

QString noPostageRuleText()
{
    return QStringLiteral("未设置邮资规则!");
}

QString noPostageRuleMessage(const PostageTrade& trade, const QString& weightBoxText)
{
    return QStringLiteral("未设置") + trade.name + weightBoxText + QStringLiteral("KG") +
           PostageText::provinceKey(trade.province) + QStringLiteral("地区的邮资规则!");
}

QString noPostageRuleLine(const QTime& time, const PostageTrade& trade, const QString& weightBoxText)
{
    return time.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(" : ") +
           noPostageRuleMessage(trade, weightBoxText);
}

void reportNoPostageRule(ReportSink& sink, const PostageTrade& trade, const QString& weightBoxText)
{
    sink.reportResult(noPostageRuleLine(QTime::currentTime(), trade, weightBoxText), false);
}

PostageCharge CalculatePostage(PostageRuleFinder& finder, const PostageTrade& trade, int weight,
                               const QString& weightBoxText, ReportSink& sink, Prompter& prompter)
{
    PostageCharge charge;
    PostageRuleMatch match;
    QString error;
    if (!finder.find(trade, weight, &match, &error)) {
        prompter.inform(QString::fromUtf8(Texts::kPostageError));
        return charge;
    }
    if (!match.found) {
        reportNoPostageRule(sink, trade, weightBoxText);
        charge.postageBoxText = noPostageRuleText();
        return charge;
    }
    const std::optional<double> fee = PostageFee(weight, match);
    if (!fee) {
        prompter.inform(QString::fromUtf8(Texts::kPostageError));
        return charge;
    }
    charge.fee = *fee;
    charge.explanation = PostageExplanation(trade, weight, match);
    return charge;
}

PostageCharge CalculatePostage(QSqlDatabase& db, const PostageTrade& trade, int weight,
                               const QString& weightBoxText, ReportSink& sink, Prompter& prompter)
{
    PostageRuleFinder finder(db);
    return CalculatePostage(finder, trade, weight, weightBoxText, sink, prompter);
}
