// Searches on an embedded order database: which trades each filter finds, what it refuses, and the
// pages, sums and status texts of a search.
#include "MarchTrades.h"

#include "query/QueryCondition.h"
#include "query/QueryRun.h"

#include <QtTest>

#include <algorithm>

using namespace MarchTrades;

class TestQuerySearch : public QObject
{
    Q_OBJECT

private:
    QueryShop m_shop;

    QList<int> found(const QueryFilters& filters)
    {
        OrderDatabase::TradeFilter filter;
        QString message;
        if (!QueryCondition::build(filters, m_shop.db.dialect(), &filter, &message)) {
            qWarning("refused: %s", qPrintable(message));
            return {-1};
        }
        // Both ways of reading them, chosen by the count given, find the same trades in the same order.
        QList<int> ids;
        QList<int> walked;
        for (const auto& [count, list] : {std::pair{qint64(1), &ids}, std::pair{qint64(1000000), &walked}}) {
            if (!m_shop.db.eachTrade(filter, count, [list](const OrderDatabase::FoundTrade& trade) {
                    *list << trade.fields.at(0).toInt();
                    return true;
                })) {
                qWarning("failed: %s", qPrintable(m_shop.db.lastError()));
                return {-2};
            }
        }
        if (walked != ids) {
            return {-4};
        }
        qint64 total = -1;
        m_shop.db.countTrades(filter, &total);
        if (total != ids.size()) {
            return {-3};
        }
        return ids;
    }

private slots:
    void initTestCase() { MarchTrades::add(m_shop); }

    void filtersFindTheirTrades_data() { addFilterRows(); }

    void filtersFindTheirTrades()
    {
        QFETCH(Change, change);
        QFETCH(QList<int>, ids);
        QueryFilters filters = march();
        if (change) {
            change(filters, m_shop);
        }
        QList<int> result = found(filters);
        std::sort(result.begin(), result.end());
        QCOMPARE(result, ids);
    }

    void refusedFilters_data()
    {
        QTest::addColumn<int>("searchType");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("weightType");
        QTest::addColumn<QString>("weightFrom");
        QTest::addColumn<QString>("weightTo");
        QTest::addColumn<QString>("message");
        const char* const empty[] = {"请输入快递单号!",   "请输入订单号!",   "请输入客户网名!",
                                     "请输入收件人姓名!", "请输入货品名称!", "请输入店铺名称!",
                                     "请输入物流方式!",   "请输入用户ID!",   "请输入电话号码!"};
        for (int type = 1; type <= 9; ++type) {
            QTest::addRow("empty value of type %d", type)
                << type << QString() << 0 << QString() << QString() << QString::fromUtf8(empty[type - 1]);
        }
        QTest::newRow("customer ID with a letter") << 8 << "12a" << 0 << ""
                                                   << ""
                                                   << "用户ID必须是整数!";
        QTest::newRow("customer ID with a quote") << 8 << "1 or 1=1" << 0 << ""
                                                  << ""
                                                  << "用户ID必须是整数!";
        for (int type = 1; type <= 3; ++type) {
            QTest::addRow("reversed range of type %d", type) << 0 << QString() << type << "800"
                                                             << "500"
                                                             << "起始重量必须小于终止中重量!";
        }
        QTest::newRow("weight no number") << 0 << "" << 1 << "5x"
                                          << "9"
                                          << "请输入大于0 的数!";
    }

    void refusedFilters()
    {
        QFETCH(int, searchType);
        QFETCH(QString, value);
        QFETCH(int, weightType);
        QFETCH(QString, weightFrom);
        QFETCH(QString, weightTo);
        QFETCH(QString, message);
        QueryFilters filters = march();
        filters.searchType = searchType;
        filters.value = value;
        filters.weightType = weightType;
        filters.weightFrom = weightFrom;
        filters.weightTo = weightTo;
        OrderDatabase::TradeFilter filter;
        QString refusal;
        QVERIFY(!QueryCondition::build(filters, OrderDatabase::Dialect::Embedded, &filter, &refusal));
        QCOMPARE(refusal, message);
    }

    void pagesOfAHundredAndOne()
    {
        QueryShop shop;
        shop.addMany(1000, 101);
        QueryFilters filters;
        filters.from = filters.to = QDate(2031, 5, 1);
        OrderDatabase::TradeFilter filter;
        QVERIFY(QueryCondition::build(filters, shop.db.dialect(), &filter, nullptr));

        QueryRun::Shown first = QueryRun::search(shop.db, filter, 50, allSums());
        QVERIFY(first.ok);
        QCOMPARE(first.paging.total(), 101);
        QCOMPARE(first.paging.pageCount(), 3);
        QCOMPARE(first.paging.currentPage(), 1);
        QVERIFY(first.paging.hasNext());
        QVERIFY(!first.paging.hasPrevious());
        QCOMPARE(first.rows.size(), 51);
        QCOMPARE(first.rows.first().mid(0, 2), (QStringList{"1", "1000"}));
        QCOMPARE(first.rows.at(49).mid(0, 2), (QStringList{"50", "1049"}));
        QCOMPARE(first.rangeText, QStringLiteral("第1至50 条记录"));
        // Goods 1000 … 1049 mod 1000 = 0 … 49: 1225 g, 100 g more each packed, 1.5 yuan each.
        QCOMPARE(first.totalText, QStringLiteral("商品重量合计:1225克 包裹重量合计:6225克 重量差合计:5000克 "
                                                 "邮资合计:75元  共查询到101 条记录"));
        QCOMPARE(first.rows.last().at(0), QStringLiteral("合计"));
        QCOMPARE(first.rows.last().mid(17, 4), (QStringList{"1225", "6225", "5000", "75"}));
        QCOMPARE(first.rows.last().at(1), QStringLiteral(" "));

        QueryRun::Shown second = QueryRun::page(shop.db, filter, first.paging.next(), allSums());
        QVERIFY(second.ok);
        QCOMPARE(second.rangeText, QStringLiteral("第51至100 条记录"));
        QCOMPARE(second.rows.first().mid(0, 2), (QStringList{"51", "1050"}));
        QVERIFY(second.paging.hasPrevious() && second.paging.hasNext());

        QueryRun::Shown third =
            QueryRun::page(shop.db, filter, second.paging.next(), {false, false, false, true});
        QVERIFY(third.ok);
        QCOMPARE(third.paging.offset(), 100);
        QCOMPARE(third.rangeText, QStringLiteral("第101至101 条记录"));
        QCOMPARE(third.totalText, QStringLiteral("邮资合计:1.5元  共查询到101 条记录"));
        QCOMPARE(third.rows.size(), 2);
        QCOMPARE(third.rows.first().mid(0, 2), (QStringList{"101", "1100"}));
        QVERIFY(!third.paging.hasNext());
        QCOMPARE(third.paging.next().currentPage(), 3);

        QueryRun::Shown back = QueryRun::page(shop.db, filter, third.paging.previous(), {});
        QCOMPARE(back.rows.size(), 50);
        QCOMPARE(back.rows.first().at(0), QStringLiteral("51"));
        QCOMPARE(back.totalText, QStringLiteral(" 共查询到101 条记录"));
        QCOMPARE(back.paging.previous().previous().currentPage(), 1);
    }

    void searchesThatAreNotPaged_data()
    {
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<int>("rows");
        QTest::newRow("page size equal to the total") << 3 << 3;
        QTest::newRow("page size above the total") << 50 << 3;
    }

    void searchesThatAreNotPaged()
    {
        QFETCH(int, pageSize);
        QFETCH(int, rows);
        QueryShop shop;
        shop.addMany(7, 3);
        QueryFilters filters;
        filters.from = filters.to = QDate(2031, 5, 1);
        OrderDatabase::TradeFilter filter;
        QVERIFY(QueryCondition::build(filters, shop.db.dialect(), &filter, nullptr));
        const QueryRun::Shown shown = QueryRun::search(shop.db, filter, pageSize, {});
        QVERIFY(shown.ok);
        QCOMPARE(shown.rows.size(), rows);
        QVERIFY(!shown.paging.paged());
        QVERIFY(!shown.paging.hasNext());
        QCOMPARE(shown.paging.pageCount(), -1);
        QCOMPARE(shown.rangeText, QStringLiteral("第1至3 条记录"));
    }

    void rowTexts()
    {
        QueryShop shop;
        QueryShop::Trade trade;
        trade.id = 77;
        trade.goodsWeight = 12.5;
        trade.packagedWeight = 100;
        trade.postage = 12.5;
        shop.add(trade);
        QueryFilters filters = march();
        OrderDatabase::TradeFilter filter;
        QVERIFY(QueryCondition::build(filters, shop.db.dialect(), &filter, nullptr));
        const QueryRun::Shown shown = QueryRun::search(shop.db, filter, 50, {});
        QCOMPARE(shown.rows.size(), 1);
        const QStringList expected = {"1",
                                      "77",
                                      "T77",
                                      "buyer",
                                      "林晓",
                                      "马克杯*1",
                                      "2031-03-10 10:00:00",
                                      shop.shopName(1),
                                      shop.logisticName(1),
                                      "YT77",
                                      "990001",
                                      "王芳",
                                      "江苏省",
                                      "南京市",
                                      "玄武区",
                                      "中山路1号",
                                      "210000",
                                      "12.5",
                                      "100",
                                      "87.5",
                                      "12.5",
                                      "王晓峰",
                                      "13900000000"};
        QCOMPARE(shown.rows.first(), expected);
    }

    void failedStatementSaysWhy()
    {
        QueryShop shop;
        shop.exec("drop table G_Cfg_ShopList");
        OrderDatabase::TradeFilter filter;
        QVERIFY(QueryCondition::build(march(), shop.db.dialect(), &filter, nullptr));
        const QueryRun::Shown shown = QueryRun::search(shop.db, filter, 50, {});
        QVERIFY(!shown.ok);
        QVERIFY2(shown.message.contains(QStringLiteral("G_Cfg_ShopList")), qPrintable(shown.message));
        const QueryRun::Shown page = QueryRun::page(shop.db, filter, QueryPaging(), {});
        QCOMPARE(page.message, QStringLiteral("查询数据出错!"));
    }

    void bothWaysToAPageAgree_data()
    {
        QTest::addColumn<int>("offset");
        QTest::newRow("first page") << 0;
        QTest::newRow("middle page") << 40;
        QTest::newRow("last page") << 100;
        QTest::newRow("beyond the last") << 120;
    }

    void bothWaysToAPageAgree()
    {
        QFETCH(int, offset);
        QueryShop shop;
        // Trades of other days between those found, so that order and index differ.
        for (int day = 1; day <= 3; ++day) {
            shop.addMany(day * 1000, 40, QStringLiteral("2031-05-0%1").arg(day));
            shop.addMany(day * 1000 + 500, 40, QStringLiteral("2031-06-0%1").arg(day));
        }
        QueryFilters filters;
        filters.from = QDate(2031, 5, 1);
        filters.to = QDate(2031, 5, 31);
        OrderDatabase::TradeFilter filter;
        QVERIFY(QueryCondition::build(filters, shop.db.dialect(), &filter, nullptr));
        QList<OrderDatabase::FoundTrade> sorted;
        QList<OrderDatabase::FoundTrade> walked;
        // The total only chooses the way: 1 makes walking look dear, a large one cheap.
        QVERIFY(shop.db.tradePage(filter, 20, offset, 1, &sorted));
        QVERIFY(shop.db.tradePage(filter, 20, offset, 1000000, &walked));
        QStringList sortedIds;
        QStringList walkedIds;
        for (const auto& trade : sorted) {
            sortedIds << trade.fields.at(0);
        }
        for (const auto& trade : walked) {
            walkedIds << trade.fields.at(0);
        }
        QCOMPARE(sortedIds, walkedIds);
        QCOMPARE(sortedIds.size(), std::max(0, std::min(20, 120 - offset)));
        if (!sortedIds.isEmpty()) {
            const int first = offset / 40 * 1000 + 1000 + offset % 40;
            QCOMPARE(sortedIds.first(), QString::number(first));
        }
    }
};

QTEST_GUILESS_MAIN(TestQuerySearch)
#include "TestQuerySearch.moc"
