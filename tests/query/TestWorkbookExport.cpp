// Exports of the list page and of a whole search into a recording workbook: title rows, hidden
// columns, the sum rows, the progress steps, the messages and the failures.
#include "QueryShop.h"
#include "RecordingWorkbook.h"

#include "query/QueryCondition.h"
#include "query/QueryRun.h"

#include <QtTest>

namespace {

QList<bool> allShown()
{
    return QList<bool>(22, true);
}

OrderDatabase::TradeFilter mayFirst(QueryShop& shop)
{
    QueryFilters filters;
    filters.from = filters.to = QDate(2031, 5, 1);
    OrderDatabase::TradeFilter filter;
    if (!QueryCondition::build(filters, shop.db.dialect(), &filter, nullptr)) {
        qFatal("no filter");
    }
    return filter;
}

} // namespace

class TestWorkbookExport : public QObject
{
    Q_OBJECT

private slots:
    void pageWithSumRow_data()
    {
        QTest::addColumn<QList<bool>>("shown");
        QTest::addColumn<QStringList>("title");
        QTest::addColumn<int>("postageCell");
        QList<bool> noNick = allShown();
        noNick[2] = false;
        QList<bool> fewColumns(22, false);
        fewColumns[0] = fewColumns[19] = true;
        QTest::newRow("every column")
            << allShown()
            << QStringList{"序号",     "交易ID",   "订单编号", "客户网名", "收件人姓名", "货品名称",
                           "发货日期", "交易店铺", "物流方式", "快递单号", "用户ID",     "姓名",
                           "省",       "市",       "区",       "地址",     "邮编",       "商品重量",
                           "包裹重量", "重量差",   "邮资",     "发货员",   "电话号码"}
            << 20;
        QTest::newRow("nick hidden") << noNick
                                     << QStringList{"序号",     "交易ID",   "订单编号", "收件人姓名",
                                                    "货品名称", "发货日期", "交易店铺", "物流方式",
                                                    "快递单号", "用户ID",   "姓名",     "省",
                                                    "市",       "区",       "地址",     "邮编",
                                                    "商品重量", "包裹重量", "重量差",   "邮资",
                                                    "发货员",   "电话号码"}
                                     << 19;
        QTest::newRow("trade ID and postage") << fewColumns << QStringList{"序号", "交易ID", "邮资"} << 2;
    }

    void pageWithSumRow()
    {
        QFETCH(QList<bool>, shown);
        QFETCH(QStringList, title);
        QFETCH(int, postageCell);
        QueryShop shop;
        shop.addMany(1, 60);
        const QueryRun::Shown page =
            QueryRun::search(shop.db, mayFirst(shop), 50, QueryColumns::sumFlags(shown));
        RecordingWorkbook book;
        QList<qint64> steps;
        const QueryRun::Exported exported = QueryRun::exportPage(
            page.rows, true, shown, book, [&steps](qint64 written) { steps << written; });
        QVERIFY(exported.ok);
        QCOMPARE(exported.count, 50);
        QCOMPARE(exported.message, QStringLiteral("共导出50条记录!"));
        QVERIFY(book.finished);
        QCOMPARE(book.sheets.size(), 1);
        const QList<RecordingWorkbook::Row>& rows = book.sheets.first();
        QCOMPARE(rows.size(), 52);
        QCOMPARE(RecordingWorkbook::texts(rows.first()), title);
        for (const RecordingWorkbook::Row& row : rows) {
            QCOMPARE(row.size(), title.size());
            QVERIFY(
                std::all_of(row.begin(), row.end(), [](const WorkbookCell& cell) { return cell.isText; }));
        }
        QCOMPARE(rows.at(1).at(0).text, QStringLiteral("1"));
        QCOMPARE(rows.at(1).at(1).text, QStringLiteral("1"));
        QCOMPARE(rows.at(1).at(postageCell).text, QStringLiteral("1.5"));
        QCOMPARE(rows.last().at(0).text, QStringLiteral("合计"));
        QCOMPARE(rows.last().at(postageCell).text, QStringLiteral("75"));
        // A step of 5 rows over 51 rows.
        QCOMPARE(steps, (QList<qint64>{5, 10, 15, 20, 25, 30, 35, 40, 45, 50}));
    }

    void fullExportDifferenceIsWholeGrams()
    {
        QueryShop shop;
        QueryShop::Trade trade;
        trade.sndTime = QStringLiteral("2031-05-01 12:00:00");
        trade.id = 5;
        trade.goodsWeight = 12.5;
        trade.packagedWeight = 100;
        shop.add(trade);
        trade.id = 6;
        trade.goodsWeight = 100.5;
        trade.packagedWeight = 90;
        shop.add(trade);
        QList<bool> shown(22, false);
        shown[18] = true;
        RecordingWorkbook book;
        QVERIFY(QueryRun::exportAll(shop.db, mayFirst(shop), 2, shown, book, {}).ok);
        const QList<RecordingWorkbook::Row>& rows = book.sheets.first();
        QCOMPARE(RecordingWorkbook::texts(rows.at(1)), (QStringList{"1", "87"}));
        QCOMPARE(RecordingWorkbook::texts(rows.at(2)), (QStringList{"2", "-10"}));
        QCOMPARE(RecordingWorkbook::texts(rows.at(3)), (QStringList{"合计", "77"}));

        const QueryRun::Shown page =
            QueryRun::search(shop.db, mayFirst(shop), 50, QueryColumns::sumFlags(shown));
        QCOMPARE(page.rows.at(0).at(19), QStringLiteral("87.5"));
        QCOMPARE(page.rows.at(1).at(19), QStringLiteral("-10.5"));
    }

    void refusedAndFailedExports()
    {
        QueryShop shop;
        shop.addMany(1, 5);
        RecordingWorkbook unused;
        QCOMPARE(QueryRun::exportAll(shop.db, mayFirst(shop), 0, allShown(), unused, {}).message,
                 QStringLiteral("共查询到0条记录!"));
        QCOMPARE(QueryRun::exportPage({}, false, allShown(), unused, {}).message,
                 QStringLiteral("共查询到0条记录!"));
        QVERIFY(unused.sheets.isEmpty());

        RecordingWorkbook full;
        full.failAtRow = 3;
        const QueryRun::Exported failed =
            QueryRun::exportAll(shop.db, mayFirst(shop), 5, allShown(), full, {});
        QVERIFY(!failed.ok);
        QCOMPARE(failed.message, QStringLiteral("导出失败: No space left on device"));
        QVERIFY(!full.finished);

        shop.exec("drop table G_Cfg_LogisticList");
        RecordingWorkbook broken;
        const QueryRun::Exported unreadable =
            QueryRun::exportAll(shop.db, mayFirst(shop), 5, allShown(), broken, {});
        QCOMPARE(unreadable.message, QStringLiteral("查询数据错误!"));
        QVERIFY(!broken.finished);
    }
};

QTEST_GUILESS_MAIN(TestWorkbookExport)
#include "TestWorkbookExport.moc"
