// What the ship procedure must not write: values G_TradeOver would refuse, and a trade another
// station closed while this one was still at it.
#include "StationShop.h"

namespace {

// The test parcel, 152 g above its goods, is abnormal: at most 100 g are allowed, so the station asks
// "是否发货?" between reading the trade and writing to it.
void askBeforeWriting(StationShop& shop)
{
    shop.login("delete from AlarmSet");
    shop.login("insert into AlarmSet (WeightFrom, WeightTo, NormalFrom, NormalTo, NormalPercent) values (0, "
               "100000, -50, 100, 10)");
    shop.login("update Initialization set CheckAlarm = 1, RbAlarmRang = 1, RbAlarmPercent = 0");
}

} // namespace

class TestShipGuards : public QObject
{
    Q_OBJECT

private slots:
    // Weights and postage G_TradeOver refuses are refused before the stock is taken out or the picker
    // written, with the procedure's own words.
    void refusedValuesWriteNothing_data()
    {
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("typedPostage"); // empty: computed from the rule
        QTest::addColumn<double>("firstFee");
        QTest::addColumn<bool>("stockedOut");
        QTest::addColumn<QString>("message");
        QTest::newRow("negative weight, stock still in") << QStringLiteral("-0.5") << QStringLiteral("8")
                                                         << 8.0 << false << QStringLiteral("包裹重量错误");
        QTest::newRow("one gram below zero, stock out") << QStringLiteral("-0.001") << QStringLiteral("8")
                                                        << 8.0 << true << QStringLiteral("包裹重量错误");
        QTest::newRow("rule with a negative fee")
            << QStringLiteral("1.25") << QString() << -5.0 << false << QStringLiteral("邮资错误");
    }
    void refusedValuesWriteNothing()
    {
        QFETCH(QString, weight);
        QFETCH(QString, typedPostage);
        QFETCH(double, firstFee);
        QFETCH(bool, stockedOut);
        QFETCH(QString, message);
        StationShop shop;
        shop.postage(QStringLiteral("delete from rule"));
        shop.addRule(0, 30000, 1000, firstFee, 1000, 4);
        shop.order("update G_Trade_TradeList set bStockOut = ? where TradeID = ?",
                   {stockedOut ? 1 : 0, StationShop::kTradeId});
        shop.view.weight = weight;
        shop.view.manualPostage = !typedPostage.isEmpty();
        shop.view.postage = typedPostage;
        const QString before = shop.fingerprint();

        QCOMPARE(shop.ship(), ShipOutcome::Refused);
        QCOMPARE(shop.prompter.messages, QStringList{message});
        QCOMPARE(shop.sounds.played.constLast(), QStringLiteral("False.wav"));
        QVERIFY(!shop.lines().join(QLatin1Char('|')).contains(QStringLiteral("发货成功")));
        QCOMPARE(shop.fingerprint(), before);
    }

    // Another station ships the trade while this one waits on its question: this one then writes
    // nothing on the trade, and says so as for any trade that is no longer waiting.
    void tradeClosedMeanwhile_data()
    {
        QTest::addColumn<bool>("stockedOut");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("lastLine");
        QTest::newRow("stock already out")
            << true << QStringList{} << QStringLiteral(" : ZT90001 : 订单状态错误!");
        QTest::newRow("stock still in") << false << QStringList{QStringLiteral("订单状态错误")} << QString();
    }
    void tradeClosedMeanwhile()
    {
        QFETCH(bool, stockedOut);
        QFETCH(QStringList, messages);
        QFETCH(QString, lastLine);
        StationShop shop;
        askBeforeWriting(shop);
        shop.order("update G_Trade_TradeList set bStockOut = ? where TradeID = ?",
                   {stockedOut ? 1 : 0, StationShop::kTradeId});
        QString closed;
        shop.prompter.onAsk = [&shop, &closed](const QString& question) {
            if (question == QStringLiteral("是否发货?")) {
                shop.order("update G_Trade_TradeList set TradeStatus = 8, bStockOut = 1, Picker = '王强', "
                           "GoodsWeight = 999, SndOperator = 'admin' where TradeID = ?",
                           {StationShop::kTradeId});
                closed = shop.fingerprint();
            }
        };

        const ShipOutcome outcome = shop.ship();
        QCOMPARE(outcome, ShipOutcome::Refused);
        QVERIFY(!closed.isEmpty());
        QCOMPARE(shop.fingerprint(), closed);
        QCOMPARE(shop.tradeColumn("Picker").toString(), QStringLiteral("王强"));
        QCOMPARE(shop.prompter.messages, messages);
        if (!lastLine.isEmpty()) {
            QCOMPARE(shop.lines().constFirst(), lastLine);
            QCOMPARE(shop.view.lastWeight, QStringLiteral(" "));
            QCOMPARE(shop.sounds.played.constLast(), QStringLiteral("False.wav"));
        }
    }
};

QTEST_GUILESS_MAIN(TestShipGuards)
#include "TestShipGuards.moc"
