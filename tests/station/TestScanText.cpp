// Scans with characters no label shows, and texts printed to a terminal.
#include "StationShop.h"

#include "station/ScanText.h"

class TestScanText : public QObject
{
    Q_OBJECT

private slots:
    void cleaned_data();
    void cleaned();
    void printable_data();
    void printable();
    void scanWithByteOrderMarkShipsUnderItsNumber();
};

void TestScanText::cleaned_data()
{
    QTest::addColumn<QString>("scan");
    QTest::addColumn<QString>("clean");
    QTest::newRow("plain") << "YT123"
                           << "YT123";
    QTest::newRow("byte-order mark") << QStringLiteral("\uFEFFYT123") << "YT123";
    QTest::newRow("zero-width and direction marks")
        << QStringLiteral("Y\u200BT\u200E12\u202E3\u2060") << "YT123";
    QTest::newRow("scanner prefix and suffix") << QStringLiteral("\u0002YT123\r\n") << "YT123";
    QTest::newRow("escape sequence") << QStringLiteral("YT\u001B[2J123\u0007") << "YT[2J123";
    QTest::newRow("tag character beyond the basic plane") << QStringLiteral("YT123\U000E0041") << "YT123";
    QTest::newRow("blanks at the ends, inner ones kept") << QStringLiteral("\u3000 交易 1 ") << "交易 1";
    QTest::newRow("nothing visible") << QStringLiteral("\uFEFF\t") << "";
}

void TestScanText::cleaned()
{
    QFETCH(QString, scan);
    QFETCH(QString, clean);
    QCOMPARE(ScanText::cleaned(scan), clean);
}

void TestScanText::printable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << "12:00:00 : YT1 : 不存在!"
                           << "12:00:00 : YT1 : 不存在!";
    QTest::newRow("escape and bell") << QStringLiteral("YT\u001B[2J\u0007") << "YT\\x1B[2J\\x07";
    QTest::newRow("line end inside") << QStringLiteral("a\r\nb") << "a\\x0D\\x0Ab";
    QTest::newRow("byte-order mark") << QStringLiteral("\uFEFFYT") << "\\uFEFFYT";
    QTest::newRow("beyond the basic plane") << QStringLiteral("\U000E0041😀") << "\\u0E0041😀";
}

void TestScanText::printable()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(ScanText::printable(text), shown);
}

void TestScanText::scanWithByteOrderMarkShipsUnderItsNumber()
{
    StationShop shop;
    shop.view.scan = QStringLiteral("\uFEFF") + StationShop::kWaybill + QStringLiteral("\r");
    QCOMPARE(shop.ship(), ShipOutcome::Shipped);
    QCOMPARE(shop.lines().size(), 1);
    QVERIFY2(shop.lines().constFirst().startsWith(QStringLiteral(" : ZT90001 : 商品:")),
             qPrintable(ScanText::printable(shop.lines().constFirst())));
    QCOMPARE(shop.tradeColumn("TradeStatus").toInt(), 8);
}

QTEST_GUILESS_MAIN(TestScanText)
#include "TestScanText.moc"
