// zelvo-station run as a program on a data folder of its own.
#include "TempDataFolder.h"
#include "ToolRun.h"

#include "store/SqlConnection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

namespace {

using Run = ToolRun;

Run runStation(const QStringList& arguments, const QByteArray& input = {})
{
    return ToolRun::run("zelvo-station", arguments, input);
}

// A station folder after its first start, and the demo shop inside it.
class ToolFixture
{
public:
    ToolFixture()
    {
        const Run first = runStation(login(), "1.5 NOPE\n");
        if (first.exitCode != 1 || first.lines.size() != 1 ||
            !first.lines.constFirst().endsWith(QStringLiteral(" : NOPE : 不存在!"))) {
            qFatal("first start: exit %d, %s %s", first.exitCode,
                   qPrintable(first.lines.join(QLatin1Char('|'))), qPrintable(first.errors));
        }
        QString error;
        if (!openSqliteFile(m_order, folder.file(QStringLiteral("zelvo-demo.db")), &error) ||
            !openSqliteFile(m_login, folder.file(QStringLiteral("login.db")), &error)) {
            qFatal("%s", qPrintable(error));
        }
    }

    QStringList login(const QStringList& more = {}) const
    {
        return QStringList{QStringLiteral("--data-dir"), folder.path(),
                           QStringLiteral("--user"),     QStringLiteral("operator"),
                           QStringLiteral("--password"), QStringLiteral("1234")} +
               more;
    }
    Run run(const QStringList& more, const QByteArray& input = {}) const
    {
        return runStation(login(more), input);
    }

    // Waybill and trade numbers of trades that can be shipped: status 5 and every goods line in stock.
    QList<QPair<QString, QString>> readyTrades(int count)
    {
        QSqlQuery query = exec(m_order,
                               "select PostID, TradeNO from G_Trade_TradeList t where TradeStatus = 5 "
                               "and PostID is not null and not exists (select 1 from G_Trade_GoodsList l "
                               "left join G_Stock_Spec s on s.GoodsID = l.GoodsID and s.SpecID = l.SpecID "
                               "where l.TradeID = t.TradeID and ifnull(s.Stock, 0) < l.SellCount) order by "
                               "TradeID limit ?",
                               {count});
        QList<QPair<QString, QString>> trades;
        while (query.next()) {
            trades.append({query.value(0).toString(), query.value(1).toString()});
        }
        return trades;
    }

    QVariant trade(const QString& waybill, const char* column)
    {
        QSqlQuery query = exec(
            m_order, QByteArray("select ") + column + " from G_Trade_TradeList where PostID = ?", {waybill});
        return query.next() ? query.value(0) : QVariant();
    }

    void setting(const char* sql) { exec(m_login, sql, {}); }

    TempDataFolder folder;

private:
    static QSqlQuery exec(SqlConnection& connection, const QByteArray& sql, const QVariantList& values)
    {
        QSqlQuery query(connection.db());
        query.prepare(QString::fromUtf8(sql));
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        if (!query.exec()) {
            qFatal("%s", qPrintable(query.lastError().text()));
        }
        return query;
    }

    SqlConnection m_order{QStringLiteral("QSQLITE"), QStringLiteral("tool-test-order")};
    SqlConnection m_login{QStringLiteral("QSQLITE"), QStringLiteral("tool-test-login")};
};

} // namespace

class TestStationTool : public QObject
{
    Q_OBJECT

    // One station folder for all runs: each ships trades of its own or writes nothing.
    std::unique_ptr<ToolFixture> m_fixture;

    ToolFixture& fixture()
    {
        if (!m_fixture) {
            m_fixture = std::make_unique<ToolFixture>();
        }
        return *m_fixture;
    }

private slots:
    void initTestCase()
    {
        if (!QFileInfo(ToolRun::path("zelvo-station")).isExecutable()) {
            QSKIP("zelvo-station has not been built");
        }
    }

    void shipsFromArgumentsAndLines()
    {
        ToolFixture& f = fixture();
        const auto trades = f.readyTrades(4);
        QCOMPARE(trades.size(), 4);

        const Run one = f.run({QStringLiteral("1.2"), trades[0].first});
        QCOMPARE(one.exitCode, 0);
        QCOMPARE(one.lines.size(), 1);
        QVERIFY2(one.lines[0].contains(trades[0].first + QStringLiteral(" : 商品:")) &&
                     one.lines[0].contains(QStringLiteral("包裹:1.200kg")) &&
                     one.lines[0].endsWith(QStringLiteral("元,发货成功!")),
                 qPrintable(one.lines[0]));
        QCOMPARE(
            f.trade(trades[0].first, "TradeStatus || '|' || PackagedWeight || '|' || SndOperator").toString(),
            QStringLiteral("8|1200|operator"));

        // Lines on standard input, one parcel each, printed in order; one unknown number fails the run.
        const QByteArray input = QStringLiteral("2.5 %1\n\nNOT-A-WEIGHT %2\n0.9   UNKNOWN1\n")
                                     .arg(trades[1].first, trades[2].first)
                                     .toUtf8();
        const Run lines = f.run({}, input);
        QCOMPARE(lines.exitCode, 1);
        QCOMPARE(lines.lines.size(), 2);
        QVERIFY(lines.lines[0].contains(trades[1].first) &&
                lines.lines[0].endsWith(QStringLiteral("发货成功!")));
        QVERIFY(lines.lines[1].endsWith(QStringLiteral(" : UNKNOWN1 : 不存在!")));
        QVERIFY(lines.errors.contains(QStringLiteral("重量值类型错误!")));
        QCOMPARE(f.trade(trades[1].first, "PackagedWeight").toInt(), 2500);
        QCOMPARE(f.trade(trades[2].first, "TradeStatus").toInt(), 5);

        const Run typed = f.run({QStringLiteral("--trade-no"), QStringLiteral("--postage"),
                                 QStringLiteral("7.5"), QStringLiteral("0.6"), trades[3].second});
        QCOMPARE(typed.exitCode, 0);
        QVERIFY(typed.lines.constFirst().endsWith(QStringLiteral("邮资为：7.5元,发货成功!")));
        QCOMPARE(f.trade(trades[3].first, "Postage").toDouble(), 7.5);
    }

    // Options come from login.db as the scan tab reads them; questions get --answer.
    void optionsAndAnswers()
    {
        ToolFixture& f = fixture();
        const auto trades = f.readyTrades(3);
        QCOMPARE(trades.size(), 3);
        f.setting("update Initialization set check6 = 1");
        const Run weighOnly = f.run({QStringLiteral("1.2"), trades[0].first});
        QCOMPARE(weighOnly.exitCode, 1);
        QVERIFY(weighOnly.lines.constFirst().endsWith(QStringLiteral("未发货!!")));
        QCOMPARE(f.trade(trades[0].first, "TradeStatus").toInt(), 5);

        // Every parcel abnormal: no difference allowed at all and a weight far off.
        f.setting(
            "update Initialization set check6 = 0, CheckAlarm = 1, RbAlarmRang = 1, RbAlarmPercent = 0");
        f.setting("update AlarmSet set NormalFrom = 0, NormalTo = 0");
        const Run declined = f.run({QStringLiteral("25"), trades[1].first});
        QCOMPARE(declined.exitCode, 1);
        QVERIFY(declined.errors.contains(QStringLiteral("询问: 是否发货? → 取消")));
        QCOMPARE(declined.lines.size(), 2);
        QVERIFY(declined.lines.constFirst().endsWith(QStringLiteral("重量异常!")));
        QVERIFY(declined.lines.constLast().endsWith(QStringLiteral("邮资为:0元,未发货!")));

        const Run accepted =
            f.run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("25"), trades[2].first});
        QCOMPARE(accepted.exitCode, 0);
        QCOMPARE(f.trade(trades[2].first, "TradeStatus").toInt(), 8);
    }

    // Arguments after --data-dir; the program exits before any parcel.
    void refusesToStart_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("wrong password") << "--user operator --password nope" << 3;
        QTest::newRow("half a parcel") << "--user operator --password 1234 1.2" << 2;
        QTest::newRow("bad answer") << "--user operator --password 1234 --answer maybe" << 2;
        QTest::newRow("bad postage") << "--user operator --password 1234 --postage -3" << 2;
        QTest::newRow("no user") << "--password 1234" << 2;
    }
    void refusesToStart()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        const Run run = runStation(QStringList{QStringLiteral("--data-dir"), fixture().folder.path()} +
                                       arguments.split(QLatin1Char(' ')),
                                   "1.2 X\n");
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY(run.lines.isEmpty());
        QVERIFY(!run.errors.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestStationTool)
#include "TestStationTool.moc"
