// The station against a SQL Server over the real QODBC and FreeTDS stack: the stand-in server answers
// from an order file, which is read back to see every column the ship wrote, and its request log
// shows what went over the wire.
#include "WireShop.h"

#include "goods/GoodsWeighing.h"
#include "goods/PlainGoodsView.h"

class TestSqlServerStation : public QObject
{
    Q_OBJECT

private slots:
    void ship_data()
    {
        QTest::addColumn<bool>("byTradeNo");
        QTest::addColumn<QString>("scan");
        QTest::newRow("by waybill") << false << WireShop::kWaybill;
        QTest::newRow("by trade number") << true << WireShop::kTradeNo;
    }
    void ship()
    {
        QFETCH(bool, byTradeNo);
        QFETCH(QString, scan);
        WireShop shop;
        shop.logIn();
        shop.view.tradeNumber = byTradeNo;
        shop.view.scan = scan;
        const QString stockBefore =
            shop.value("select group_concat(Stock) from G_Stock_Spec where GoodsID in (1, 7, 29)").toString();
        shop.server->clearRequests();

        const ShipOutcome outcome = shop.ship();
        QVERIFY2(outcome == ShipOutcome::Shipped,
                 qPrintable(shop.lines().join('\n') + shop.demo->prompter.messages.join('\n')));
        QCOMPARE(shop.lines(), QStringList{QStringLiteral(" : ") + scan +
                                           QStringLiteral(" : 商品:1.098kg，包裹:1.250kg，差:0.152kg，"
                                                          "邮资为：12元,发货成功!")});
        QCOMPARE(shop.demo->sounds.played, QStringList{QStringLiteral("True.wav")});
        QVERIFY2(shop.demo->prompter.messages.isEmpty(), qPrintable(shop.demo->prompter.messages.join('\n')));

        // Every column the station and the procedures write, as the order file holds it.
        QCOMPARE(shop.tradeColumns("TradeStatus, bStockOut, PackagedWeight, Postage, Packer, PackageName, "
                                   "Picker, GoodsWeight, SndOperator"),
                 QStringLiteral("8|1|1250|12.0|张建国|小号纸箱|李秀兰|1097.5|张建国"));
        QVERIFY(!shop.tradeColumns("SndTime").isEmpty());
        QCOMPARE(shop.value("select group_concat(Operator || ':' || LogDetail, '/') from "
                            "(select * from G_Trade_Log where TradeID = ? order by RecID)",
                            {WireShop::kTradeId})
                     .toString(),
                 QStringLiteral("operator:订单出库/operator:订单发货,包裹重量1250克,邮资12元"));
        const QStringList before = stockBefore.split(QLatin1Char(','));
        const QStringList after =
            shop.value("select group_concat(Stock) from G_Stock_Spec where GoodsID in (1, 7, 29)")
                .toString()
                .split(QLatin1Char(','));
        int taken = 0;
        for (int i = 0; i < before.size(); ++i) {
            taken += before.at(i).toInt() - after.at(i).toInt();
        }
        QCOMPARE(taken, 6);

        // The procedures as sent: each once, with its values bound.
        const QList<QJsonObject> check = shop.requests(QStringLiteral("G_TradeStockOutCHK"));
        const QList<QJsonObject> out = shop.requests(QStringLiteral("exec G_TradeStockOut @"));
        const QList<QJsonObject> over = shop.requests(QStringLiteral("G_TradeOver"));
        QCOMPARE(check.size(), 1);
        QCOMPARE(out.size(), 1);
        QCOMPARE(over.size(), 1);
        QCOMPARE(WireShop::params(check.first()), QStringList{QStringLiteral("varchar(5):90001")});
        QCOMPARE(WireShop::params(out.first()),
                 (QStringList{QStringLiteral("varchar(5):90001"), QStringLiteral("varchar(8):operator")}));
        QCOMPARE(WireShop::params(over.first()),
                 (QStringList{QStringLiteral("varchar(5):90001"), QStringLiteral("varchar(9):张建国"),
                              QStringLiteral("varchar(12):小号纸箱"), QStringLiteral("intn(4):1250"),
                              QStringLiteral("floatn(8):12"), QStringLiteral("varchar(8):operator")}));
        // The scanned number never becomes statement text.
        for (const QJsonObject& request : shop.server->requests()) {
            QVERIFY2(!request.value(QStringLiteral("text")).toString().contains(scan),
                     qPrintable(request.value(QStringLiteral("text")).toString()));
        }

        // Scanned again: the trade has left and the refusal comes from the server's rows.
        shop.demo->sounds.played.clear();
        QCOMPARE(shop.ship(), ShipOutcome::Refused);
        QCOMPARE(shop.lines().constFirst(),
                 QStringLiteral(" : ") + scan + QStringLiteral(" : 订单状态错误!"));
        QCOMPARE(shop.demo->sounds.played.constLast(), QStringLiteral("False.wav"));
    }

    // A procedure that fails on the server, or a connection dropped at it: the run stops without
    // shipping, the trade stays as the procedures left it, and once the server is well again the
    // next scan of the parcel ships it.
    void procedureFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("match");
        QTest::addColumn<QString>("trade");
        QTest::newRow("error in the stock-out check") << "error"
                                                      << "G_TradeStockOutCHK"
                                                      << "5|0||0";
        QTest::newRow("error in the stock-out") << "error"
                                                << "exec G_TradeStockOut @"
                                                << "5|0||0";
        QTest::newRow("error in closing") << "error"
                                          << "G_TradeOver"
                                          << "5|1|李秀兰|1097.5";
        QTest::newRow("dropped at the stock-out check") << "drop"
                                                        << "G_TradeStockOutCHK"
                                                        << "5|0||0";
        QTest::newRow("dropped at closing") << "drop"
                                            << "G_TradeOver"
                                            << "5|1|李秀兰|1097.5";
    }
    void procedureFaults()
    {
        QFETCH(QString, fault);
        QFETCH(QString, match);
        QFETCH(QString, trade);
        WireShop shop;
        shop.logIn();
        QJsonObject faults;
        if (fault == QLatin1String("error")) {
            faults[QStringLiteral("error")] = QJsonArray{QJsonObject{
                {QStringLiteral("match"), match}, {QStringLiteral("message"), QStringLiteral("死锁")}}};
        } else {
            faults[QStringLiteral("drop")] = QJsonArray{match};
        }
        QVERIFY(shop.server->setFaults(faults));
        const char* columns = "TradeStatus, bStockOut, ifnull(Picker,''), GoodsWeight";

        QCOMPARE(shop.ship(), ShipOutcome::Refused);
        QCOMPARE(shop.tradeColumns(columns), trade);
        if (fault == QLatin1String("drop")) {
            QCOMPARE(shop.lines().constFirst(),
                     QStringLiteral(" : ZT90001 : 订单数据库连接已断开,请重新扫描!"));
        }

        QVERIFY(shop.server->setFaults({}));
        shop.demo->prompter.messages.clear();
        QCOMPARE(shop.ship(), ShipOutcome::Shipped);
        QCOMPARE(
            shop.lines().constFirst(),
            QStringLiteral(" : ZT90001 : 商品:1.098kg，包裹:1.250kg，差:0.152kg，邮资为：12元,发货成功!"));
        QCOMPARE(shop.tradeColumns(columns), QStringLiteral("8|1|李秀兰|1097.5"));
    }

    void additionalWaybill_data()
    {
        QTest::addColumn<bool>("once");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("postage");
        QTest::addColumn<QString>("note");
        QTest::newRow("one first weight")
            << true
            << QStringLiteral(
                   " : 附加单号Y%_1 : 单票重量：0.8kg，当前总重量2.3kg，当前总邮资为：16元,发货成功!")
            << QStringLiteral("16.0") << QStringLiteral("已发货(仅算1个首重，单票重量：0.8kg)");
        QTest::newRow("separate first weights")
            << false
            << QStringLiteral(" : 附加单号Y%_1 : "
                              "单票重量：0.8kg，单票邮资：8元，当前总重量2.3kg，当前总邮资为：20元,发货成功!")
            << QStringLiteral("20.0")
            << QStringLiteral("已发货(分别计算首重，单票重量：0.8kg，单票邮资：8元)");
    }
    void additionalWaybill()
    {
        QFETCH(bool, once);
        QFETCH(QString, line);
        QFETCH(QString, postage);
        QFETCH(QString, note);
        WireShop shop;
        shop.addTrade(90002, QStringLiteral("ZT90002"), QStringLiteral("T90002"), 8,
                      QStringLiteral("分箱:附加单号Y%_12;附加单号Y%_1;"), 1500, 12);
        shop.logIn();
        shop.login("update Initialization set MultiPostID = 1, ChkCalcWeightOnce = ?", {once ? 1 : 0});
        shop.view.weight = QStringLiteral("0.8");
        shop.view.scan = QStringLiteral("Y%_1");
        shop.demo->prompter.defaultAnswer = true;

        QCOMPARE(shop.ship(), ShipOutcome::Shipped);
        QCOMPARE(shop.lines(), QStringList{line});
        QCOMPARE(shop.tradeColumns("PackagedWeight, Postage, Remark, TradeStatus", 90002),
                 QStringLiteral("2300|") + postage + QStringLiteral("|分箱:附加单号Y%_12;附加单号Y%_1") +
                     note + QStringLiteral(";|8"));
        // The remark search: the scan's wildcards escaped inside the bound value.
        const QList<QJsonObject> search = shop.requests(QStringLiteral("like @P1 escape"));
        QVERIFY(!search.isEmpty());
        QVERIFY(
            WireShop::params(search.first()).constFirst().endsWith(QStringLiteral(":%附加单号Y\\%\\_1%")));

        // Scanned again: refused, the totals stay.
        QCOMPARE(shop.ship(), ShipOutcome::Refused);
        QCOMPARE(shop.lines().constFirst(), QStringLiteral(" : 附加单号Y%_1 : 已发货!"));
        QCOMPARE(shop.tradeColumns("PackagedWeight", 90002), QStringLiteral("2300"));
    }

    void goodsWeighing_data()
    {
        QTest::addColumn<QString>("goods");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("count");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QString>("stored");
        QTest::newRow("never weighed") << QStringLiteral("槐花蜂蜜") << "0.52"
                                       << "" << false << "520";
        QTest::newRow("per article of a count") << QStringLiteral("槐花蜂蜜") << "1.05"
                                                << "2" << false << "525";
        QTest::newRow("weighed before, replaced") << QStringLiteral("陶瓷马克杯") << "0.4"
                                                  << "" << true << "400";
        QTest::newRow("weighed before, kept") << QStringLiteral("陶瓷马克杯") << "0.4"
                                              << "" << false << "380";
    }
    void goodsWeighing()
    {
        QFETCH(QString, goods);
        QFETCH(QString, weight);
        QFETCH(QString, count);
        QFETCH(bool, replace);
        QFETCH(QString, stored);
        WireShop shop;
        shop.logIn();
        PlainGoodsView view;
        GoodsWeighing weighing(shop.orderDb(), view, view, shop.demo->prompter, shop.demo->sounds);
        weighing.setScaleTypeIndex(0);
        shop.demo->prompter.defaultAnswer = replace;
        view.weight = weight;
        view.count = count;
        view.barcode =
            shop.value("select BarCode from G_Goods_GoodsList where GoodsName = ?", {goods}).toString();
        QVERIFY(!view.barcode.isEmpty());

        weighing.enter();
        QCOMPARE(view.name, goods);
        QCOMPARE(shop.value("select Weight from G_Goods_GoodsList where GoodsName = ?", {goods}).toString(),
                 stored);
        const QList<QJsonObject> writes =
            shop.requests(QStringLiteral("^update G_Goods_GoodsList set Weight"));
        QCOMPARE(writes.size(), stored == QLatin1String("380") ? 0 : 1);
        if (!writes.isEmpty()) {
            QCOMPARE(WireShop::params(writes.first()).constFirst(), QStringLiteral("floatn(8):") + stored);
        }
    }
};

QTEST_GUILESS_MAIN(TestSqlServerStation)
#include "TestSqlServerStation.moc"
