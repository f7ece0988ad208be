#pragma once

#include "postage/PostageCalculation.h"

#include <QString>

// What priced a parcel: the trade and weight searched and the row that matched. Kept as the search
// left them, and put into words the shop owner can check against the rule list when shown: the
// table and search step, what of the destination the rule matched, the weight bracket and the
// arithmetic of the fee.
class PostageExplanation
{
public:
    PostageExplanation() = default;
    PostageExplanation(const PostageTrade& trade, qint64 weight, const PostageRuleMatch& match);

    // False for a parcel no rule priced.
    bool isValid() const { return m_match.found; }

    // "特殊1规则 第1步(省+市+县+地址) 规则号 …"
    QString rule() const;
    // "省份含“江苏” 市含“南京” 县/区含“江宁” 地址关键字“开发区”"
    QString region() const;
    // "重量1500克 在区间1000~3000克"
    QString bracket() const;
    // "首重1000克9元 + 2×续重1000克2元 = 13元"
    QString arithmetic() const;
    // The four parts, one per line; empty when not valid.
    QString text() const;

private:
    PostageTrade m_trade;
    qint64 m_weight = 0;
    PostageRuleMatch m_match;
};

// The fee's arithmetic for a parcel of weight grams; empty when the fee cannot be computed (a step
// weight of 0 beyond the first weight).
QString postageArithmetic(qint64 weight, qint64 beginChargeWeight, double beginChargeFee, qint64 detaWeight,
                          double detaFee);
