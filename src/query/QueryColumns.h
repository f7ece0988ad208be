#pragma once

#include "store/OrderDatabase.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// The 23 columns of the result list: column 0 the serial number, columns 1 to 22 the fields of a
// trade, each shown or hidden by row column − 1 of the column configuration.
namespace QueryColumns {

inline constexpr int kCount = 23;
inline constexpr int kGoodsWeight = 17;
inline constexpr int kPackagedWeight = 18;
inline constexpr int kDifference = 19;
inline constexpr int kPostage = 20;
inline constexpr int kSumCount = 4;

enum class Kind
{
    Serial,
    Integer, // numbers, decimals included
    Date,
    Text
};

QString title(int column);
Kind kind(int column);

// Whether goods weight, parcel weight, difference and postage are summed: their column is shown.
using SumFlags = std::array<bool, kSumCount>;
SumFlags sumFlags(const QList<bool>& shown);
bool anySum(const SumFlags& flags);

// Money and weights in the shortest general form (12, 12.5).
QString number(double value);

// The list row of a trade: its serial number, then the 22 fields, the weight difference worked out.
QStringList listRow(qint64 serial, const OrderDatabase::FoundTrade& trade);

struct Sums
{
    double goodsWeight = 0;
    double packagedWeight = 0;
    double difference = 0;
    double postage = 0;

    void add(const OrderDatabase::FoundTrade& trade);
    double byFlag(int flag) const;
};

// "合计", the four sums in columns 17 to 20, a blank in every other column.
QStringList sumRow(const Sums& sums);

// The status texts: the rows shown and, with the sums of the shown sum columns, the total found.
QString rangeText(qint64 first, qint64 last);
QString totalText(const Sums& sums, const SumFlags& flags, qint64 total);
inline constexpr char kNothingFoundPanel[] = "查询到 0 条记录";

} // namespace QueryColumns
