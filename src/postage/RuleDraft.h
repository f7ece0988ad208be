#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The texts of one bracket row of the editor: end weight, first weight, first-weight fee, step
// weight and step fee. A row is complete when all five are filled in.
struct BracketTexts
{
    QString endWeight;
    QString firstWeight;
    QString firstFee;
    QString stepWeight;
    QString stepFee;

    bool isComplete() const
    {
        return !endWeight.isEmpty() && !firstWeight.isEmpty() && !firstFee.isEmpty() &&
               !stepWeight.isEmpty() && !stepFee.isEmpty();
    }
};

inline constexpr int kBracketRows = 9;

// One bracket as it is stored: weights in grams, fees in yuan.
struct Bracket
{
    qint64 startWeight = 0;
    qint64 endWeight = 0;
    qint64 beginChargeWeight = 0;
    double beginChargeFee = 0;
    qint64 detaWeight = 0;
    double detaFee = 0;
};

// What the rule editor holds when "确  定" is pressed.
struct RuleDraft
{
    QString express;   // EditSndStyle
    QString styleName; // EditSndTyple
    // Normal style: the checked provinces of the province list, in list order.
    QStringList checkedProvinces;
    // The province box of the style's page (a province list text).
    QString provinceText;
    QString city;
    QString town;
    QString adr;
    std::array<BracketTexts, kBracketRows> rows;
    // The region of the special rule being changed; an empty province when a new rule is entered.
    QString oldProvince;
    QString oldCity;
    QString oldTown;
    QString oldAdr;
};
