#pragma once

#include "QueryShop.h"

#include "query/QueryColumns.h"
#include "query/QueryCondition.h"
#include "query/QueryFilters.h"

#include <QtTest>

#include <functional>

// The March trades that the filter searches run on, and the table of filters with the trades each
// finds, shared by the searches on the file and those over the wire.
namespace MarchTrades {

using Change = std::function<void(QueryFilters&, QueryShop&)>;

inline QueryFilters march()
{
    QueryFilters filters;
    filters.from = QDate(2031, 3, 1);
    filters.to = QDate(2031, 3, 31);
    return filters;
}

inline QueryColumns::SumFlags allSums()
{
    return {true, true, true, true};
}

inline void add(QueryShop& shop)
{
    QueryShop::Trade trade;
    trade.id = 1;
    trade.tradeNo = QStringLiteral("T-ABC-001");
    trade.postId = QStringLiteral("YT100");
    trade.nick = QStringLiteral("小明_shop");
    shop.add(trade);

    trade.id = 2;
    trade.tradeNo = QStringLiteral("T-ABC-002");
    trade.postId = QStringLiteral("YT200");
    trade.nick = QStringLiteral("小明%shop");
    trade.sndTo = QStringLiteral("林晓燕");
    trade.goods = QStringLiteral("T恤*2;马克杯*1");
    trade.sndTime = QStringLiteral("2031-03-10 23:59:59");
    trade.shopId = 2;
    trade.logisticId = 2;
    trade.customerId = QueryShop::kOtherCustomer;
    trade.goodsWeight = 800;
    trade.packagedWeight = 800;
    trade.postage = 12.5;
    trade.sndOperator = QStringLiteral("李秀兰");
    trade.tel = QStringLiteral("13900000001");
    shop.add(trade);

    trade = QueryShop::Trade();
    trade.id = 3;
    trade.tradeNo = QStringLiteral("X-999");
    trade.nick = QStringLiteral("大明");
    trade.sndTo = QStringLiteral("陈");
    trade.goods = QStringLiteral("发夹*3");
    trade.sndTime = QStringLiteral("2031-03-11 00:00:00");
    trade.logisticId = 2;
    trade.goodsWeight = 1000;
    trade.packagedWeight = 1100;
    trade.tel = QStringLiteral("021-[5]");
    shop.add(trade);

    trade = QueryShop::Trade();
    trade.id = 4;
    trade.tradeNo = QStringLiteral("t-abc-004");
    trade.nick = QStringLiteral("xiaoming");
    trade.sndTime = QStringLiteral("2031-03-12 08:00:00");
    trade.shopId = 3;
    trade.goodsWeight = 0;
    trade.packagedWeight = 300;
    trade.sndOperator = QStringLiteral("张建国");
    shop.add(trade);
    // What "_" and "[5]" would find if they were not taken literally.
    trade = QueryShop::Trade();
    trade.id = 7;
    trade.nick = QStringLiteral("小明xshop");
    trade.tel = QStringLiteral("021-5");
    trade.sndTime = QStringLiteral("2031-03-12 23:59:59");
    shop.add(trade);
    // Shipped the month before and after: outside every March search.
    trade.id = 5;
    trade.sndTime = QStringLiteral("2031-02-28 23:59:59");
    shop.add(trade);
    trade.id = 6;
    trade.sndTime = QStringLiteral("2031-04-01 00:00:00");
    shop.add(trade);
}

// Columns "change" (applied to march()) and "ids" (the trades found, by TradeID).
inline void addFilterRows()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QList<int>>("ids");
    const auto search = [](int type, const char* value, bool fuzzy = false) {
        return Change([=](QueryFilters& f, QueryShop&) {
            f.searchType = type;
            f.value = QString::fromUtf8(value);
            f.fuzzy = fuzzy;
        });
    };
    const auto weight = [](int type, const char* from, const char* to) {
        return Change([=](QueryFilters& f, QueryShop&) {
            f.weightType = type;
            f.weightFrom = QString::fromLatin1(from);
            f.weightTo = QString::fromLatin1(to);
        });
    };
    const auto days = [](int from, int to) {
        return Change([=](QueryFilters& f, QueryShop&) {
            f.from = QDate(2031, 3, from);
            f.to = QDate(2031, 3, to);
        });
    };
    const auto all = QList<int>{1, 2, 3, 4, 7};
    QTest::newRow("dates only") << Change() << all;
    QTest::newRow("one day, to its last second") << days(10, 10) << QList<int>{1, 2};
    QTest::newRow("another day") << days(12, 12) << QList<int>{4, 7};
    QTest::newRow("range from midnight to the last second") << days(11, 12) << QList<int>{3, 4, 7};
    QTest::newRow("waybill") << search(1, "YT200") << QList<int>{2};
    QTest::newRow("waybill not found") << search(1, "YT404") << QList<int>{};
    QTest::newRow("waybill has no fuzzy form") << search(1, "YT", true) << QList<int>{};
    QTest::newRow("order number") << search(2, "T-ABC-001") << QList<int>{1};
    QTest::newRow("order number fuzzy, any case") << search(2, "ABC", true) << QList<int>{1, 2, 4};
    QTest::newRow("nick exact") << search(3, "大明") << QList<int>{3};
    QTest::newRow("nick fuzzy percent is a percent") << search(3, "%", true) << QList<int>{2};
    QTest::newRow("nick fuzzy underscore is an underscore") << search(3, "明_", true) << QList<int>{1};
    QTest::newRow("nick fuzzy backslash") << search(3, "\\", true) << QList<int>{};
    QTest::newRow("recipient exact") << search(4, "林晓") << QList<int>{1, 4, 7};
    QTest::newRow("recipient fuzzy") << search(4, "晓燕", true) << QList<int>{2};
    QTest::newRow("goods fuzzy") << search(5, "马克杯", true) << QList<int>{1, 2, 4, 7};
    QTest::newRow("goods exact") << search(5, "发夹*3") << QList<int>{3};
    QTest::newRow("shop name") << Change([](QueryFilters& f, QueryShop& shop) {
        f.searchType = 6;
        f.value = shop.shopName(2);
    }) << QList<int>{2};
    QTest::newRow("logistics name fuzzy") << Change([](QueryFilters& f, QueryShop& shop) {
        f.searchType = 7;
        f.value = shop.logisticName(2).mid(1, 2);
        f.fuzzy = true;
    }) << QList<int>{2, 3};
    QTest::newRow("customer ID") << search(8, "990002") << QList<int>{2};
    QTest::newRow("customer ID, blanks around") << search(8, " 990001 ") << QList<int>{1, 3, 4, 7};
    QTest::newRow("telephone exact") << search(9, "13900000001") << QList<int>{2};
    QTest::newRow("telephone exact with a bracket") << search(9, "021-[5]") << QList<int>{3};
    QTest::newRow("telephone fuzzy bracket is a bracket") << search(9, "[5]", true) << QList<int>{3};
    QTest::newRow("blank search type ignores the value") << search(0, "YT200") << all;
    QTest::newRow("shop list") << Change([](QueryFilters& f, QueryShop& shop) { f.shop = shop.shopName(1); })
                               << QList<int>{1, 3, 7};
    QTest::newRow("shop list disabled") << Change([](QueryFilters& f, QueryShop& shop) {
        f.shop = shop.shopName(1);
        f.shopEnabled = false;
    }) << all;
    QTest::newRow("logistics list") << Change([](QueryFilters& f, QueryShop& shop) {
        f.logistic = shop.logisticName(2);
    }) << QList<int>{2, 3};
    QTest::newRow("operator") << Change([](QueryFilters& f, QueryShop&) { f.operatorName = "王晓峰"; })
                              << QList<int>{1, 3, 7};
    QTest::newRow("operator fuzzy") << Change([](QueryFilters& f, QueryShop&) {
        f.operatorName = "建";
        f.fuzzy = true;
    }) << QList<int>{4};
    QTest::newRow("fuzzy order number in one shop") << Change([](QueryFilters& f, QueryShop& shop) {
        f.searchType = 2;
        f.value = "abc";
        f.fuzzy = true;
        f.shop = shop.shopName(1).left(2);
    }) << QList<int>{1};
    QTest::newRow("goods weight range") << weight(1, "500", "800") << QList<int>{1, 2, 7};
    QTest::newRow("goods weight equal") << weight(1, "800", "800") << QList<int>{2};
    QTest::newRow("parcel weight equal") << weight(2, "620", "620") << QList<int>{1, 7};
    QTest::newRow("parcel weight range") << weight(2, "700", "1100") << QList<int>{2, 3};
    QTest::newRow("difference equal to 0") << weight(3, "0", "0") << QList<int>{2};
    QTest::newRow("difference range") << weight(3, "100", "300") << QList<int>{1, 3, 4, 7};
    QTest::newRow("weight without type") << weight(0, "500", "500") << all;
    QTest::newRow("weight range half given") << weight(1, "500", "") << all;
}

// The filter of march() as changed, in the dialect of db; a refusal is logged.
inline bool filterFor(OrderDatabase& db, const QueryFilters& filters, OrderDatabase::TradeFilter* filter)
{
    QString message;
    const bool built = QueryCondition::build(filters, db.dialect(), filter, &message);
    if (!built) {
        qWarning("refused: %s", qPrintable(message));
    }
    return built;
}

} // namespace MarchTrades
