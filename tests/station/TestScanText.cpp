// Scans with characters no label shows, and texts printed to a terminal.
#include "StationShop.h"

#include "station/ScanText.h"

class TestScanText : public QObject
{
    Q_OBJECT

private slots:
    void cleanedAndPrintable_data()
    {
        QTest::addColumn<bool>("printed"); // false: as a scan is cleaned; true: as a terminal shows it
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("plain scan") << false << QStringLiteral("YT123") << QStringLiteral("YT123");
        QTest::newRow("scan with byte-order mark") << false << QStringLiteral("\uFEFFYT123") << QStringLiteral("YT123");
        QTest::newRow("zero-width and direction marks") << false << QStringLiteral("Y\u200BT\u200E12\u202E3\u2060") << QStringLiteral("YT123");
        QTest::newRow("scan with escape sequence") << false << QStringLiteral("\u0002YT\u001B[2J123\u0007\r\n") << QStringLiteral("YT[2J123");
        QTest::newRow("tag character beyond the basic plane") << false << QStringLiteral("YT123\U000E0041") << QStringLiteral("YT123");
        QTest::newRow("blanks at the ends, inner ones kept") << false << QStringLiteral("\u3000 交易 1 ") << QStringLiteral("交易 1");
        QTest::newRow("nothing visible") << false << QStringLiteral("\uFEFF\t") << QString();
        QTest::newRow("plain line") << true << QStringLiteral("12:00:00 : YT1 : 不存在!") << QStringLiteral("12:00:00 : YT1 : 不存在!");
        QTest::newRow("escape, bell, line end") << true << QStringLiteral("YT\u001B[2J\u0007\r\n") << QStringLiteral("YT\\x1B[2J\\x07\\x0D\\x0A");
        QTest::newRow("printed byte-order mark") << true << QStringLiteral("\uFEFFYT") << QStringLiteral("\\uFEFFYT");
        QTest::newRow("printed beyond the basic plane") << true << QStringLiteral("\U000E0041😀") << QStringLiteral("\\u0E0041😀");
        // clang-format on
    }
    void cleanedAndPrintable()
    {
        QFETCH(bool, printed);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(printed ? ScanText::printable(text) : ScanText::cleaned(text), expected);
    }

    void scanWithByteOrderMarkShipsUnderItsNumber()
    {
        StationShop shop;
        shop.view.scan = QStringLiteral("\uFEFF") + StationShop::kWaybill + QStringLiteral("\r");
        QCOMPARE(shop.ship(), ShipOutcome::Shipped);
        QCOMPARE(shop.lines().size(), 1);
        QVERIFY(shop.lines().constFirst().startsWith(QStringLiteral(" : ZT90001 : 商品:")));
        QCOMPARE(shop.tradeColumn("TradeStatus").toInt(), 8);
    }
};

QTEST_GUILESS_MAIN(TestScanText)
#include "TestScanText.moc"
