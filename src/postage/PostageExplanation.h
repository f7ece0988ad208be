#pragma once

#include "postage/PostageCalculation.h"

#include <QString>

// What priced a parcel, in words the shop owner can check against the rule list: the table and
// search step, what of the destination the rule matched, the weight bracket and the arithmetic of
// the fee.
struct PostageExplanation
{
    // "特殊1规则 第1步(省+市+县+地址) 规则号 …"
    QString rule;
    // "省份含“江苏” 市含“南京” 县/区含“江宁” 地址关键字“开发区”"
    QString region;
    // "重量1500克 在区间1000~3000克"
    QString bracket;
    // "首重1000克9元 + 2×续重1000克2元 = 13元"
    QString arithmetic;

    // The four parts, one per line.
    QString text() const;
};

// The fee's arithmetic for a parcel of weight grams; empty when the fee cannot be computed (a step
// weight of 0 beyond the first weight).
QString postageArithmetic(qint64 weight, qint64 beginChargeWeight, double beginChargeFee, qint64 detaWeight,
                          double detaFee);

// Explains a found match for the trade and weight it was searched with.
PostageExplanation explainPostage(const PostageTrade& trade, qint64 weight, const PostageRuleMatch& match);
