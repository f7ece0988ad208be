#include "goods/UnitWeight.h"

#include <QtTest>

class TestUnitWeight : public QObject
{
    Q_OBJECT

private slots:
    void grams_data();
    void grams();
    void perArticle_data();
    void perArticle();
};

void TestUnitWeight::grams_data()
{
    QTest::addColumn<QString>("kilograms");
    QTest::addColumn<bool>("isWeight");
    QTest::addColumn<double>("grams");

    // Binary fractions times a thousand miss the gram: 0.285 * 1000 is 284.99999999999994.
    QTest::newRow("0.285") << "0.285" << true << 285.0;
    QTest::newRow("1.005") << "1.005" << true << 1005.0;
    QTest::newRow("typed gram fraction") << "0.5255" << true << 525.5;
    QTest::newRow("empty scale") << "0" << true << 0.0;
    QTest::newRow("blanks around") << " 1.5 " << true << 1500.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("not connected") << QString::fromUtf8("电子秤未连接") << false << 0.0;
    QTest::newRow("over range") << QString::fromUtf8("错误，重量已经超过量程!") << false << 0.0;
    QTest::newRow("negative") << "-0.2" << false << 0.0;
    QTest::newRow("infinite") << "inf" << false << 0.0;
    QTest::newRow("not a number") << "nan" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("decimal comma") << "1,5" << false << 0.0;
}

void TestUnitWeight::grams()
{
    QFETCH(QString, kilograms);
    QFETCH(bool, isWeight);
    QFETCH(double, grams);

    const auto result = UnitWeight::gramsOf(kilograms);
    QCOMPARE(result.has_value(), isWeight);
    if (isWeight) {
        QCOMPARE(*result, grams);
    }
}

void TestUnitWeight::perArticle_data()
{
    QTest::addColumn<double>("grams");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("share");

    QTest::newRow("cut, not rounded") << 500.0 << 3 << "166.6";
    QTest::newRow("a quotient just under a tenth") << 1000.0 << 7 << "142.8";
    // 500.1 / 3 is 166.69999999999999 in binary; the written number is 166.7.
    QTest::newRow("binary just below the decimal") << 500.1 << 3 << "166.7";
    QTest::newRow("whole") << 300.0 << 3 << "100";
    QTest::newRow("one decimal already") << 525.5 << 1 << "525.5";
    QTest::newRow("two decimals") << 525.75 << 1 << "525.7";
    // Far below a gram the number is still written plainly, never as 1.00001e-05.
    QTest::newRow("tiny share") << 1.0 << 99999 << "0.0";
    QTest::newRow("nothing on the scale") << 0.0 << 4 << "0";
}

void TestUnitWeight::perArticle()
{
    QFETCH(double, grams);
    QFETCH(int, count);
    QFETCH(QString, share);

    QCOMPARE(UnitWeight::perArticle(grams, count), share);
}

QTEST_GUILESS_MAIN(TestUnitWeight)
#include "TestUnitWeight.moc"
