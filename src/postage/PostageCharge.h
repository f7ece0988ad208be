#pragma once

#include "postage/PostageCalculation.h"
#include "postage/PostageExplanation.h"

#include <QSqlDatabase>
#include <QString>
#include <QTime>

class Prompter;
class ReportSink;

// What the station shows in its postage box Edit3 when no rule covers a trade.
QString noPostageRuleText();

// What is said of a trade that no rule covers: "未设置{company}{weight box}KG{province key}地区的邮资规则!".
QString noPostageRuleMessage(const PostageTrade& trade, const QString& weightBoxText);

// The station log line for it, headed by the time of day: "10:15:02 : 未设置…".
QString noPostageRuleLine(const QTime& time, const PostageTrade& trade, const QString& weightBoxText);

// Reports that no rule covers the trade: the line above as a failure.
void reportNoPostageRule(ReportSink& sink, const PostageTrade& trade, const QString& weightBoxText);

struct PostageCharge
{
    // The fee in yuan, or -1 when no rule covers the trade or the calculation failed.
    double fee = -1;
    // The text for the postage box: noPostageRuleText() when no rule covers the trade, else empty.
    QString postageBoxText;
    // What priced the parcel; not valid without a fee.
    PostageExplanation explanation;
};

// Prices a parcel of weight grams for the trade. No rule: the no-rule report. Any error on the
// way (a statement fails, a price is not a number, a step weight of 0 beyond the first weight):
// "计算邮资错误!" through the prompter. Nothing is written either way.
PostageCharge CalculatePostage(PostageRuleFinder& finder, const PostageTrade& trade, int weight,
                               const QString& weightBoxText, ReportSink& sink, Prompter& prompter);

// The same with statements prepared for this one calculation.
PostageCharge CalculatePostage(QSqlDatabase& db, const PostageTrade& trade, int weight,
                               const QString& weightBoxText, ReportSink& sink, Prompter& prompter);
