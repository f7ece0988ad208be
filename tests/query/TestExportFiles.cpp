// Workbooks written by the real .xls and .xlsx writers and read back by xlrd: sheets of 65000
// trades, serial numbers per sheet, the sum row as numbers, hidden columns, a failed write.
#include "QueryShop.h"
#include "WorkbookReader.h"

#include "query/QueryCondition.h"
#include "query/QueryRun.h"

#include <QtTest>

class TestExportFiles : public QObject
{
    Q_OBJECT

private:
    QueryShop m_shop;
    OrderDatabase::TradeFilter m_filter;

private slots:
    void initTestCase()
    {
        m_shop.addMany(1, 65001);
        QueryFilters filters;
        filters.from = filters.to = QDate(2031, 5, 1);
        QVERIFY(QueryCondition::build(filters, m_shop.db.dialect(), &m_filter, nullptr));
    }

    void fullExportOnTwoSheets_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("xls") << "all.xls";
        QTest::newRow("xlsx") << "all.xlsx";
    }

    void fullExportOnTwoSheets()
    {
        QFETCH(QString, name);
        const QString path = m_shop.folder.file(name);
        QList<bool> shown(22, true);
        shown[2] = false;
        std::unique_ptr<WorkbookWriter> writer = makeWorkbookWriter(path);
        const QueryRun::Exported exported =
            QueryRun::exportAll(m_shop.db, m_filter, 65001, shown, *writer, {});
        QVERIFY2(exported.ok, qPrintable(exported.message));
        QCOMPARE(exported.message, QStringLiteral("共导出65001条记录!"));

        const QJsonArray sheets = readWorkbook(path);
        QCOMPARE(sheets.size(), 2);
        QCOMPARE(sheets.at(0).toObject().value("nrows").toInt(), 65001);
        QCOMPARE(sheets.at(1).toObject().value("nrows").toInt(), 3);
        const QStringList title = rowTexts(sheets, 0, 0);
        QCOMPARE(title.size(), 22);
        QVERIFY(!title.contains(QStringLiteral("客户网名")));
        QCOMPARE(title.at(2), QStringLiteral("订单编号"));
        QCOMPARE(title.at(3), QStringLiteral("收件人姓名"));
        QCOMPARE(rowTexts(sheets, 1, 0), title);
        QCOMPARE(rowTexts(sheets, 0, 65000).mid(0, 2), (QStringList{"65000", "65000"}));
        const QStringList last = rowTexts(sheets, 1, 1);
        QCOMPARE(last.mid(0, 3), (QStringList{"1", "65001", "T65001"}));
        QCOMPARE(last.at(16), QStringLiteral("1"));   // goods weight 65001 mod 1000
        QCOMPARE(last.at(18), QStringLiteral("100")); // difference
        QCOMPARE(last.at(19), QStringLiteral("1.5"));
        QVERIFY(!rowKinds(sheets, 1, 1).contains(2));
        // The sum row: numbers under the weight and postage columns.
        const QStringList sums = rowTexts(sheets, 1, 2);
        QCOMPARE(sums.at(0), QStringLiteral("合计"));
        QCOMPARE(sums.mid(16, 4), (QStringList{"32467501", "38967601", "6500100", "97501.5"}));
        QCOMPARE(rowKinds(sheets, 1, 2).mid(16, 4), (QList<int>{2, 2, 2, 2}));
    }

    void pageExport_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("xls") << "page.xls";
        QTest::newRow("xlsx") << "page.xlsx";
    }

    void pageExport()
    {
        QFETCH(QString, name);
        const QString path = m_shop.folder.file(name);
        QList<bool> shown(22, false);
        shown[0] = shown[18] = shown[19] = true;
        const QueryRun::Shown page = QueryRun::search(m_shop.db, m_filter, 50, QueryColumns::sumFlags(shown));
        std::unique_ptr<WorkbookWriter> writer = makeWorkbookWriter(path);
        const QueryRun::Exported exported = QueryRun::exportPage(page.rows, true, shown, *writer, {});
        QCOMPARE(exported.message, QStringLiteral("共导出50条记录!"));
        const QJsonArray sheets = readWorkbook(path);
        QCOMPARE(sheets.size(), 1);
        QCOMPARE(sheets.at(0).toObject().value("nrows").toInt(), 52);
        QCOMPARE(rowTexts(sheets, 0, 0), (QStringList{"序号", "交易ID", "重量差", "邮资"}));
        QCOMPARE(rowTexts(sheets, 0, 1), (QStringList{"1", "1", "100", "1.5"}));
        // The page's sum row is written as the list shows it: text.
        QCOMPARE(rowTexts(sheets, 0, 51), (QStringList{"合计", " ", "5000", "75"}));
        QCOMPARE(rowKinds(sheets, 0, 51), (QList<int>{1, 1, 1, 1}));
    }

    void failedWriteLeavesNoFile()
    {
        const QString path = m_shop.folder.file(QStringLiteral("missing/folder/page.xls"));
        const QueryRun::Shown page = QueryRun::search(m_shop.db, m_filter, 50, {});
        std::unique_ptr<WorkbookWriter> writer = makeWorkbookWriter(path);
        const QueryRun::Exported exported =
            QueryRun::exportPage(page.rows, false, QList<bool>(22, true), *writer, {});
        QVERIFY(!exported.ok);
        QVERIFY2(exported.message.startsWith(QStringLiteral("导出失败: ")), qPrintable(exported.message));
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestExportFiles)
#include "TestExportFiles.moc"
