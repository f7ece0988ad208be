// The ship procedure end to end on a demo shop: log lines, sounds, message boxes and every column
// the order database receives.
#include "StationShop.h"

class TestShipProcedure : public QObject
{
    Q_OBJECT

private:
    const QString kWeights = QStringLiteral("商品:1.098kg，包裹:1.250kg，差:0.152kg，");
    // Shared by the runs that must write nothing: each checks that it did not.
    std::unique_ptr<StationShop> m_shop;

    // Alarm brackets as a test needs them, and the check switched on in the given mode.
    static void setAlarm(StationShop& shop, bool rangeMode, const QVariantList& bracket)
    {
        shop.login("delete from AlarmSet");
        shop.login("insert into AlarmSet (WeightFrom, WeightTo, NormalFrom, NormalTo, NormalPercent) "
                   "values (?, ?, ?, ?, ?)",
                   bracket);
        shop.login("update Initialization set CheckAlarm = 1, RbAlarmRang = ?, RbAlarmPercent = ?",
                   {rangeMode ? 1 : 0, rangeMode ? 0 : 1});
    }

private slots:
    void initTestCase()
    {
        m_shop = std::make_unique<StationShop>();
        // Shipped, with remarks that a wildcard would find.
        m_shop->addTrade(90002, QStringLiteral("ZT90002"), QStringLiteral("T90002"), 8,
                         QStringLiteral("附加单号ZT90001;附加单号AAA"));
    }

    void cleanShip()
    {
        StationShop shop;
        const QVariant stockBefore =
            shop.value("select Stock from G_Stock_Spec where GoodsID = 7 and SpecID = 0");
        const quint64 statementsBefore = shop.demo.stores().orderDb().statementCount();
        shop.view.summary = true;

        QCOMPARE(shop.ship(), ShipOutcome::Shipped);
        // The summary: goods lines, three goods records, one variant name. The run: lookup, goods
        // lines, three goods records, package, row 54, stock-out check, stock-out, picker, goods
        // weight, G_TradeOver.
        QCOMPARE(shop.demo.stores().orderDb().statementCount() - statementsBefore, quint64(17));
        QCOMPARE(shop.lines(), QStringList{QStringLiteral(" : ZT90001 : ") + kWeights +
                                           QStringLiteral("邮资为：12元,发货成功!")});
        QCOMPARE(shop.sounds.played, QStringList{QStringLiteral("True.wav")});
        QVERIFY(shop.prompter.messages.isEmpty());
        QVERIFY(shop.prompter.questions.isEmpty());

        QCOMPARE(shop.tradeColumn("TradeStatus").toInt(), 8);
        QCOMPARE(shop.tradeColumn("bStockOut").toInt(), 1);
        QCOMPARE(shop.tradeColumn("PackagedWeight").toInt(), 1250);
        QCOMPARE(shop.tradeColumn("Postage").toDouble(), 12.0);
        QCOMPARE(shop.tradeColumn("Packer").toString(), QStringLiteral("张建国"));
        QCOMPARE(shop.tradeColumn("PackageName").toString(), QStringLiteral("小号纸箱"));
        QCOMPARE(shop.tradeColumn("Picker").toString(), QStringLiteral("李秀兰"));
        // Two mugs, a T-shirt, three clips of 12.5 g and the small box: E keeps its half gram.
        QCOMPARE(shop.tradeColumn("GoodsWeight").toDouble(), 1097.5);
        QCOMPARE(shop.value("select Stock from G_Stock_Spec where GoodsID = 7 and SpecID = 0").toInt(),
                 stockBefore.toInt() - 2);

        QCOMPARE(shop.view.lastWeight, QStringLiteral("1.250KG/12元"));
        QCOMPARE(shop.view.difference, QStringLiteral("0.152"));
        QCOMPARE(shop.view.summaryLines.size(), 5);
        QCOMPARE(shop.view.summaryLines.at(0),
                 QStringLiteral(
                     "收件信息：林晓(lin_1990), 江苏省, 南京市, 玄武区, 中山路1号, 13900000000, T90001"));
        QCOMPARE(shop.view.summaryLines.at(2), QStringLiteral("客户备注：请尽快发货"));
        QCOMPARE(shop.view.goodsRows,
                 (QList<QStringList>{{QStringLiteral("陶瓷马克杯"), QStringLiteral("350ml"),
                                      QStringLiteral("2个"), QStringLiteral("380")},
                                     {QStringLiteral("纯棉圆领T恤"), QStringLiteral("黑色 M"),
                                      QStringLiteral("1件"), QStringLiteral("180")},
                                     {QStringLiteral("珍珠发夹"), QStringLiteral("单个装"),
                                      QStringLiteral("3个"), QStringLiteral("12.5")}}));
        // Typed weights: the next weight is typed first.
        QCOMPARE(shop.view.focus, PlainScanView::Focus::Weight);

        // The same waybill again: the trade has left, and nothing changes.
        const QString before = shop.fingerprint();
        QCOMPARE(shop.ship(), ShipOutcome::Refused);
        QCOMPARE(shop.lines().constFirst(), QStringLiteral(" : ZT90001 : 订单状态错误!"));
        QCOMPARE(shop.sounds.played.constLast(), QStringLiteral("False.wav"));
        QCOMPARE(shop.view.lastWeight, QStringLiteral(" "));
        QCOMPARE(shop.fingerprint(), before);
    }

    // By trade number, just below the range, postage typed with no rule at all, staff lists
    // disabled, CheckSum off, and a trade already stocked out whose barcode check is pending.
    void shipsWithEveryAlternative()
    {
        StationShop shop;
        shop.view.tradeNumber = true;
        shop.view.scan = StationShop::kTradeNo;
        shop.view.weight = QStringLiteral("29.999");
        shop.postage(QStringLiteral("delete from rule"));
        shop.view.manualPostage = true;
        shop.view.postage = QStringLiteral("8.5");
        shop.view.picker.enabled = false;
        shop.view.packer.enabled = false;
        shop.login("update Initialization set CheckSum = 0");
        shop.order("update G_Trade_TradeList set bStockOut = 1 where TradeID = ?", {StationShop::kTradeId});
        shop.order("update G_Cfg_Sys set CfgValue = '1' where RecID = 54");
        const QString stock = shop.value("select group_concat(Stock) from G_Stock_Spec").toString();

        QCOMPARE(shop.ship(), ShipOutcome::Shipped);
        // Without CheckSum the trade's own goods weight is E and stays as it was.
        QCOMPARE(shop.lines(), QStringList{QStringLiteral(" : T90001 : 商品:0.000kg，包裹:29.999kg，"
                                                          "差:29.999kg，邮资为：8.5元,发货成功!")});
        QCOMPARE(shop.tradeColumn("GoodsWeight").toDouble(), 0.0);
        QCOMPARE(shop.tradeColumn("PackagedWeight").toInt(), 29999);
        QCOMPARE(shop.tradeColumn("Postage").toDouble(), 8.5);
        QCOMPARE(shop.view.postage, QStringLiteral("8.5"));
        QCOMPARE(shop.tradeColumn("Picker").toString(), QStringLiteral("operator"));
        QCOMPARE(shop.tradeColumn("Packer").toString(), QStringLiteral("operator"));
        QCOMPARE(shop.value("select group_concat(Stock) from G_Stock_Spec").toString(), stock);
    }

    // Runs that stop on what the scan tab holds: the input checks, numbers no trade has (scans are
    // values, never statement text), weighing only.
    void refusedWithoutWriting_data()
    {
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("scan");
        QTest::addColumn<QString>("switches");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        const QString waybill = StationShop::kWaybill;
        const QString w = QStringLiteral("1.250");
        const int refused = int(ShipOutcome::Refused);
        const int notFound = int(ShipOutcome::NotFound);
        const QString typeError = QStringLiteral("重量值类型错误!");
        QTest::newRow("empty weight") << QString() << waybill << QString() << refused
                                      << QStringLiteral(" :  : 重量值错误!") << QString();
        QTest::newRow("scale not connected") << QStringLiteral("电子秤未连接") << waybill << QString()
                                             << refused << QStringLiteral(" : 请输入重量值!") << QString();
        QTest::newRow("decoder warning")
            << QStringLiteral("警告：重量为负!") << waybill << QString() << refused << QString() << typeError;
        QTest::newRow("letters") << QStringLiteral("1.2A") << waybill << QString() << refused << QString()
                                 << typeError;
        QTest::newRow("range reached") << QStringLiteral("30.000") << waybill << QString() << refused
                                       << QString() << QStringLiteral("超过电子秤量程!");
        QTest::newRow("empty scan") << w << QString() << QString() << refused
                                    << QStringLiteral(" :  : 请输入单号!") << QString();
        QTest::newRow("postage typed empty") << w << waybill << QStringLiteral("manualPostage") << refused
                                             << QString() << QStringLiteral("请输入邮资!");
        QTest::newRow("weigh only") << w << waybill << QStringLiteral("weighOnly")
                                    << int(ShipOutcome::WeighedOnly)
                                    << QStringLiteral(" : ZT90001 : ") + kWeights + QStringLiteral("未发货!!")
                                    << QString();
        QTest::newRow("waybill in trade-number mode")
            << w << waybill << QStringLiteral("tradeNumber") << notFound
            << QStringLiteral(" : ZT90001 : 不存在!") << QString();
        for (const QString& scan :
             {QStringLiteral("ZT99999"), QStringLiteral("ZT90001' or '1'='1"), QStringLiteral("ZT9000_"),
              QStringLiteral("ZT9000%"), QStringLiteral("[Z]T90001"), QString(1000, QLatin1Char('A'))}) {
            QTest::newRow(qPrintable(scan.left(20)))
                << w << scan << QString() << notFound << QStringLiteral(" : %1 : 不存在!").arg(scan)
                << QString();
            QTest::newRow(qPrintable(QStringLiteral("several parcels: ") + scan.left(20)))
                << w << scan << QStringLiteral("multiParcel") << notFound
                << QStringLiteral(" : 附加单号%1 : 不存在!").arg(scan) << QString();
        }
    }
    void refusedWithoutWriting()
    {
        QFETCH(QString, weight);
        QFETCH(QString, scan);
        QFETCH(QString, switches);
        QFETCH(int, outcome);
        QFETCH(QString, line);
        QFETCH(QString, message);
        StationShop& shop = *m_shop;
        shop.forget();
        shop.login("update Initialization set MultiPostID = ?",
                   {int(switches == QLatin1String("multiParcel"))});
        shop.view.tradeNumber = switches == QLatin1String("tradeNumber");
        shop.view.weighOnly = switches == QLatin1String("weighOnly");
        shop.view.manualPostage = switches == QLatin1String("manualPostage");
        shop.view.postage.clear();
        shop.view.weight = weight;
        shop.view.scan = scan;
        const QString before = shop.fingerprint();

        QCOMPARE(int(shop.ship()), outcome);
        QCOMPARE(shop.lines(), line.isEmpty() ? QStringList() : QStringList{line});
        QCOMPARE(shop.sounds.played,
                 line.isEmpty() ? QStringList() : QStringList{QStringLiteral("False.wav")});
        QCOMPARE(shop.prompter.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(shop.fingerprint(), before);
    }

    // Stops on what the trade or the shop holds, before anything is written.
    void refusedByTheShop_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("barcode check pending")
            << QStringLiteral("update G_Cfg_Sys set CfgValue = '1' where RecID = 54")
            << QStringLiteral(" : ZT90001 : 未进行条码检验!") << QString();
        QTest::newRow("stock short")
            << QStringLiteral("update G_Stock_Spec set Stock = 1 where GoodsID = 7 and SpecID = 0")
            << QString() << QStringLiteral("库存不足:陶瓷马克杯 350ml");
        QTest::newRow("no postage rule")
            << QStringLiteral("update G_Trade_TradeList set Province = '浙江省'")
            << QStringLiteral(" : 未设置青禾快递1.250KG浙江省地区的邮资规则!") << QString();
    }
    void refusedByTheShop()
    {
        QFETCH(QString, change);
        QFETCH(QString, line);
        QFETCH(QString, message);
        StationShop shop;
        shop.order(change.toUtf8().constData());
        const QString before = shop.fingerprint();
        QCOMPARE(shop.ship(), ShipOutcome::Refused);
        QCOMPARE(shop.lines(), line.isEmpty() ? QStringList() : QStringList{line});
        QCOMPARE(shop.sounds.played,
                 line.isEmpty() ? QStringList() : QStringList{QStringLiteral("False.wav")});
        QCOMPARE(shop.prompter.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(shop.fingerprint(), before);
        if (line.contains(QStringLiteral("邮资规则"))) {
            QCOMPARE(shop.view.postage, QStringLiteral("未设置邮资规则!"));
        }
    }

    // E = 1097.5 g: D is W − E truncated toward zero.
    void alarm_data()
    {
        QTest::addColumn<bool>("rangeMode");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("abnormal");
        QTest::addColumn<bool>("shipped");
        // Range −50 … 100 g, both ends included.
        QTest::newRow("range lower bound")
            << true << QStringLiteral("1.047") << false << false << true;                          // -50
        QTest::newRow("range below") << true << QStringLiteral("1.046") << false << true << false; // -51
        QTest::newRow("range upper bound")
            << true << QStringLiteral("1.198") << false << false << true;                            // 100
        QTest::newRow("range above, OK") << true << QStringLiteral("1.199") << true << true << true; // 101
        QTest::newRow("range above, Cancel") << true << QStringLiteral("1.199") << false << true << false;
        // 10 %: 0 <= D <= 109.75 g.
        QTest::newRow("percent limit") << false << QStringLiteral("1.207") << false << false << true; // 109
        QTest::newRow("percent above") << false << QStringLiteral("1.208") << false << true << false; // 110
        QTest::newRow("percent half a gram lighter")
            << false << QStringLiteral("1.097") << false << false << true; // D = 0
        QTest::newRow("percent lighter") << false << QStringLiteral("1.096") << false << true << false; // -1
        QTest::newRow("percent lighter, OK") << false << QStringLiteral("1.096") << true << true << true;
    }
    void alarm()
    {
        QFETCH(bool, rangeMode);
        QFETCH(QString, weight);
        QFETCH(bool, answer);
        QFETCH(bool, abnormal);
        QFETCH(bool, shipped);
        StationShop shop;
        setAlarm(shop, rangeMode, {1000, 3000, -50, 100, 10});
        shop.view.weight = weight;
        shop.prompter.defaultAnswer = answer;
        const QString before = shop.fingerprint();

        const ShipOutcome outcome = shop.ship();
        QCOMPARE(wasShipped(outcome), shipped);
        QCOMPARE(shop.prompter.questions,
                 abnormal ? QStringList{QStringLiteral("是否发货?")} : QStringList());
        const QStringList lines = shop.lines();
        if (abnormal) {
            QVERIFY(lines.constLast().endsWith(QStringLiteral("重量异常!")));
            QCOMPARE(shop.sounds.played.constFirst(), QStringLiteral("Abnormal.wav"));
        }
        if (!shipped) {
            QCOMPARE(outcome, ShipOutcome::Abnormal);
            QVERIFY2(lines.constFirst().endsWith(QStringLiteral("邮资为:0元,未发货!")),
                     qPrintable(lines.constFirst()));
            QCOMPARE(shop.sounds.played.constLast(), QStringLiteral("False.wav"));
            QCOMPARE(shop.fingerprint(), before);
        } else {
            QVERIFY(lines.constFirst().endsWith(QStringLiteral("发货成功!")));
        }
    }

    void alarmBracketOfZero_data()
    {
        QTest::addColumn<bool>("zeroBracket");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("shipped");
        QTest::newRow("bracket from 0, normal") << true << false << false << true;
        QTest::newRow("no bracket, OK") << false << true << true << true;
        QTest::newRow("no bracket, Cancel") << false << false << true << false;
    }
    void alarmBracketOfZero()
    {
        QFETCH(bool, zeroBracket);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(bool, shipped);
        StationShop shop;
        // Without CheckSum, E is the trade's goods weight: 0. Only a bracket that starts at 0 holds it.
        shop.login("update Initialization set CheckSum = 0");
        setAlarm(shop, true, {zeroBracket ? 0 : 1, 3000, -50, 2000, 10});
        shop.prompter.defaultAnswer = answer;
        QCOMPARE(wasShipped(shop.ship()), shipped);
        QCOMPARE(shop.prompter.questions,
                 asked ? QStringList{QStringLiteral("报警设置未包括含此重量是否发货?")} : QStringList());
        if (!shipped) {
            QCOMPARE(shop.lines(),
                     QStringList{QStringLiteral(" : ZT90001 : 商品:0.000kg，包裹:1.250kg，差:1.250kg，"
                                                "邮资为:0元,未发货!")});
        }
    }

    // Options or alarm brackets that cannot be read stop the run before anything is written; an
    // unreadable alarm never lets an abnormal parcel through unchecked.
    void unreadableSettings_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("alarm brackets") << QStringLiteral("drop table AlarmSet");
        QTest::newRow("option row") << QStringLiteral("delete from Initialization");
        QTest::newRow("option table") << QStringLiteral("drop table Initialization");
    }
    void unreadableSettings()
    {
        QFETCH(QString, damage);
        StationShop shop;
        setAlarm(shop, true, {1000, 3000, -50, 100, 10});
        shop.view.weight = QStringLiteral("9.900"); // 8.8 kg over the goods
        shop.login(damage.toUtf8().constData());
        const QString before = shop.fingerprint();

        QCOMPARE(shop.ship(), ShipOutcome::Refused);
        QCOMPARE(shop.prompter.messages, QStringList{QStringLiteral("程序配置文件访问失败!")});
        QVERIFY(shop.prompter.questions.isEmpty());
        QCOMPARE(shop.fingerprint(), before);
    }

    // First weight 1000 g; a second bracket rule of the same region starts charging at 500 g.
    void overweight_data()
    {
        QTest::addColumn<QString>("weight");
        QTest::addColumn<bool>("smallFirstWeight");
        QTest::addColumn<bool>("warned");
        QTest::newRow("beyond the first weight") << QStringLiteral("1.250") << false << true;
        QTest::newRow("within, none lighter") << QStringLiteral("0.900") << false << false;
        QTest::newRow("within, above the smallest") << QStringLiteral("0.900") << true << true;
        QTest::newRow("within, at the smallest") << QStringLiteral("0.500") << true << false;
    }
    void overweight()
    {
        QFETCH(QString, weight);
        QFETCH(bool, smallFirstWeight);
        QFETCH(bool, warned);
        StationShop shop;
        shop.login("update Initialization set ChkOverWeight = 1, CheckSum = 0");
        if (smallFirstWeight) {
            shop.addRule(30000, 40000, 500, 20, 1000, 4);
        }
        shop.view.weight = weight;
        QCOMPARE(shop.ship(), warned ? ShipOutcome::Overweight : ShipOutcome::Shipped);
        QCOMPARE(shop.tradeColumn("TradeStatus").toInt(), 8);
        const QStringList lines = shop.lines();
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.constFirst().endsWith(QStringLiteral("元,超重!")), warned);
        QCOMPARE(shop.sounds.played,
                 QStringList{warned ? QStringLiteral("1.wav") : QStringLiteral("True.wav")});
        QCOMPARE(shop.view.lastWeight,
                 weight + QStringLiteral("KG/") + shop.view.postage + QStringLiteral("元"));
    }

    // G_TradeOver refuses a parcel of negative weight; the writes before it stay, as the order
    // database has no transaction around the run.
    void tradeOverRefuses()
    {
        StationShop shop;
        shop.view.weight = QStringLiteral("-0.5");
        shop.view.manualPostage = true;
        shop.view.postage = QStringLiteral("8");
        QCOMPARE(shop.ship(), ShipOutcome::Refused);
        QCOMPARE(shop.prompter.messages, QStringList{QStringLiteral("包裹重量错误")});
        QCOMPARE(shop.sounds.played, QStringList{QStringLiteral("False.wav")});
        QVERIFY(shop.lines().isEmpty());
        QCOMPARE(shop.tradeColumn("TradeStatus").toInt(), 5);
        QCOMPARE(shop.tradeColumn("bStockOut").toInt(), 1);
        QCOMPARE(shop.tradeColumn("Picker").toString(), QStringLiteral("李秀兰"));
    }

    // A log grown past its 50 lines is cut back to them before the run adds its own.
    void logTrim()
    {
        StationShop shop;
        for (int i = 1; i <= 53; ++i) {
            shop.report.reportResult(QStringLiteral("line %1").arg(i), true);
        }
        shop.view.scan = QStringLiteral("ZT99999");
        shop.ship();
        const QStringList lines = shop.report.log().lines();
        QCOMPARE(lines.size(), 51);
        QCOMPARE(lines.constFirst(), QString());
        QVERIFY(lines.at(1).endsWith(QStringLiteral("不存在!")));
        QCOMPARE(lines.at(2), QStringLiteral("line 53"));
        QCOMPARE(lines.constLast(), QStringLiteral("line 5"));
    }

    // Closed before the scan, lost while the question is open, back at the next scan.
    void lostConnection()
    {
        StationShop shop;
        setAlarm(shop, true, {1000, 3000, -50, 0, 10});
        shop.demo.stores().orderDb().db().close();
        shop.prompter.onAsk = [&](const QString&) { shop.demo.stores().orderDb().db().close(); };
        QCOMPARE(shop.ship(), ShipOutcome::Refused);
        QCOMPARE(shop.prompter.questions.size(), 1);
        QCOMPARE(shop.lines().constFirst(), QStringLiteral(" : ZT90001 : 订单数据库连接已断开,请重新扫描!"));
        QCOMPARE(shop.sounds.played.constLast(), QStringLiteral("False.wav"));
        QVERIFY(shop.prompter.messages.isEmpty());
        QVERIFY(shop.demo.stores().orderDb().connectionLost());

        shop.prompter.onAsk = {};
        QCOMPARE(shop.ship(), ShipOutcome::Shipped);
        QCOMPARE(shop.tradeColumn("TradeStatus").toInt(), 8);
    }
};

QTEST_GUILESS_MAIN(TestShipProcedure)
#include "TestShipProcedure.moc"
