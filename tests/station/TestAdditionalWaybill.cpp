// Further parcels of a shipped trade, scanned by the numbers in its remark.
#include "StationShop.h"

#include "station/WaybillRemark.h"

namespace {

constexpr int kShipped = 90002;

// The trade 90002 of the tests: shipped, 1500 g and 12 yuan so far, further numbers in its remark.
void addShippedTrade(StationShop& shop, const QString& remark)
{
    shop.addTrade(kShipped, QStringLiteral("ZT90002"), QStringLiteral("T90002"), 8, remark, 1500, 12);
    shop.login("update Initialization set MultiPostID = 1");
}

} // namespace

class TestAdditionalWaybill : public QObject
{
    Q_OBJECT

    // Shared by the refused scans, each of which checks that it wrote nothing.
    std::unique_ptr<StationShop> m_shop;

private slots:
    void initTestCase()
    {
        m_shop = std::make_unique<StationShop>();
        addShippedTrade(*m_shop, QString());
        m_shop->login("update Initialization set ChkCalcWeightOnce = 1");
    }

    void remarkMentions_data()
    {
        QTest::addColumn<QString>("remark");
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("names");
        QTest::addColumn<bool>("shipped");
        QTest::addColumn<QString>("marked");
        const auto row = [](const char* name, const char* remark, const char* number, bool names,
                            bool shipped, const char* marked) {
            QTest::newRow(name) << QString::fromUtf8(remark) << QString::fromUtf8(number) << names << shipped
                                << QString::fromUtf8(marked);
        };
        row("longer number first", "附加单号YT12;附加单号YT1", "YT1", true, false,
            "附加单号YT12;附加单号YT1#");
        row("only the longer one", "附加单号YT12;", "YT1", false, false, "附加单号YT12;");
        row("at the end", "分箱:附加单号YT1", "YT1", true, false, "分箱:附加单号YT1#");
        row("shipped", "附加单号YT1已发货(仅算1个首重，单票重量：1kg);", "YT1", true, true,
            "附加单号YT1已发货(仅算1个首重，单票重量：1kg);");
        row("longer one shipped", "附加单号YT12已发货(…);附加单号YT1", "YT1", true, false,
            "附加单号YT12已发货(…);附加单号YT1#");
        row("without the marker", "YT1", "YT1", false, false, "YT1");
        row("letters in either case", "附加单号yt1;", "YT1", true, false, "附加单号yt1#;");
        row("wildcards are characters", "附加单号AXY1;", "A%_1", false, false, "附加单号AXY1;");
    }
    void remarkMentions()
    {
        QFETCH(QString, remark);
        QFETCH(QString, number);
        QFETCH(bool, names);
        QFETCH(bool, shipped);
        QFETCH(QString, marked);
        QCOMPARE(WaybillRemark::names(remark, number), names);
        QCOMPARE(WaybillRemark::isShipped(remark, number), shipped);
        QCOMPARE(WaybillRemark::marked(remark, number, QStringLiteral("#")), marked);
    }

    // A trade with 1500 g and 12 yuan so far, a parcel of 0.8 kg; rule 8 yuan up to 1000 g and
    // 4 yuan per further 1000 g. The numbers hold the search's wildcards, found as characters.
    void bothModes_data()
    {
        QTest::addColumn<bool>("once");
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("postage");
        QTest::addColumn<QString>("note");
        QTest::newRow("one first weight")
            << true
            << QStringLiteral(
                   " : 附加单号Y%_1 : 单票重量：0.8kg，当前总重量2.3kg，当前总邮资为：16元,发货成功!")
            << 16.0 << QStringLiteral("已发货(仅算1个首重，单票重量：0.8kg)");
        QTest::newRow("separate first weights")
            << false
            << QStringLiteral(" : 附加单号Y%_1 : "
                              "单票重量：0.8kg，单票邮资：8元，当前总重量2.3kg，当前总邮资为：20元,发货成功!")
            << 20.0 << QStringLiteral("已发货(分别计算首重，单票重量：0.8kg，单票邮资：8元)");
    }
    void bothModes()
    {
        QFETCH(bool, once);
        QFETCH(QString, line);
        QFETCH(double, postage);
        QFETCH(QString, note);
        StationShop shop;
        addShippedTrade(shop, QStringLiteral("分箱:附加单号Y%_12;附加单号Y%_1;"));
        shop.login("update Initialization set ChkCalcWeightOnce = ?", {once ? 1 : 0});
        shop.view.weight = QStringLiteral("0.8");
        shop.view.scan = QStringLiteral("Y%_1");

        QCOMPARE(shop.ship(), ShipOutcome::Shipped);
        QCOMPARE(shop.prompter.questions, QStringList{QStringLiteral("是否扫描一票多件？")});
        QCOMPARE(shop.lines(), QStringList{line});
        QCOMPARE(shop.sounds.played, QStringList{QStringLiteral("True.wav")});
        QCOMPARE(shop.tradeColumn("PackagedWeight", kShipped).toInt(), 2300);
        QCOMPARE(shop.tradeColumn("Postage", kShipped).toDouble(), postage);
        QCOMPARE(shop.tradeColumn("Remark", kShipped).toString(),
                 QStringLiteral("分箱:附加单号Y%_12;附加单号Y%_1") + note + QLatin1Char(';'));
        QCOMPARE(shop.tradeColumn("TradeStatus", kShipped).toInt(), 8);
        QCOMPARE(shop.value("select Operator || '|' || LogDetail from G_Trade_Log where TradeID = ? order by "
                            "RecID desc limit 1",
                            {kShipped})
                     .toString(),
                 QStringLiteral("operator|附加单号Y%_1") + note);
        QCOMPARE(shop.view.summaryLines.size(), 5);

        // Scanned again: refused, nothing changes.
        const QString before = shop.fingerprint();
        QCOMPARE(shop.ship(), ShipOutcome::Refused);
        QCOMPARE(shop.lines().constFirst(), QStringLiteral(" : 附加单号Y%_1 : 已发货!"));
        QCOMPARE(shop.fingerprint(), before);

        // The longer number is still pending and marked on its own.
        shop.view.scan = QStringLiteral("Y%_12");
        QCOMPARE(shop.ship(), ShipOutcome::Shipped);
        QVERIFY(shop.tradeColumn("Remark", kShipped)
                    .toString()
                    .startsWith(QStringLiteral("分箱:附加单号Y%_12已发货(")));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("remark");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QStringList>("lines");
        const QString remark = QStringLiteral("附加单号YT1");
        const QString w = QStringLiteral("0.8");
        QTest::newRow("declined") << remark << 8 << false << w
                                  << QStringList{QStringLiteral(" : YT1 : 不存在!")};
        QTest::newRow("only a longer number") << QStringLiteral("附加单号YT12") << 8 << true << w
                                              << QStringList{QStringLiteral(" : 附加单号YT1 : 不存在!")};
        QTest::newRow("main parcel pending")
            << remark << 5 << true << w
            << QStringList{QStringLiteral(" : 请先处理主单号ZT90002（交易号T90002）!")};
        QTest::newRow("status not searched")
            << remark << 2 << true << w << QStringList{QStringLiteral(" : 附加单号YT1 : 不存在!")};
        QTest::newRow("no weight") << remark << 8 << true << QStringLiteral("0")
                                   << QStringList{QStringLiteral(" : 附加单号YT1 : 重量值错误!")};
        // 31 kg in all, priced once, is beyond the only rule.
        QTest::newRow("no postage rule")
            << remark << 8 << true << QStringLiteral("29.5")
            << QStringList{QStringLiteral(" : 附加单号YT1 : 邮资计算错误!"),
                           QStringLiteral(" : 未设置青禾快递29.5KG江苏省地区的邮资规则!")};
    }
    void refusals()
    {
        QFETCH(QString, remark);
        QFETCH(int, status);
        QFETCH(bool, answer);
        QFETCH(QString, weight);
        QFETCH(QStringList, lines);
        StationShop& shop = *m_shop;
        shop.forget();
        shop.order("update G_Trade_TradeList set Remark = ?, TradeStatus = ? where TradeID = ?",
                   {remark, status, kShipped});
        shop.prompter.defaultAnswer = answer;
        shop.view.scan = QStringLiteral("YT1");
        shop.view.weight = weight;
        shop.view.postage.clear();
        const QString before = shop.fingerprint();
        QVERIFY(!wasShipped(shop.ship()));
        QCOMPARE(shop.lines(), lines);
        QCOMPARE(shop.sounds.played.constLast(), QStringLiteral("False.wav"));
        QCOMPARE(shop.fingerprint(), before);
        QCOMPARE(shop.view.postage, lines.size() > 1 ? QStringLiteral("未设置邮资规则!") : QString());
    }
};

QTEST_GUILESS_MAIN(TestAdditionalWaybill)
#include "TestAdditionalWaybill.moc"
