// What the ship procedure must not write: values G_TradeOver would refuse, and a trade another
// station closed while this one was still at it.
#include "StationShop.h"

class TestShipGuards : public QObject
{
    Q_OBJECT

private slots:
    void refusedShipWritesNothing_data()
    {
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("typedPostage"); // empty: computed from the rule
        QTest::addColumn<double>("firstFee");
        QTest::addColumn<bool>("stockedOut");
        QTest::addColumn<bool>("closedMeanwhile"); // another station ships it during the question
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("line"); // empty: not checked
        // Weights and postage G_TradeOver refuses are refused before the stock is taken out or the
        // picker written, with the procedure's own words.
        // clang-format off
        QTest::newRow("negative weight, stock still in") << "-0.5" << "8" << 8.0 << false << false << QStringList{"包裹重量错误"} << "";
        QTest::newRow("one gram below zero, stock out") << "-0.001" << "8" << 8.0 << true << false << QStringList{"包裹重量错误"} << "";
        QTest::newRow("rule with a negative fee") << "1.25" << "" << -5.0 << false << false << QStringList{"邮资错误"} << "";
        // A trade closed meanwhile is refused as any trade no longer waiting.
        QTest::newRow("closed meanwhile, stock out") << "1.25" << "" << 8.0 << true << true << QStringList{} << " : ZT90001 : 订单状态错误!";
        QTest::newRow("closed meanwhile, stock in") << "1.25" << "" << 8.0 << false << true << QStringList{"订单状态错误"} << "";
        // clang-format on
    }
    void refusedShipWritesNothing()
    {
        QFETCH(QString, weight);
        QFETCH(QString, typedPostage);
        QFETCH(double, firstFee);
        QFETCH(bool, stockedOut);
        QFETCH(bool, closedMeanwhile);
        QFETCH(QStringList, messages);
        QFETCH(QString, line);
        StationShop shop;
        shop.postage(QStringLiteral("delete from rule"));
        shop.addRule(0, 30000, 1000, firstFee, 1000, 4);
        shop.order("update G_Trade_TradeList set bStockOut = ? where TradeID = ?",
                   {stockedOut ? 1 : 0, StationShop::kTradeId});
        shop.view.weight = weight;
        shop.view.manualPostage = !typedPostage.isEmpty();
        shop.view.postage = typedPostage;
        QString expected = shop.fingerprint();
        if (closedMeanwhile) {
            // The test parcel, 152 g above its goods, is abnormal at 100 g at most: the station asks
            // "是否发货?" between reading the trade and writing to it.
            shop.login("delete from AlarmSet");
            shop.login("insert into AlarmSet (WeightFrom, WeightTo, NormalFrom, NormalTo, NormalPercent) "
                       "values (0, 100000, -50, 100, 10)");
            shop.login("update Initialization set CheckAlarm = 1, RbAlarmRang = 1, RbAlarmPercent = 0");
            expected.clear();
            shop.prompter.onAsk = [&shop, &expected](const QString& question) {
                if (question == QStringLiteral("是否发货?")) {
                    shop.order("update G_Trade_TradeList set TradeStatus = 8, bStockOut = 1, Picker = "
                               "'王强', GoodsWeight = 999, SndOperator = 'admin' where TradeID = ?",
                               {StationShop::kTradeId});
                    expected = shop.fingerprint();
                }
            };
        }

        QCOMPARE(shop.ship(), ShipOutcome::Refused);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(shop.fingerprint(), expected);
        QCOMPARE(shop.prompter.messages, messages);
        if (!closedMeanwhile || !line.isEmpty()) {
            QCOMPARE(shop.sounds.played.constLast(), QStringLiteral("False.wav"));
        }
        QVERIFY(!shop.lines().join(QLatin1Char('|')).contains(QStringLiteral("发货成功")));
        if (!line.isEmpty()) {
            QCOMPARE(shop.lines().constFirst(), line);
            QCOMPARE(shop.view.lastWeight, QStringLiteral(" "));
        }
    }
};

QTEST_GUILESS_MAIN(TestShipGuards)
#include "TestShipGuards.moc"
