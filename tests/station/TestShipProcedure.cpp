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

    // The shared shop as a fresh one starts a run: options, scan tab and what was said before.
    StationShop& shared()
    {
        if (!m_shop) {
            m_shop = std::make_unique<StationShop>();
            // Shipped, with remarks that a wildcard would find.
            m_shop->addTrade(90002, QStringLiteral("ZT90002"), QStringLiteral("T90002"), 8,
                             QStringLiteral("附加单号ZT90001;附加单号AAA"));
        }
        StationShop& shop = *m_shop;
        shop.login("update Initialization set MultiPostID = 0, CheckAlarm = 0, CheckSum = 1");
        shop.order("update G_Cfg_Sys set CfgValue = '0' where RecID = 54");
        shop.order("update G_Stock_Spec set Stock = 100 where GoodsID = 7 and SpecID = 0");
        // A run that wrongly shipped must not fail the rows after it too.
        shop.order("update G_Trade_TradeList set Province = '江苏省', TradeStatus = 5, bStockOut = 0, "
                   "GoodsWeight = 0 where TradeID = 90001");
        shop.forget();
        shop.prompter.defaultAnswer = true;
        shop.view.weight = QStringLiteral("1.250");
        shop.view.scan = StationShop::kWaybill;
        shop.view.tradeNumber = shop.view.weighOnly = shop.view.manualPostage = false;
        shop.view.postage.clear();
        return shop;
    }

private slots:
    void cleanShip()
    {
        StationShop shop;
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

        // Two mugs, a T-shirt, three clips of 12.5 g and the small box: E keeps its half gram.
        QCOMPARE(
            shop.tradeColumn("TradeStatus, bStockOut, PackagedWeight, Postage, Packer, PackageName, Picker, "
                             "GoodsWeight")
                .toString(),
            QStringLiteral("8|1|1250|12.0|张建国|小号纸箱|李秀兰|1097.5"));

        QCOMPARE(shop.view.lastWeight, QStringLiteral("1.250KG/12元"));
        QCOMPARE(shop.view.difference, QStringLiteral("0.152"));
        QCOMPARE(shop.view.summaryLines.size(), 5);
        QCOMPARE(shop.view.summaryLines.at(0),
                 QStringLiteral(
                     "收件信息：林晓(lin_1990), 江苏省, 南京市, 玄武区, 中山路1号, 13900000000, T90001"));
        QCOMPARE(shop.view.summaryLines.at(2), QStringLiteral("客户备注：请尽快发货"));
        QStringList goodsRows;
        for (const QStringList& row : shop.view.goodsRows) {
            goodsRows << row.join(QLatin1Char('|'));
        }
        QCOMPARE(goodsRows, QStringList({QStringLiteral("陶瓷马克杯|350ml|2个|380"),
                                         QStringLiteral("纯棉圆领T恤|黑色 M|1件|180"),
                                         QStringLiteral("珍珠发夹|单个装|3个|12.5")}));
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
        QCOMPARE(shop.tradeColumn("GoodsWeight, PackagedWeight, Postage, Picker, Packer").toString(),
                 QStringLiteral("0|29999|8.5|operator|operator"));
        QCOMPARE(shop.view.postage, QStringLiteral("8.5"));
        QCOMPARE(shop.value("select group_concat(Stock) from G_Stock_Spec").toString(), stock);
    }

    // Runs that stop before anything is written: on what the scan tab holds (the input checks,
    // numbers no trade has, as scans are values and never statement text, weighing only), or on
    // what the trade or the shop holds (a change to the order database, written before the run).
    void refusedWithoutWriting_data()
    {
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("scan");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        const auto row = [](const QString& name, const QString& weight, const QString& scan,
                            const char* setup, ShipOutcome outcome, const QString& line,
                            const char* message) {
            QTest::newRow(qPrintable(name)) << weight << scan << QString::fromUtf8(setup) << int(outcome)
                                            << line << QString::fromUtf8(message);
        };
        const QString waybill = StationShop::kWaybill;
        const QString w = QStringLiteral("1.250");
        const ShipOutcome refused = ShipOutcome::Refused;
        row("empty weight", QString(), waybill, "", refused, QStringLiteral(" :  : 重量值错误!"), "");
        row("scale not connected", QStringLiteral("电子秤未连接"), waybill, "", refused,
            QStringLiteral(" : 请输入重量值!"), "");
        row("decoder warning", QStringLiteral("警告：重量为负!"), waybill, "", refused, QString(),
            "重量值类型错误!");
        row("letters", QStringLiteral("1.2A"), waybill, "", refused, QString(), "重量值类型错误!");
        row("range reached", QStringLiteral("30.000"), waybill, "", refused, QString(), "超过电子秤量程!");
        row("empty scan", w, QString(), "", refused, QStringLiteral(" :  : 请输入单号!"), "");
        row("postage typed empty", w, waybill, "manualPostage", refused, QString(), "请输入邮资!");
        row("weigh only", w, waybill, "weighOnly", ShipOutcome::WeighedOnly,
            QStringLiteral(" : ZT90001 : ") + kWeights + QStringLiteral("未发货!!"), "");
        row("waybill in trade-number mode", w, waybill, "tradeNumber", ShipOutcome::NotFound,
            QStringLiteral(" : ZT90001 : 不存在!"), "");
        row("barcode check pending", w, waybill, "update G_Cfg_Sys set CfgValue = '1' where RecID = 54",
            refused, QStringLiteral(" : ZT90001 : 未进行条码检验!"), "");
        row("stock short", w, waybill, "update G_Stock_Spec set Stock = 1 where GoodsID = 7 and SpecID = 0",
            refused, QString(), "库存不足:陶瓷马克杯 350ml");
        row("no postage rule", w, waybill,
            "update G_Trade_TradeList set Province = '浙江省' where TradeID = 90001", refused,
            QStringLiteral(" : 未设置青禾快递1.250KG浙江省地区的邮资规则!"), "");
        for (const QString& scan :
             {QStringLiteral("ZT99999"), QStringLiteral("ZT90001' or '1'='1"), QStringLiteral("ZT9000_"),
              QStringLiteral("ZT9000%"), QStringLiteral("[Z]T90001"), QString(1000, QLatin1Char('A'))}) {
            row(scan.left(20), w, scan, "", ShipOutcome::NotFound,
                QStringLiteral(" : %1 : 不存在!").arg(scan), "");
            row(QStringLiteral("several parcels: ") + scan.left(20), w, scan, "multiParcel",
                ShipOutcome::NotFound, QStringLiteral(" : 附加单号%1 : 不存在!").arg(scan), "");
        }
    }
    void refusedWithoutWriting()
    {
        QFETCH(QString, weight);
        QFETCH(QString, scan);
        QFETCH(QString, setup);
        QFETCH(int, outcome);
        QFETCH(QString, line);
        QFETCH(QString, message);
        StationShop& shop = shared();
        shop.login("update Initialization set MultiPostID = ?", {int(setup == QLatin1String("multiParcel"))});
        shop.view.tradeNumber = setup == QLatin1String("tradeNumber");
        shop.view.weighOnly = setup == QLatin1String("weighOnly");
        shop.view.manualPostage = setup == QLatin1String("manualPostage");
        if (setup.startsWith(QLatin1String("update"))) {
            shop.order(setup.toUtf8().constData());
        }
        shop.view.weight = weight;
        shop.view.scan = scan;
        const QString before = shop.fingerprint();

        QCOMPARE(int(shop.ship()), outcome);
        QCOMPARE(shop.lines(), line.isEmpty() ? QStringList() : QStringList{line});
        QCOMPARE(shop.sounds.played,
                 line.isEmpty() ? QStringList() : QStringList{QStringLiteral("False.wav")});
        QCOMPARE(shop.prompter.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(shop.fingerprint(), before);
        if (line.contains(QStringLiteral("邮资规则"))) {
            QCOMPARE(shop.view.postage, QStringLiteral("未设置邮资规则!"));
        }
    }

    // Weighing only, so that no run writes: the check passes, or stops the run with its line.
    void alarm_data()
    {
        QTest::addColumn<bool>("checkSum");
        QTest::addColumn<int>("bracketFrom");
        QTest::addColumn<bool>("rangeMode");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("outcome");
        const auto row = [](const char* name, bool checkSum, int from, bool rangeMode, const char* weight,
                            bool answer, const char* question, ShipOutcome outcome) {
            QTest::newRow(name) << checkSum << from << rangeMode << QString::fromLatin1(weight) << answer
                                << QString::fromUtf8(question) << int(outcome);
        };
        const char* abnormal = "是否发货?";
        const ShipOutcome pass = ShipOutcome::WeighedOnly;
        const ShipOutcome stop = ShipOutcome::Abnormal;
        // E = 1097.5 g, D = W − E truncated toward zero. Range −50 … 100 g, both ends included.
        row("range lower bound", true, 1000, true, "1.047", false, "", pass);    // D = -50
        row("range below", true, 1000, true, "1.046", false, abnormal, stop);    // D = -51
        row("range upper bound", true, 1000, true, "1.198", false, "", pass);    // D = 100
        row("range above, OK", true, 1000, true, "1.199", true, abnormal, pass); // D = 101
        row("range above, Cancel", true, 1000, true, "1.199", false, abnormal, stop);
        // 10 %: 0 <= D <= 109.75 g.
        row("percent limit", true, 1000, false, "1.207", false, "", pass);               // D = 109
        row("percent above", true, 1000, false, "1.208", false, abnormal, stop);         // D = 110
        row("percent half a gram lighter", true, 1000, false, "1.097", false, "", pass); // D = 0
        row("percent lighter", true, 1000, false, "1.096", false, abnormal, stop);       // D = -1
        row("percent lighter, OK", true, 1000, false, "1.096", true, abnormal, pass);
        // Without CheckSum, E is the trade's goods weight: 0. Only a bracket that starts at 0 holds it.
        const char* unbracketed = "报警设置未包括含此重量是否发货?";
        row("bracket from 0", false, 0, true, "0.080", false, "", pass);
        row("no bracket, OK", false, 1, true, "0.080", true, unbracketed, pass);
        row("no bracket, Cancel", false, 1, true, "0.080", false, unbracketed, ShipOutcome::Refused);
    }
    void alarm()
    {
        QFETCH(bool, checkSum);
        QFETCH(int, bracketFrom);
        QFETCH(bool, rangeMode);
        QFETCH(QString, weight);
        QFETCH(bool, answer);
        QFETCH(QString, question);
        QFETCH(int, outcome);
        StationShop& shop = shared();
        shop.login("update Initialization set CheckSum = ?", {int(checkSum)});
        setAlarm(shop, rangeMode, {bracketFrom, 3000, -50, 100, 10});
        shop.view.weighOnly = true;
        shop.view.weight = weight;
        shop.prompter.defaultAnswer = answer;
        const QString before = shop.fingerprint();

        QCOMPARE(int(shop.ship()), outcome);
        QCOMPARE(shop.prompter.questions, question.isEmpty() ? QStringList() : QStringList{question});
        const QStringList lines = shop.lines();
        QCOMPARE(lines.constFirst().endsWith(QStringLiteral("邮资为:0元,未发货!")),
                 outcome != int(ShipOutcome::WeighedOnly));
        const bool abnormal = question == QStringLiteral("是否发货?");
        QCOMPARE(lines.constLast().endsWith(QStringLiteral("重量异常!")), abnormal);
        QCOMPARE(shop.sounds.played.constFirst(),
                 abnormal ? QStringLiteral("Abnormal.wav") : QStringLiteral("False.wav"));
        QCOMPARE(shop.fingerprint(), before);
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

    // A log grown past its 50 lines is cut back to them before the run adds its own.
    void logTrim()
    {
        StationShop& shop = shared();
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

    // Closed before the scan and opened again by it; gone for good while the question is open, so
    // that opening it again fails too; back at the next scan.
    void lostConnection()
    {
        StationShop shop;
        setAlarm(shop, true, {1000, 3000, -50, 0, 10});
        OrderDatabase& orderDb = shop.demo.stores().orderDb();
        const QString file =
            OrderDatabase::embeddedPath(shop.demo.session->context().server, shop.demo.folder.path());
        orderDb.db().close();
        shop.prompter.onAsk = [&](const QString&) {
            orderDb.db().close();
            QVERIFY(QFile::rename(file, file + QStringLiteral(".away")));
        };
        QCOMPARE(shop.ship(), ShipOutcome::Refused);
        QCOMPARE(shop.prompter.questions.size(), 1);
        QCOMPARE(shop.lines().constFirst(), QStringLiteral(" : ZT90001 : 订单数据库连接已断开,请重新扫描!"));
        QCOMPARE(shop.sounds.played.constLast(), QStringLiteral("False.wav"));
        QVERIFY(shop.prompter.messages.isEmpty());
        QVERIFY(shop.demo.stores().orderDb().connectionLost());

        shop.prompter.onAsk = {};
        QVERIFY(QFile::rename(file + QStringLiteral(".away"), file));
        QCOMPARE(shop.ship(), ShipOutcome::Shipped);
        QCOMPARE(shop.tradeColumn("TradeStatus").toInt(), 8);
    }
};

QTEST_GUILESS_MAIN(TestShipProcedure)
#include "TestShipProcedure.moc"
