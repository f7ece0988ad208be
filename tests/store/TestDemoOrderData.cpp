#include "TempDataFolder.h"

#include "store/DemoOrderData.h"
#include "store/EmbeddedOrderSchema.h"
#include "store/EmbeddedProcedures.h"
#include "store/SqlConnection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <memory>

namespace {

const QDateTime kReference(QDate(2024, 3, 15), QTime(10, 0, 0));

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

DemoOrderOptions demoOptions(int trades, quint32 seed)
{
    DemoOrderOptions options;
    options.trades = trades;
    options.seed = seed;
    options.reference = kReference;
    return options;
}

} // namespace

class TestDemoOrderData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void rowCounts_data();
    void rowCounts();
    void everyStatus_data();
    void everyStatus();
    void logins_data();
    void logins();
    void waybillsAndTradeNumbers();
    void extraWaybillsInRemarks();
    void goodsLinesFitTheCatalogue();
    void barcodesResolve();
    void stockCoversMostTradesButNotAll();
    void shippedTrades();
    void destinationsCoverChina();
    void remarksKeepChineseAndQuotes();
    void stationStatementsRun_data();
    void stationStatementsRun();
    void maintenanceStatementsRun();
    void sameSeedSameShop();
    void fileSettings();
    void refusesExistingFile();
    void refusesBadRequests_data();
    void refusesBadRequests();
    void tool_data();
    void tool();

private:
    QVariant scalar(const QString& statement, const QVariantList& values = {});
    static QByteArray digest(QSqlDatabase& db);

    std::unique_ptr<TempDataFolder> m_folder;
    std::unique_ptr<SqlConnection> m_shop; // a shop of kTrades trades, read by most tests
    static constexpr int kTrades = 1500;
};

void TestDemoOrderData::initTestCase()
{
    m_folder = std::make_unique<TempDataFolder>();
    QVERIFY(m_folder->isValid());
    const QString path = m_folder->file(QStringLiteral("shop.db"));
    DemoOrderSummary summary;
    QString error;
    QVERIFY2(createDemoOrderDatabase(path, demoOptions(kTrades, 3), &summary, &error), qPrintable(error));
    QCOMPARE(summary.trades, qint64(kTrades));
    QVERIFY(summary.readyToShip > summary.shipped);
    m_shop = std::make_unique<SqlConnection>(QStringLiteral("QSQLITE"), QStringLiteral("demo-test"));
    QVERIFY2(openSqliteFile(*m_shop, path, &error), qPrintable(error));
}

void TestDemoOrderData::cleanupTestCase()
{
    m_shop.reset();
    m_folder.reset();
}

QVariant TestDemoOrderData::scalar(const QString& statement, const QVariantList& values)
{
    QSqlQuery query(m_shop->db());
    query.prepare(statement);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec() || !query.next()) {
        qWarning() << statement << query.lastError().text();
        return {};
    }
    return query.value(0);
}

QByteArray TestDemoOrderData::digest(QSqlDatabase& db)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QSqlQuery query(db);
    for (const char* table : {"G_Trade_TradeList", "G_Trade_GoodsList", "G_Trade_Log", "G_Stock_Spec",
                              "G_Customer_CustomerList", "G_API_TradeGoods"}) {
        if (!query.exec(QStringLiteral("select * from %1 order by 1, 2").arg(QLatin1String(table)))) {
            return query.lastError().text().toUtf8();
        }
        while (query.next()) {
            for (int i = 0; i < query.record().count(); ++i) {
                hash.addData(query.value(i).toString().toUtf8() + '|');
            }
        }
    }
    return hash.result().toHex();
}

void TestDemoOrderData::rowCounts_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("expected");
    QTest::newRow("trades") << "select count(*) from G_Trade_TradeList" << kTrades;
    QTest::newRow("staff") << "select count(*) from G_Cfg_StaffList" << 8;
    QTest::newRow("shops") << "select count(*) from G_Cfg_ShopList" << 3;
    QTest::newRow("express companies") << "select count(*) from G_Cfg_LogisticList" << 5;
    QTest::newRow("users") << "select count(*) from G_Sys_UserList" << 3;
    QTest::newRow("barcode check off")
        << "select count(*) from G_Cfg_Sys where RecID=54 and CfgValue='0'" << 1;
    QTest::newRow("packages weighed")
        << "select count(*) from G_Cfg_PackageList where PackageWeight <= 0" << 0;
    QTest::newRow("trades without goods") << "select count(*) from G_Trade_TradeList t where not exists "
                                             "(select 1 from G_Trade_GoodsList l where l.TradeID=t.TradeID)"
                                          << 0;
    QTest::newRow("goods never weighed") << "select count(*) > 0 from G_Goods_GoodsList where Weight=0" << 1;
    QTest::newRow("estimates on review-11 trades")
        << "select count(*) from G_Trade_TradeList where TradeStatus=11 and estimateWeight <= 0" << 0;
    QTest::newRow("stocked-out trades ready to ship")
        << "select count(*) > 0 from G_Trade_TradeList where TradeStatus=5 and bStockOut=1" << 1;
    QTest::newRow("interface records")
        << "select count(*) > 0 from G_API_TradeGoods g join G_API_TradeList b on "
           "b.BillID=g.BillID"
        << 1;
    // The query tab joins customer, shop and express company: every trade must survive the join.
    QTest::newRow("query join keeps every trade")
        << "select count(*) from G_Trade_TradeList,G_Customer_CustomerList,G_Cfg_ShopList,G_Cfg_LogisticList "
           " where "
           "G_Trade_TradeList.CustomerID=G_Customer_CustomerList.CustomerID and "
           "G_Trade_TradeList.ShopID=G_Cfg_ShopList.ShopID and  G_Trade_TradeList.LogisticID "
           "=G_Cfg_LogisticList.LogisticID"
        << kTrades;
}

void TestDemoOrderData::rowCounts()
{
    QFETCH(QString, statement);
    QFETCH(int, expected);
    QCOMPARE(scalar(statement).toInt(), expected);
}

void TestDemoOrderData::everyStatus_data()
{
    QTest::addColumn<int>("status");
    for (int status : {1, 2, 3, 4, 5, 6, 7, 8, 11}) {
        QTest::addRow("%d", status) << status;
    }
}

void TestDemoOrderData::everyStatus()
{
    QFETCH(int, status);
    const int count =
        scalar(QStringLiteral("select count(*) from G_Trade_TradeList where TradeStatus=?"), {status})
            .toInt();
    QVERIFY(count > 0);
    // Most of the shop is ready to ship.
    const int ready =
        scalar(QStringLiteral("select count(*) from G_Trade_TradeList where TradeStatus=5")).toInt();
    QVERIFY(status == 5 ? ready > kTrades / 2 : count < ready);
}

void TestDemoOrderData::logins_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("blocked");
    using namespace DemoLogins;
    QTest::newRow("administrator") << kAdminName << kAdminPassword << 0 << 0;
    QTest::newRow("operator") << kOperatorName << kOperatorPassword << 1 << 0;
    QTest::newRow("disabled") << kDisabledName << kDisabledPassword << 1 << 1;
}

void TestDemoOrderData::logins()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(int, group);
    QFETCH(int, blocked);
    QSqlQuery query(m_shop->db());
    query.prepare(QStringLiteral("select GroupID,bBlockUp from G_Sys_UserList where UserName =? and PWD=?"));
    query.addBindValue(name);
    query.addBindValue(password);
    QVERIFY(query.exec() && query.next());
    QCOMPARE(query.value(0).toInt(), group);
    QCOMPARE(query.value(1).toInt(), blocked);
    QVERIFY(!query.next());
    query.addBindValue(name);
    query.addBindValue(password + QLatin1Char('x'));
    QVERIFY(query.exec());
    QVERIFY(!query.next());
}

void TestDemoOrderData::waybillsAndTradeNumbers()
{
    QSqlQuery query(m_shop->db());
    QVERIFY(
        query.exec(QStringLiteral("select PostID, TradeNO, TradeTime, TradeStatus from G_Trade_TradeList")));
    const QRegularExpression waybill(QStringLiteral("^YT\\d{10}$"));
    const QRegularExpression tradeNo(QStringLiteral("^T(\\d{8})\\d{7}$"));
    QSet<QString> waybills;
    QSet<QString> tradeNos;
    while (query.next()) {
        const int status = query.value(3).toInt();
        // Waybills are printed after review: not for status 1 and 2.
        QCOMPARE(query.value(0).isNull(), status == 1 || status == 2);
        if (!query.value(0).isNull()) {
            QVERIFY2(waybill.match(query.value(0).toString()).hasMatch(),
                     qPrintable(query.value(0).toString()));
            waybills.insert(query.value(0).toString());
        }
        const QRegularExpressionMatch match = tradeNo.match(query.value(1).toString());
        QVERIFY2(match.hasMatch(), qPrintable(query.value(1).toString()));
        QCOMPARE(match.captured(1), query.value(2).toString().left(10).remove(QLatin1Char('-')));
        tradeNos.insert(query.value(1).toString());
    }
    QCOMPARE(tradeNos.size(), kTrades);
    QCOMPARE(
        waybills.size(),
        scalar(QStringLiteral("select count(*) from G_Trade_TradeList where PostID is not null")).toInt());
}

void TestDemoOrderData::extraWaybillsInRemarks()
{
    QSqlQuery query(m_shop->db());
    QVERIFY(query.exec(
        QStringLiteral("select TradeID, Remark, TradeStatus from G_Trade_TradeList where Remark like "
                       "'%附加单号%'")));
    const QRegularExpression marker(QStringLiteral("附加单号(YT\\d{10})"));
    QList<QPair<QString, QString>> numbers; // number, trade
    QSet<int> statuses;
    while (query.next()) {
        statuses.insert(query.value(2).toInt());
        auto it = marker.globalMatch(query.value(1).toString());
        while (it.hasNext()) {
            numbers.append({it.next().captured(1), query.value(0).toString()});
        }
    }
    QVERIFY(numbers.size() >= 5);
    QVERIFY(statuses.contains(8));
    QVERIFY(scalar(QStringLiteral("select count(*) from G_Trade_TradeList where Remark like '%已发货(%'"))
                .toInt() > 0);

    // Each number is no trade's own waybill, and the station's additional-waybill lookup finds its trade.
    QSqlQuery lookup(m_shop->db());
    lookup.prepare(QStringLiteral(
        "select TradeID from G_Trade_TradeList,G_Cfg_LogisticList where "
        "G_Trade_TradeList.LogisticID=G_Cfg_LogisticList.LogisticID and G_Trade_TradeList.Remark like ? and "
        "(TradeStatus = '5' or TradeStatus = '6' or TradeStatus = '7' or TradeStatus = '8' or TradeStatus = "
        "'11')"));
    for (const auto& [number, trade] : numbers) {
        QCOMPARE(
            scalar(QStringLiteral("select count(*) from G_Trade_TradeList where PostID=?"), {number}).toInt(),
            0);
        lookup.addBindValue(QStringLiteral("%附加单号") + number + QLatin1Char('%'));
        QVERIFY(lookup.exec() && lookup.next());
        QCOMPARE(lookup.value(0).toString(), trade);
        QVERIFY(!lookup.next());
    }
}

void TestDemoOrderData::goodsLinesFitTheCatalogue()
{
    // Lines name existing goods; SpecID 0 exactly for goods without variants, otherwise a
    // variant of that goods; quantities are positive.
    QCOMPARE(scalar(QStringLiteral(
                        "select count(*) from G_Trade_GoodsList l left join G_Goods_GoodsList g on "
                        "g.GoodsID=l.GoodsID "
                        "left join G_Goods_GoodsSpec s on s.SpecID=l.SpecID where g.GoodsID is null or "
                        "l.SellCount <= 0 "
                        "or (g.bMultiSpec=0 and l.SpecID<>0) or (g.bMultiSpec=1 and (s.SpecID is null or "
                        "s.GoodsID<>l.GoodsID))"))
                 .toInt(),
             0);
    // The goods list text names every goods of the trade, and the goods weight stored with the trade
    // is what its lines weigh (or 0 where it was not filled in).
    QSqlQuery query(m_shop->db());
    QVERIFY(query.exec(QStringLiteral(
        "select t.GoodsList, group_concat(g.GoodsName, '|'), t.GoodsWeight, sum(g.Weight * l.SellCount) "
        "from G_Trade_TradeList t join G_Trade_GoodsList l on l.TradeID=t.TradeID join G_Goods_GoodsList g "
        "on "
        "g.GoodsID=l.GoodsID group by t.TradeID")));
    while (query.next()) {
        for (const QString& name : query.value(1).toString().split(QLatin1Char('|'))) {
            QVERIFY2(query.value(0).toString().contains(name), qPrintable(query.value(0).toString()));
        }
        const double stored = query.value(2).toDouble();
        QVERIFY(stored == 0 || qFuzzyCompare(stored, query.value(3).toDouble()));
    }
}

void TestDemoOrderData::barcodesResolve()
{
    QSqlQuery goods(m_shop->db());
    QVERIFY(
        goods.exec(QStringLiteral("select GoodsID, BarCode, bMultiSpec, GoodsName from G_Goods_GoodsList")));
    int assisted = 0;
    while (goods.next()) {
        const QString barcode = goods.value(1).toString();
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{13}$")).match(barcode).hasMatch(),
                 qPrintable(barcode));
        QCOMPARE(scalar(QStringLiteral(
                            "select G_Goods_GoodsList.GoodsID as GoodsID,GoodsName,Weight,GoodsSpec from "
                            "G_Goods_GoodsList where BarCode=?"),
                        {barcode})
                     .toString(),
                 goods.value(0).toString());
        if (goods.value(2).toInt() != 1) {
            continue;
        }
        // A variant's label: the product barcode followed by the variant code.
        QSqlQuery specs(m_shop->db());
        specs.prepare(
            QStringLiteral("select SpecID, SpecName, SpecCode from G_Goods_GoodsSpec where GoodsID=?"));
        specs.addBindValue(goods.value(0));
        QVERIFY(specs.exec());
        while (specs.next()) {
            QSqlQuery byCode(m_shop->db());
            byCode.prepare(QStringLiteral("select G_Goods_GoodsList.GoodsID as "
                                          "GoodsID,GoodsName,Weight,G_Goods_GoodsSpec.SpecName as GoodsSpec "
                                          "from G_Goods_GoodsList,G_Goods_GoodsSpec where "
                                          "G_Goods_GoodsList.GoodsID=G_Goods_GoodsSpec.GoodsID "
                                          "and bMultiSpec=1 and SpecCode=? and G_Goods_GoodsList.BarCode=?"));
            byCode.addBindValue(specs.value(2));
            byCode.addBindValue(barcode);
            QVERIFY(byCode.exec() && byCode.next());
            QCOMPARE(byCode.value(3).toString(), specs.value(1).toString());
            QVERIFY(!byCode.next());
        }
        QSqlQuery assist(m_shop->db());
        assist.prepare(QStringLiteral("select G_Goods_GoodsList.GoodsID as "
                                      "GoodsID,GoodsName,Weight,G_Goods_GoodsSpec.SpecName as GoodsSpec "
                                      "from G_Goods_GoodsList,G_GOods_AssistBarCode,G_Goods_GoodsSpec where "
                                      "G_GOods_AssistBarCode.BarCode=? and "
                                      "G_GOods_AssistBarCode.GoodsID=G_Goods_GoodsList.GoodsID and "
                                      "G_Goods_GoodsSpec.SpecID=G_GOods_AssistBarCode.SpecID"));
        QSqlQuery codes(m_shop->db());
        codes.prepare(QStringLiteral("select BarCode from G_GOods_AssistBarCode where GoodsID=?"));
        codes.addBindValue(goods.value(0));
        QVERIFY(codes.exec());
        while (codes.next()) {
            assist.addBindValue(codes.value(0));
            QVERIFY(assist.exec() && assist.next());
            QCOMPARE(assist.value(1).toString(), goods.value(3).toString());
            ++assisted;
        }
    }
    QVERIFY(assisted > 0);
    // Unit weights read back as the station reads them: whole grams without a fraction.
    QVERIFY(scalar(QStringLiteral("select count(*) from G_Goods_GoodsList where Weight = 12.5")).toInt() ==
            1);
    QCOMPARE(scalar(QStringLiteral("select Weight from G_Goods_GoodsList where Weight = 12.5")).toString(),
             QStringLiteral("12.5"));
    QCOMPARE(scalar(QStringLiteral("select Weight from G_Goods_GoodsList where Weight = 180")).toString(),
             QStringLiteral("180"));
}

void TestDemoOrderData::stockCoversMostTradesButNotAll()
{
    // One stock row per sellable unit.
    QCOMPARE(scalar(QStringLiteral("select count(*) from G_Stock_Spec")).toInt(),
             scalar(QStringLiteral("select (select count(*) from G_Goods_GoodsSpec) + "
                                   "(select count(*) from G_Goods_GoodsList where bMultiSpec=0)"))
                 .toInt());
    QSqlQuery query(m_shop->db());
    QVERIFY(query.exec(
        QStringLiteral("select TradeID from G_Trade_TradeList where TradeStatus=5 and bStockOut=0")));
    QStringList trades;
    while (query.next()) {
        trades.append(query.value(0).toString());
    }
    int passed = 0;
    int short_ = 0;
    for (const QString& trade : trades) {
        const QString result = EmbeddedProcedures::tradeStockOutCheck(m_shop->db(), trade);
        passed += result == QLatin1String("1");
        short_ += result.startsWith(QStringLiteral("库存不足:"));
    }
    QVERIFY2(passed > trades.size() * 8 / 10,
             qPrintable(QStringLiteral("%1 of %2").arg(passed).arg(trades.size())));
    QVERIFY(short_ > 0);
    QCOMPARE(passed + short_, trades.size());
}

void TestDemoOrderData::shippedTrades()
{
    QSqlQuery query(m_shop->db());
    QVERIFY(query.exec(QStringLiteral("select SndTime, datetime(SndTime) = SndTime, PackagedWeight, Postage, "
                                      "SndOperator, Packer, PackageName, "
                                      "bStockOut, TradeTime, TradeID, (select count(*) from "
                                      "G_Cfg_PackageList p where p.PackageName=t.PackageName) "
                                      "from G_Trade_TradeList t where TradeStatus=8")));
    int shipped = 0;
    while (query.next()) {
        ++shipped;
        const QDateTime sent =
            QDateTime::fromString(query.value(0).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QVERIFY2(sent.isValid() && sent <= kReference && sent >= kReference.addDays(-43),
                 qPrintable(query.value(0).toString()));
        QCOMPARE(query.value(1).toInt(), 1);
        QVERIFY(query.value(2).toInt() > 0);
        QVERIFY(query.value(3).toDouble() > 0);
        QVERIFY(!query.value(4).toString().isEmpty());
        QCOMPARE(query.value(5).toString(), query.value(4).toString());
        QCOMPARE(query.value(10).toInt(), 1);
        QCOMPARE(query.value(7).toInt(), 1);
        QVERIFY(query.value(8).toString() < query.value(0).toString());
        // The ship's log line carries the weight and postage the trade holds.
        const QString detail = QStringLiteral("订单发货,包裹重量%1克,邮资%2元")
                                   .arg(query.value(2).toString(), query.value(3).toString());
        QCOMPARE(scalar(QStringLiteral(
                            "select count(*) from G_Trade_Log where TradeID=? and LogDetail=? and LogTime=?"),
                        {query.value(9), detail, query.value(0)})
                     .toInt(),
                 1);
    }
    QVERIFY(shipped > kTrades / 10);
    // Spread over the weeks before the reference day, as the query tab pages through them.
    QVERIFY(scalar(QStringLiteral("select count(distinct date(SndTime)) from G_Trade_TradeList")).toInt() >
            30);
}

void TestDemoOrderData::destinationsCoverChina()
{
    QCOMPARE(scalar(QStringLiteral("select count(distinct Province) from G_Trade_TradeList")).toInt(), 34);
    QCOMPARE(scalar(QStringLiteral("select count(*) from G_Trade_TradeList where Province in "
                                   "('北京市','上海市','天津市','重庆市') and City <> Province"))
                 .toInt(),
             0);
    QCOMPARE(
        scalar(QStringLiteral("select count(*) from G_Trade_TradeList where City='南京市' and Town not in "
                              "('玄武区','秦淮区','江宁区','鼓楼区')"))
            .toInt(),
        0);
    QVERIFY(scalar(QStringLiteral(
                       "select count(*) from G_Trade_TradeList where Province='江苏省' and City='南京市' "
                       "and Town='江宁区' and Adr <> ''"))
                .toInt() > 0);
}

void TestDemoOrderData::remarksKeepChineseAndQuotes()
{
    for (const QString& remark : {QStringLiteral("请在包裹上写\"易碎\""), QStringLiteral("颜色要'深一点'的"),
                                  QStringLiteral("It's a gift, please don't include the price")}) {
        QVERIFY2(
            scalar(QStringLiteral("select count(*) from G_Trade_TradeList where CustomerRemark=?"), {remark})
                    .toInt() > 0,
            qPrintable(remark));
    }
}

void TestDemoOrderData::stationStatementsRun_data()
{
    // The statements the station, the goods tab and the query tab send, with their values bound:
    // every column they name must exist and no unqualified column may be ambiguous.
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("values");
    const QString lookup = QStringLiteral(
        "select SndTo,TradeNick,Name,Province,City,Town,Adr,G_Trade_TradeList.Tel as "
        "Tel,TradeID,TradeNO,TradeStatus,"
        "bStockOut,CustomerRemark,G_Trade_TradeList.Remark as Remark,GoodsWeight from G_Trade_TradeList,"
        "G_Cfg_LogisticList where G_Trade_TradeList.LogisticID=G_Cfg_LogisticList.LogisticID and ");
    QTest::newRow("trade by waybill") << lookup + QStringLiteral("PostID=?") << 1;
    QTest::newRow("trade by number") << lookup + QStringLiteral("TradeNO=?") << 1;
    QTest::newRow("goods lines")
        << "select GoodsID,SpecID,SellCount,Unit from G_Trade_GoodsList where TradeID=?" << 1;
    QTest::newRow("goods record")
        << "select GoodsName,Weight,GoodsSpec from G_Goods_GoodsList where GoodsID=?" << 1;
    QTest::newRow("variant") << "select SpecName from G_Goods_GoodsSpec where SpecID=?" << 1;
    QTest::newRow("package weight") << "select PackageWeight  from G_Cfg_PackageList where PackageName=?"
                                    << 1;
    QTest::newRow("barcode check") << "select * from G_Cfg_Sys where RecID=54" << 0;
    QTest::newRow("picker") << "update G_Trade_TradeList set Picker=? where TradeID=?" << 2;
    QTest::newRow("goods weight") << "update G_Trade_TradeList set GoodsWeight= ? where TradeID=?" << 2;
    QTest::newRow("extra waybill log")
        << "INSERT INTO G_Trade_Log(TradeID,Operator,LogDetail,LogTime) VALUES "
           "(?,?,?,datetime('now','localtime'))"
        << 3;
    QTest::newRow("staff") << "select Name from G_Cfg_StaffList" << 0;
    QTest::newRow("shops") << "select ShopName from G_Cfg_ShopList" << 0;
    QTest::newRow("express") << "select Name from G_Cfg_LogisticList" << 0;
    QTest::newRow("goods weighing") << "update G_Goods_GoodsList set Weight=? where GoodsID=?" << 2;
    const QString condition = QStringLiteral(
        " from G_Trade_TradeList,G_Customer_CustomerList,G_Cfg_ShopList,G_Cfg_LogisticList  where "
        "G_Trade_TradeList.CustomerID=G_Customer_CustomerList.CustomerID and "
        "G_Trade_TradeList.ShopID=G_Cfg_ShopList.ShopID and  G_Trade_TradeList.LogisticID "
        "=G_Cfg_LogisticList.LogisticID"
        " and (SndTime between ? and ?) and ShopName Like ? and Name = ? and SndOperator = ? and NickName "
        "Like ? and "
        "SndTo=? and GoodsList Like ? and  G_Trade_TradeList.Tel = ? and (PackagedWeight  >=  ? and "
        "PackagedWeight <= ?)");
    QTest::newRow("query count") << QStringLiteral("select Count(*) as Number") + condition << 11;
    QTest::newRow("query page")
        << QStringLiteral(
               "select  TradeID,TradeNO,NickName,SndTo,GoodsList,SndTime,Name,ShopName,PostID,"
               "G_Trade_TradeList.CustomerID as CustomerID,CustomerName,G_Trade_TradeList.Province as "
               "Province,G_Trade_TradeList.City as City,G_Trade_TradeList.Town as Town "
               ",G_Trade_TradeList.Adr as Adr,G_Trade_TradeList.Zip as Zip,GoodsWeight,PackagedWeight,"
               "Postage,SndOperator,G_Trade_TradeList.Tel as Tel ") +
               condition + QStringLiteral(" order by SndTime")
        << 11;
}

void TestDemoOrderData::stationStatementsRun()
{
    QFETCH(QString, statement);
    QFETCH(int, values);
    QVERIFY(m_shop->db().transaction());
    QSqlQuery query(m_shop->db());
    QVERIFY2(query.prepare(statement), qPrintable(query.lastError().text()));
    for (int i = 0; i < values; ++i) {
        query.addBindValue(QStringLiteral("1"));
    }
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
    query.finish();
    QVERIFY(m_shop->db().rollback());
}

void TestDemoOrderData::maintenanceStatementsRun()
{
    TempDataFolder folder;
    const QString path = folder.file(QStringLiteral("maintenance.db"));
    QString error;
    QVERIFY2(createDemoOrderDatabase(path, demoOptions(300, 5), &error), qPrintable(error));
    SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("maintenance-test"));
    QVERIFY2(openSqliteFile(connection, path, &error), qPrintable(error));
    QSqlQuery query(connection.db());
    auto count = [&](const char* statement) {
        return query.exec(QString::fromUtf8(statement)) && query.next() ? query.value(0).toInt() : -1;
    };
    const int reviewed = count("select count(*) from G_Trade_TradeList where TradeStatus=2");
    const int all = count("select count(*) from G_Trade_TradeList");
    QVERIFY(reviewed > 0);
    QVERIFY(
        count(
            "select count(*) from G_Trade_Log where TradeID in (select TradeID from G_Trade_TradeList where "
            "TradeStatus=2)") > 0);
    QVERIFY(count("select count(*) from G_Trade_TradeList where GoodsWeight=0 and TradeStatus='11'") > 0);

    for (const char* statement : {"update G_Trade_TradeList set GoodsWeight = estimateWeight Where "
                                  "GoodsWeight=0 and TradeStatus='11'",
                                  "Delete from G_Trade_Log where TradeID IN (select TradeID from "
                                  "G_Trade_TradeList where TradeStatus=2)",
                                  "Delete from G_API_TradeGoods where BillID IN (select BillID from "
                                  "G_API_TradeList where TradeID in (select "
                                  "TradeID from G_Trade_TradeList where TradeStatus=2))",
                                  "Delete from G_API_TradeList where TradeID IN (select TradeID from "
                                  "G_Trade_TradeList where TradeStatus=2)",
                                  "Delete from G_Trade_GoodsList where TradeID IN (select TradeID from "
                                  "G_Trade_TradeList where TradeStatus=2)",
                                  "Delete from G_Trade_TradeList where TradeStatus=2",
                                  "alter table G_Trade_TradeList add Difference money",
                                  "update G_Trade_TradeList set Difference =PackagedWeight-GoodsWeight",
                                  "alter table  G_Trade_TradeList drop column Difference"}) {
        QVERIFY2(query.exec(QString::fromUtf8(statement)), qPrintable(query.lastError().text()));
    }
    QCOMPARE(count("select count(*) from G_Trade_TradeList where GoodsWeight=0 and TradeStatus='11'"), 0);
    QCOMPARE(count("select count(*) from G_Trade_TradeList"), all - reviewed);
    for (const char* orphans :
         {"select count(*) from G_Trade_GoodsList where TradeID not in (select TradeID from "
          "G_Trade_TradeList)",
          "select count(*) from G_Trade_Log where TradeID not in (select TradeID from G_Trade_TradeList)",
          "select count(*) from G_API_TradeList where TradeID not in (select TradeID from G_Trade_TradeList)",
          "select count(*) from G_API_TradeGoods where BillID not in (select BillID from G_API_TradeList)"}) {
        QCOMPARE(count(orphans), 0);
    }
}

void TestDemoOrderData::sameSeedSameShop()
{
    TempDataFolder folder;
    QByteArray digests[3];
    const quint32 seeds[3] = {42, 42, 43};
    for (int i = 0; i < 3; ++i) {
        const QString path = folder.file(QStringLiteral("shop%1.db").arg(i));
        QString error;
        QVERIFY2(createDemoOrderDatabase(path, demoOptions(200, seeds[i]), &error), qPrintable(error));
        SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("seed-test"));
        QVERIFY(openSqliteFile(connection, path, &error));
        digests[i] = digest(connection.db());
    }
    QCOMPARE(digests[0], digests[1]);
    QVERIFY(digests[0] != digests[2]);
}

void TestDemoOrderData::fileSettings()
{
    // The schema can be laid over a file that has it already.
    QString error;
    QVERIFY2(createEmbeddedOrderSchema(m_shop->db(), &error), qPrintable(error));
    QCOMPARE(scalar(QStringLiteral("select count(*) from G_Trade_TradeList")).toInt(), kTrades);

    // Generation ran without journal and syncs; the finished file is back to the safe settings
    // and readable by its owner only (it holds the logins).
    QCOMPARE(scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("delete"));
    const QFileDevice::Permissions permissions =
        QFile::permissions(m_folder->file(QStringLiteral("shop.db")));
    QVERIFY(permissions & QFileDevice::ReadOwner);
    QVERIFY(!(permissions & (QFileDevice::ReadGroup | QFileDevice::ReadOther)));
}

void TestDemoOrderData::refusesExistingFile()
{
    TempDataFolder folder;
    const QString path = folder.file(QStringLiteral("taken.db"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    QString error;
    QVERIFY(!createDemoOrderDatabase(path, demoOptions(10, 1), &error));
    QVERIFY2(error.contains(QStringLiteral("已存在")), qPrintable(error));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

void TestDemoOrderData::refusesBadRequests_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("trades");
    QTest::newRow("negative count") << "shop.db" << -1;
    QTest::newRow("too many") << "shop.db" << kDemoMaxTrades + 1;
    QTest::newRow("no file name") << "" << 10;
    QTest::newRow("missing folder") << "no/such/folder/shop.db" << 10;
}

void TestDemoOrderData::refusesBadRequests()
{
    QFETCH(QString, name);
    QFETCH(int, trades);
    TempDataFolder folder;
    QString error;
    QVERIFY(!createDemoOrderDatabase(name.isEmpty() ? QString() : folder.file(name), demoOptions(trades, 1),
                                     &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

void TestDemoOrderData::tool_data()
{
    QTest::addColumn<QStringList>("arguments"); // "<out>" stands for the output file
    QTest::addColumn<bool>("existing");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // expected in stdout (exit 0) or stderr

    QTest::newRow("makes a shop") << QStringList{"--trades", "25", "--seed", "9", "<out>"} << false << 0
                                  << "25 trades";
    QTest::newRow("refuses existing file") << QStringList{"--trades", "25", "<out>"} << true << 1 << "已存在";
    QTest::newRow("count not a number")
        << QStringList{"--trades", "many", "<out>"} << false << 2 << "--trades";
    QTest::newRow("negative count") << QStringList{"--trades", "-3", "<out>"} << false << 2 << "--trades";
    QTest::newRow("seed not a number") << QStringList{"--seed", "x", "<out>"} << false << 2 << "--seed";
    QTest::newRow("no output file") << QStringList{"--trades", "5"} << false << 2 << "output";
    QTest::newRow("unknown option") << QStringList{"--trade", "5", "<out>"} << false << 2 << "trade";
}

void TestDemoOrderData::tool()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, existing);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    const QString tools = qEnvironmentVariable("ZELVO_TOOLS_DIR");
    if (tools.isEmpty()) {
        QSKIP("ZELVO_TOOLS_DIR is not set");
    }
    TempDataFolder folder;
    const QString path = folder.file(QStringLiteral("tool.db"));
    if (existing) {
        QVERIFY(createDemoOrderDatabase(path, demoOptions(3, 1), nullptr));
    }
    const QByteArray before = fileBytes(path);
    arguments.replaceInStrings(QStringLiteral("<out>"), path);
    QProcess process;
    process.start(tools + QStringLiteral("/zelvo-demo-db"), arguments);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY2((exitCode == 0 ? out : err).contains(output), qPrintable(out + err));
    QCOMPARE(QFile::exists(path), exitCode == 0 || existing);
    if (existing) {
        QCOMPARE(fileBytes(path), before);
    }
    if (exitCode == 0) {
        QCOMPARE(out.count(QLatin1Char('\n')), 1);
        SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("tool-test"));
        QString error;
        QVERIFY(openSqliteFile(connection, path, &error));
        QSqlQuery query(connection.db());
        QVERIFY(query.exec(QStringLiteral("select count(*) from G_Trade_TradeList")) && query.next());
        QCOMPARE(query.value(0).toInt(), 25);
    }
}

QTEST_GUILESS_MAIN(TestDemoOrderData)
#include "TestDemoOrderData.moc"
