// zelvo-query run as a program on a data folder with the demo shop and trades of June 2031.
#include "DemoFolder.h"
#include "QueryShop.h"
#include "ToolRun.h"
#include "WorkbookReader.h"

#include <QtTest>

class TestQueryTool : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DemoFolder> m_demo;

    using Run = ToolRun;

    Run run(const QStringList& arguments)
    {
        return ToolRun::run("zelvo-query",
                            QStringList{QStringLiteral("--data-dir"), m_demo->folder.path()} + arguments);
    }

private slots:
    void initTestCase()
    {
        m_demo = std::make_unique<DemoFolder>();
        m_demo->logIn();
        QueryShop::addCustomers(m_demo->orderDb());
        QueryShop::addMany(m_demo->orderDb(), 900001, 7, QStringLiteral("2031-06-02"));
    }

    void searches_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QString>("error");
        const QStringList june = {"--from", "2031-06-01", "--to", "2031-06-30"};
        // Two status lines, the title row, seven trades and the sum row.
        QTest::newRow("a month") << june << 0 << 11 << "第1至7 条记录"
                                 << "";
        QTest::newRow("fuzzy order number")
            << june + QStringList{"--search-type", "2", "--value", "T9000", "--fuzzy"} << 0 << 11
            << "第1至7 条记录"
            << "";
        QTest::newRow("one waybill") << june + QStringList{"--search-type", "1", "--value", "YT900003"} << 0
                                     << 5 << "第1至1 条记录"
                                     << "";
        QTest::newRow("nothing found")
            << QStringList{"--from", "2031-07-01", "--to", "2031-07-01"} << 0 << 1 << "查询到 0 条记录"
            << "消息: 无满足此条件的记录!";
        QTest::newRow("customer ID no number")
            << june + QStringList{"--search-type", "8", "--value", "x"} << 1 << 0 << ""
            << "消息: 用户ID必须是整数!";
        QTest::newRow("reversed weights")
            << june + QStringList{"--weight-type", "1", "--weight-from", "800", "--weight-to", "500"} << 1
            << 0 << ""
            << "消息: 起始重量必须小于终止中重量!";
        QTest::newRow("page beyond the last") << june + QStringList{"--page", "2"} << 1 << 0 << ""
                                              << "the search has 1 page(s)";
        QTest::newRow("bad date") << QStringList{"--from", "2031-13-01", "--to", "2031-06-30"} << 2 << 0 << ""
                                  << "dates are written yyyy-mm-dd";
        QTest::newRow("export to csv") << june + QStringList{"--export", "a.csv"} << 2 << 0 << ""
                                       << "--export wants a file ending in .xls or .xlsx";
    }

    void searches()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(int, lineCount);
        QFETCH(QString, firstLine);
        QFETCH(QString, error);
        const Run result = run(arguments);
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(result.lines.size(), lineCount);
        QCOMPARE(result.lines.value(0), firstLine);
        QVERIFY2(result.errors.contains(error), qPrintable(result.errors));
    }

    void exportsEveryTrade()
    {
        const QString path = m_demo->folder.file(QStringLiteral("june.xls"));
        const Run result = run({"--from", "2031-06-01", "--to", "2031-06-30", "--export", path, "--all"});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.errors.trimmed(), QStringLiteral("消息: 共导出7条记录!"));
        const QJsonArray sheets = readWorkbook(path);
        QCOMPARE(sheets.size(), 1);
        QCOMPARE(sheets.at(0).toObject().value("nrows").toInt(), 9);
        QCOMPARE(rowTexts(sheets, 0, 7).mid(0, 2), (QStringList{"7", "900007"}));
    }
};

QTEST_MAIN(TestQueryTool)
#include "TestQueryTool.moc"
