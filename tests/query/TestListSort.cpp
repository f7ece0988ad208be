// The result list's sort: how each kind of column compares, and each column's own direction.
#include "query/ListSort.h"

#include <QtTest>

class TestListSort : public QObject
{
    Q_OBJECT

private slots:
    void compare_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("serial by value") << 0 << "9"
                                         << "10" << -1;
        QTest::newRow("sum row serial counts as 0") << 0 << "合计"
                                                    << "1" << -1;
        QTest::newRow("empty serial counts as 0") << 0 << ""
                                                  << "0" << 0;
        QTest::newRow("trade ID by value") << 1 << "100"
                                           << "99" << 1;
        QTest::newRow("customer ID equal") << 10 << "990001"
                                           << "990001" << 0;
        QTest::newRow("weight blank counts as 0") << 17 << " "
                                                  << "0" << 0;
        QTest::newRow("weight sum above the rows") << 18 << "6225"
                                                   << "149" << 1;
        QTest::newRow("difference with decimals") << 19 << "87.5"
                                                  << "87" << 1;
        QTest::newRow("negative difference") << 19 << "-20"
                                             << "5" << -1;
        QTest::newRow("postage decimals by value") << 20 << "12.5"
                                                   << "9" << 1;
        QTest::newRow("postage decimals, close") << 20 << "8.25"
                                                 << "8.3" << -1;
        QTest::newRow("same day at other times") << 6 << "2031-03-10 08:00:00"
                                                 << "2031-03-10 23:59:59" << 0;
        QTest::newRow("days in order") << 6 << "2031-03-09 23:59:59"
                                       << "2031-03-10 00:00:00" << -1;
        QTest::newRow("blank date after every day") << 6 << " "
                                                    << "2099-12-31 00:00:00" << 1;
        QTest::newRow("text case-insensitive") << 2 << "t-abc"
                                               << "T-ABC" << 0;
        QTest::newRow("text in order") << 2 << "T-ABC-002"
                                       << "t-abc-010" << -1;
        QTest::newRow("telephone as text") << 22 << "9"
                                           << "10" << 1;
    }

    void compare()
    {
        QFETCH(int, column);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        const int result = ListSort::compare(column, a, b);
        QCOMPARE((result > 0) - (result < 0), order);
        const int reversed = ListSort::compare(column, b, a);
        QCOMPARE((reversed > 0) - (reversed < 0), -order);
    }

    void eachColumnTurnsItsOwnDirection()
    {
        ListSort::Directions directions;
        QCOMPARE(directions.click(1), false);
        QCOMPARE(directions.click(1), true);
        QCOMPARE(directions.click(20), false);
        QCOMPARE(directions.click(1), false);
        QCOMPARE(directions.click(20), true);
        QCOMPARE(directions.click(22), false);
    }
};

QTEST_GUILESS_MAIN(TestListSort)
#include "TestListSort.moc"
