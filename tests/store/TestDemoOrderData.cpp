#include "TempDataFolder.h"
#include "ToolRun.h"

#include "store/DemoOrderData.h"
#include "store/OrderDatabase.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {

const QDateTime kReference(QDate(2024, 3, 15), QTime(10, 0, 0));
constexpr int kTrades = 1500;

DemoOrderOptions demoOptions(int trades, quint32 seed)
{
    DemoOrderOptions options;
    options.trades = trades;
    options.seed = seed;
    options.reference = kReference;
    return options;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The demo shop must be an order database the station, the goods tab and the maintenance commands
// work on as on the shop's own: it is read here through the same order database interface.
class TestDemoOrderData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void counts_data();
    void counts();
    void additionalWaybillsLeadToTheirTrade();
    void stockCoversMostWaitingTrades();
    void sameSeedSameShop();
    void refusesBadRequests();
    void tool_data();
    void tool();

private:
    QStringList column(const QString& sql)
    {
        QStringList values;
        for (auto query = m_orders.select(sql); query && query->next();) {
            values << query->value(0).toString();
        }
        return values;
    }

    TempDataFolder m_folder;
    OrderDatabase m_orders; // a shop of kTrades trades
};

void TestDemoOrderData::initTestCase()
{
    const QString path = m_folder.file(QStringLiteral("shop.db"));
    QString error;
    QVERIFY2(createDemoOrderDatabase(path, demoOptions(kTrades, 3), &error), qPrintable(error));
    QVERIFY2(m_orders.open(ServerSettings{QString::fromLatin1(kEmbeddedPrefix) + path, {}, {}, {}}, QString(),
                           &error),
             qPrintable(error));
}

void TestDemoOrderData::counts_data()
{
    QTest::addColumn<QString>("sql"); // counts what is missing or wrong
    const auto row = [](const char* tag, const QString& sql) { QTest::newRow(tag) << sql; };
    const QString trades = QString::number(kTrades);

    row("trades asked for", "select count(*) - " + trades + " from G_Trade_TradeList");
    // 5 ships, 5 to 11 take additional waybills, 11 takes the estimate, 2 is cleaned up.
    row("statuses the program acts on",
        "select 6 - count(distinct TradeStatus) from G_Trade_TradeList where TradeStatus in (2,5,6,7,8,11)");
    row("ready to ship, stocked out",
        "select count(*) = 0 from G_Trade_TradeList where TradeStatus=5 and bStockOut=1");
    row("estimates to take",
        "select count(*) = 0 from G_Trade_TradeList where TradeStatus=11 and GoodsWeight=0 "
        "and estimateWeight > 0");
    row("clean-up finds logs", "select count(*) = 0 from G_Trade_Log where TradeID in (select TradeID from "
                               "G_Trade_TradeList where TradeStatus=2)");
    row("barcode check off", "select count(*) = 0 from G_Cfg_Sys where RecID=54 and CfgValue='0'");
    row("lists to pick from",
        "select (select count(*) from G_Cfg_StaffList) * (select count(*) from G_Cfg_ShopList) * "
        "(select count(*) from G_Cfg_LogisticList) * (select count(*) from G_Cfg_PackageList) = 0");
    row("packages unweighed", "select count(*) from G_Cfg_PackageList where PackageWeight <= 0");
    // Scanned codes must name one goods: its own barcode, a variant's code within it, an assist
    // barcode of one of its variants.
    row("barcodes repeated",
        "select count(*) - count(distinct BarCode) + (select count(*) from G_GOods_AssistBarCode a join "
        "G_Goods_GoodsList g on g.BarCode=a.BarCode) from G_Goods_GoodsList");
    row("variant codes repeated",
        "select count(*) - count(distinct GoodsID || '/' || SpecCode) from G_Goods_GoodsSpec");
    row("assist barcodes", "select count(*) = 0 from G_GOods_AssistBarCode");
    row("assist barcodes naming no variant of their goods",
        "select count(*) from G_GOods_AssistBarCode a left join G_Goods_GoodsSpec s on s.SpecID=a.SpecID "
        "where s.GoodsID is not a.GoodsID");
    row("waybills repeated", "select count(PostID) - count(distinct PostID) from G_Trade_TradeList");
    row("trade numbers repeated", "select count(*) - count(distinct TradeNO) from G_Trade_TradeList");
    row("trades without goods", "select count(*) from G_Trade_TradeList t where not exists "
                                "(select 1 from G_Trade_GoodsList l where l.TradeID=t.TradeID)");
    // SpecID 0 exactly for goods without variants, otherwise a variant of that goods.
    row("goods lines off the catalogue",
        "select count(*) from G_Trade_GoodsList l left join G_Goods_GoodsList g on g.GoodsID=l.GoodsID "
        "left join G_Goods_GoodsSpec s on s.SpecID=l.SpecID where g.GoodsID is null or l.SellCount <= 0 "
        "or (g.bMultiSpec=0 and l.SpecID<>0) or (g.bMultiSpec=1 and (s.SpecID is null or "
        "s.GoodsID<>l.GoodsID))");
    row("sellable units without one stock row",
        "select (select count(*) from G_Goods_GoodsSpec) + (select count(*) from G_Goods_GoodsList where "
        "bMultiSpec=0) - (select count(distinct GoodsID || '/' || SpecID) from G_Stock_Spec)");
    // The query tab joins customer, shop and express company: every trade must survive the join.
    row("trades lost by the query join",
        "select " + trades +
            " - (select count(*) from G_Trade_TradeList t, G_Customer_CustomerList c, G_Cfg_ShopList s, "
            "G_Cfg_LogisticList l where t.CustomerID=c.CustomerID and t.ShopID=s.ShopID and "
            "t.LogisticID=l.LogisticID)");
    row("shipped trades incomplete",
        "select count(*) from G_Trade_TradeList t where TradeStatus=8 and (datetime(SndTime) is not SndTime "
        "or "
        "SndTime > '2024-03-15 10:00:00' or SndTime <= TradeTime or PackagedWeight <= 0 or Postage <= 0 or "
        "coalesce(SndOperator, '') = '' or bStockOut <> 1 or PackageName not in (select PackageName from "
        "G_Cfg_PackageList) or not exists (select 1 from G_Trade_Log l where l.TradeID=t.TradeID and "
        "l.LogTime=t.SndTime))");
}

void TestDemoOrderData::counts()
{
    QFETCH(QString, sql);
    auto query = m_orders.select(sql);
    QVERIFY2(query && query->next(), qPrintable(m_orders.lastError()));
    QCOMPARE(query->value(0).toLongLong(), 0);
}

void TestDemoOrderData::additionalWaybillsLeadToTheirTrade()
{
    const QRegularExpression marker(QStringLiteral("附加单号(YT\\d{10})"));
    int numbers = 0;
    for (auto remarks = m_orders.select(
             QStringLiteral("select TradeID, Remark from G_Trade_TradeList where Remark like '%附加单号%'"));
         remarks && remarks->next();) {
        for (auto it = marker.globalMatch(remarks->value(1).toString()); it.hasNext(); ++numbers) {
            const QString number = it.next().captured(1);
            std::optional<OrderDatabase::StationTrade> own;
            std::optional<OrderDatabase::StationTrade> trade;
            QVERIFY(m_orders.findStationTrade(number, false, &own));
            QVERIFY(m_orders.findAdditionalWaybillTrade(
                number, [](const OrderDatabase::StationTrade&) { return true; }, &trade));
            QVERIFY2(!own && trade && trade->tradeId == remarks->value(0).toString(), qPrintable(number));
        }
    }
    QVERIFY(numbers >= 5);
}

void TestDemoOrderData::stockCoversMostWaitingTrades()
{
    // Stock covers most trades waiting for their stock-out, but not all.
    const QStringList waiting =
        column(QStringLiteral("select TradeID from G_Trade_TradeList where TradeStatus=5 and bStockOut=0"));
    QStringList passed;
    int short_ = 0;
    for (const QString& trade : waiting) {
        const OrderDatabase::ProcedureResult check = m_orders.tradeStockOutCheck(trade);
        QVERIFY(check.ran);
        if (check.result == QLatin1String("1")) {
            passed << trade;
        }
        short_ += check.result.startsWith(QStringLiteral("库存不足:"));
    }
    QVERIFY2(passed.size() > waiting.size() * 8 / 10,
             qPrintable(QStringLiteral("%1 of %2").arg(passed.size()).arg(waiting.size())));
    QVERIFY(short_ > 0);
    QCOMPARE(passed.size() + short_, waiting.size());
    QVERIFY2(m_orders.tradeStockOut(passed.first(), "operator"), qPrintable(m_orders.lastError()));
}

void TestDemoOrderData::sameSeedSameShop()
{
    TempDataFolder folder;
    QByteArray files[3];
    const quint32 seeds[3] = {42, 42, 43};
    for (int i = 0; i < 3; ++i) {
        const QString path = folder.file(QStringLiteral("shop%1.db").arg(i));
        QVERIFY(createDemoOrderDatabase(path, demoOptions(200, seeds[i]), nullptr));
        files[i] = fileBytes(path);
        // The file holds the logins: its owner's alone.
        QVERIFY(!(QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther)));
    }
    QVERIFY(!files[0].isEmpty());
    QVERIFY(files[0] == files[1]);
    QVERIFY(files[0] != files[2]);
}

void TestDemoOrderData::refusesBadRequests()
{
    // Nothing is made, and a file already there stays as it was.
    TempDataFolder folder;
    const QString existing = folder.file(QStringLiteral("shop.db"));
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep me") == 7);
    file.close();
    const QString fresh = folder.file(QStringLiteral("new.db"));
    for (const auto& [path, trades] : {std::pair(fresh, -1),
                                       {fresh, kDemoMaxTrades + 1},
                                       {QString(), 10},
                                       {folder.file("no/such/folder/shop.db"), 10},
                                       {existing, 10}}) {
        QString error;
        QVERIFY(!createDemoOrderDatabase(path, demoOptions(trades, 1), &error));
        QVERIFY2(!error.isEmpty(), qPrintable(path));
        QVERIFY2(path != existing || error.contains(QStringLiteral("已存在")), qPrintable(error));
    }
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"shop.db"});
    QCOMPARE(fileBytes(existing), QByteArray("keep me"));
}

void TestDemoOrderData::tool_data()
{
    QTest::addColumn<QString>("arguments"); // "<out>" stands for the output file
    QTest::addColumn<bool>("existing");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // expected in stdout (exit 0) or stderr
    const auto row = [](const char* tag, const char* arguments, bool existing, int exitCode,
                        const char* output) {
        QTest::newRow(tag) << QString(arguments) << existing << exitCode << QString::fromUtf8(output);
    };
    row("makes a shop", "--trades 25 --seed 9 <out>", false, 0, "25 trades");
    row("refuses existing file", "--trades 25 <out>", true, 1, "已存在");
    row("count not a number", "--trades many <out>", false, 2, "--trades");
    row("negative count", "--trades -3 <out>", false, 2, "--trades");
    row("seed not a number", "--seed x <out>", false, 2, "--seed");
    row("no output file", "--trades 5", false, 2, "output");
}

void TestDemoOrderData::tool()
{
    QFETCH(QString, arguments);
    QFETCH(bool, existing);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    QVERIFY2(qEnvironmentVariableIsSet("ZELVO_TOOLS_DIR"), "ZELVO_TOOLS_DIR is not set");
    TempDataFolder folder;
    const QString path = folder.file(QStringLiteral("tool.db"));
    QVERIFY(!existing || createDemoOrderDatabase(path, demoOptions(3, 1), nullptr));
    const QByteArray before = fileBytes(path);
    const ToolRun run = ToolRun::run("zelvo-demo-db", arguments.split(' ').replaceInStrings("<out>", path));
    const QString out = QString::fromUtf8(run.out);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2((exitCode == 0 ? out : run.errors).contains(output), qPrintable(out + run.errors));
    QCOMPARE(QFile::exists(path), exitCode == 0 || existing);
    QVERIFY(!existing || fileBytes(path) == before);
}

QTEST_GUILESS_MAIN(TestDemoOrderData)
#include "TestDemoOrderData.moc"
