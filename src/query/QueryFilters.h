#pragma once

#include <QDate>
#include <QString>

// The filters of the query tab as the operator set them. Positions are those of the tab's lists,
// 0 being the blank entry.
struct QueryFilters
{
    QDate from;
    QDate to;
    int searchType = 0; // 1 waybill … 9 telephone
    QString value;
    bool fuzzy = false;
    QString shop;
    bool shopEnabled = true;
    QString logistic;
    bool logisticEnabled = true;
    QString operatorName;
    int weightType = 0; // 1 goods weight, 2 parcel weight, 3 difference
    QString weightFrom;
    QString weightTo;
};

// Search type positions the tab treats apart.
namespace SearchType {
inline constexpr int kShop = 6;
inline constexpr int kLogistic = 7;
inline constexpr int kCustomerId = 8;
inline constexpr int kLast = 9;
} // namespace SearchType
