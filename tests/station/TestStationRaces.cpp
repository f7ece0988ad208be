// Stations as separate zelvo-station processes on one embedded order database, scanning the same
// parcels at the same moment: each parcel ships once, each weight counts once, each shipped parcel
// has one log line, and a station that comes second writes nothing.
#include "TempDataFolder.h"

#include "store/SqlConnection.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {

// The whole of one test, the start of the stations included; the machine may be busy.
constexpr qint64 kTestLimitMs = 180000;

QString toolPath()
{
    return qEnvironmentVariable("ZELVO_TOOLS_DIR") + QStringLiteral("/zelvo-station");
}

struct User
{
    QString name;
    QString password;
};
const User kOperator{QStringLiteral("operator"), QStringLiteral("1234")};
const User kAdmin{QStringLiteral("admin"), QStringLiteral("admin")};

// One station reading parcels on standard input. Each parcel is followed by a number no trade
// knows; its "不存在!" line tells that the station is done with the parcel before it.
class StationProcess
{
public:
    StationProcess(const QString& dataDir, const User& user)
        : m_user(user.name)
    {
        m_process.start(toolPath(), {QStringLiteral("--data-dir"), dataDir, QStringLiteral("--user"),
                                     user.name, QStringLiteral("--password"), user.password,
                                     QStringLiteral("--answer"), QStringLiteral("yes")});
    }
    ~StationProcess()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    StationProcess(const StationProcess&) = delete;
    StationProcess& operator=(const StationProcess&) = delete;

    const QString& user() const { return m_user; }

    void send(const QString& weight, const QString& scan)
    {
        ++m_marks;
        m_process.write(QStringLiteral("%1 %2\n1 %3\n").arg(weight, scan, mark()).toUtf8());
        // Into the pipe now, not when this station is next waited on.
        m_process.waitForBytesWritten(5000);
    }

    // The log lines of the last parcel sent; false when the station did not get through it in time.
    bool settle(const QDeadlineTimer& deadline, QStringList* lines)
    {
        lines->clear();
        while (true) {
            m_output += m_process.readAllStandardOutput();
            m_errors += QString::fromUtf8(m_process.readAllStandardError());
            qsizetype end = 0;
            while ((end = m_output.indexOf('\n')) >= 0) {
                const QString line = QString::fromUtf8(m_output.left(end));
                m_output.remove(0, end + 1);
                if (line.contains(mark() + QStringLiteral(" : "))) {
                    return true;
                }
                lines->append(line);
            }
            if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning) {
                return false;
            }
            m_process.waitForReadyRead(int(std::clamp<qint64>(deadline.remainingTime(), 1, 1000)));
        }
    }

    // Message boxes the station showed (its questions left out).
    QStringList messages() const
    {
        QStringList boxes;
        for (const QString& line : m_errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (!line.startsWith(QStringLiteral("询问: "))) {
                boxes << line;
            }
        }
        return boxes;
    }
    QString errors() const { return m_errors; }

private:
    QString mark() const { return QStringLiteral("MARK%1").arg(m_marks); }

    QString m_user;
    QProcess m_process;
    QByteArray m_output;
    QString m_errors;
    int m_marks = 0;
};

// A station folder after its first start, the demo shop inside it, the options the races need.
class RaceFixture
{
public:
    RaceFixture()
    {
        QProcess first;
        first.start(toolPath(), {QStringLiteral("--data-dir"), folder.path(), QStringLiteral("--user"),
                                 kOperator.name, QStringLiteral("--password"), kOperator.password});
        first.write("1.5 NOPE\n");
        first.closeWriteChannel();
        if (!first.waitForFinished(120000) || first.exitCode() != 1) {
            qFatal("first start: %s", first.readAllStandardError().constData());
        }
        m_order = std::make_unique<SqlConnection>(QStringLiteral("QSQLITE"), QStringLiteral("race-order"));
        m_login = std::make_unique<SqlConnection>(QStringLiteral("QSQLITE"), QStringLiteral("race-login"));
        QString error;
        if (!openSqliteFile(*m_order, folder.file(QStringLiteral("zelvo-demo.db")), &error) ||
            !openSqliteFile(*m_login, folder.file(QStringLiteral("login.db")), &error)) {
            qFatal("%s", qPrintable(error));
        }
        // Staff boxes locked to the logged-in user, so the trade tells which station wrote it; no
        // weight alarm and no overweight warning, so every station's outcome is a log line.
        run(m_login->db(),
            "update Initialization set MultiPostID = 1, ChkCalcWeightOnce = 0, PickerCheck = 0, "
            "PackageOperatorCheck = 0, CheckAlarm = 0, ChkOverWeight = 0, check6 = 0");
    }

    static void run(QSqlDatabase db, const char* sql, const QVariantList& values = {})
    {
        QSqlQuery query(db);
        bool ok = query.prepare(QString::fromUtf8(sql));
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        ok = ok && query.exec();
        if (!ok) {
            qFatal("%s: %s", sql, qPrintable(query.lastError().text()));
        }
    }
    void order(const char* sql, const QVariantList& values = {}) { run(m_order->db(), sql, values); }

    QVariant value(const char* sql, const QVariantList& values = {})
    {
        QSqlQuery query(m_order->db());
        query.prepare(QString::fromUtf8(sql));
        for (const QVariant& v : values) {
            query.addBindValue(v);
        }
        if (!query.exec() || !query.next()) {
            qFatal("%s: %s", sql, qPrintable(query.lastError().text()));
        }
        return query.value(0);
    }

    // Waybill, trade key and goods weight of trades ready to ship with every goods line in stock.
    struct Ready
    {
        QString waybill;
        qint64 tradeId = 0;
        double goodsWeight = 0;
    };
    QList<Ready> readyTrades(int count)
    {
        QSqlQuery query(m_order->db());
        query.prepare(QStringLiteral(
            "select PostID, TradeID, GoodsWeight from G_Trade_TradeList t where TradeStatus = 5 and PostID "
            "is "
            "not null and not exists (select 1 from G_Trade_GoodsList l left join G_Stock_Spec s on "
            "s.GoodsID = l.GoodsID and s.SpecID = l.SpecID where l.TradeID = t.TradeID and "
            "ifnull(s.Stock, 0) < l.SellCount) order by TradeID limit ?"));
        query.addBindValue(count);
        QList<Ready> trades;
        if (query.exec()) {
            while (query.next()) {
                trades.append(
                    {query.value(0).toString(), query.value(1).toLongLong(), query.value(2).toDouble()});
            }
        }
        return trades;
    }

    TempDataFolder folder;

private:
    std::unique_ptr<SqlConnection> m_order;
    std::unique_ptr<SqlConnection> m_login;
};

// All stations get their parcel of a step at once, and the next step starts when every station is
// done with it: the stations meet on each parcel as closely as separate processes can.
bool lockstep(std::vector<std::unique_ptr<StationProcess>>& stations,
              const std::function<std::pair<QString, QString>(int station, int step)>& parcel, int steps,
              const QDeadlineTimer& deadline, QList<QList<QStringList>>* lines)
{
    lines->clear();
    for (int step = 0; step < steps; ++step) {
        for (std::size_t i = 0; i < stations.size(); ++i) {
            const auto [weight, scan] = parcel(int(i), step);
            stations[i]->send(weight, scan);
        }
        QList<QStringList> stepLines;
        for (const auto& station : stations) {
            QStringList said;
            if (!station->settle(deadline, &said)) {
                qWarning("station %s stuck at step %d: %s", qPrintable(station->user()), step,
                         qPrintable(station->errors()));
                return false;
            }
            stepLines.append(said);
        }
        lines->append(stepLines);
    }
    return true;
}

} // namespace

class TestStationRaces : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFileInfo(toolPath()).isExecutable()) {
            QSKIP("zelvo-station has not been built");
        }
    }

    // Four stations on the further parcels of shipped trades: two scan each number together, the
    // other two at the same moment scan another number of the same trade.
    void additionalWaybillsShipOnce()
    {
        QDeadlineTimer deadline(kTestLimitMs);
        RaceFixture f;
        constexpr int kTrades = 8;
        const QStringList suffixes{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
        QStringList numbers;
        QHash<QString, QString> weightOf;
        for (int t = 0; t < kTrades; ++t) {
            const int id = 95001 + t;
            QString remark = QStringLiteral("分箱发货:");
            for (const QString& suffix : suffixes) {
                const QString number = QStringLiteral("RA%1%2").arg(id).arg(suffix);
                remark += QStringLiteral("附加单号") + number + QLatin1Char(';');
                weightOf[number] = QString::number(0.3 + 0.011 * double(numbers.size()), 'f', 3);
                numbers << number;
            }
            // Shipped, its main parcel of 1000 g at 10 yuan, to the address and express company of a
            // trade of the demo shop that the station can price.
            f.order("insert into G_Trade_TradeList (TradeID, TradeNO, PostID, SndTo, TradeNick, Province, "
                    "City, Town, Adr, Tel, TradeStatus, bStockOut, Remark, GoodsWeight, PackagedWeight, "
                    "Postage, LogisticID) select ?, ?, ?, SndTo, TradeNick, Province, City, Town, Adr, Tel, "
                    "8, 1, ?, 900, 1000, 10, LogisticID from G_Trade_TradeList where TradeID = 1",
                    {id, QStringLiteral("T%1").arg(id), QStringLiteral("RM%1").arg(id), remark});
        }

        std::vector<std::unique_ptr<StationProcess>> stations;
        for (const User& user : {kOperator, kAdmin, kOperator, kAdmin}) {
            stations.push_back(std::make_unique<StationProcess>(f.folder.path(), user));
        }
        // Stations 2 and 3 scan the trade's next number while 0 and 1 scan this one.
        const auto numberFor = [&](int station, int step) {
            if (station < 2) {
                return numbers.at(step);
            }
            const int first = step - step % int(suffixes.size());
            return numbers.at(first + (step % int(suffixes.size()) + 1) % int(suffixes.size()));
        };
        QList<QList<QStringList>> lines;
        QVERIFY(lockstep(
            stations,
            [&](int station, int step) {
                const QString number = numberFor(station, step);
                return std::make_pair(weightOf.value(number), number);
            },
            int(numbers.size()), deadline, &lines));

        // Each number: one success in all, every other scan of it refused as shipped.
        QHash<QString, int> successes;
        QHash<QString, double> feeOf;
        const QRegularExpression fee(QStringLiteral("单票邮资：([0-9.]+)元"));
        for (int step = 0; step < lines.size(); ++step) {
            for (int station = 0; station < int(stations.size()); ++station) {
                const QString number = numberFor(station, step);
                const QStringList& said = lines.at(step).at(station);
                QVERIFY2(said.size() == 1, qPrintable(said.join(QLatin1Char('|'))));
                const QString head = QStringLiteral(" : 附加单号") + number + QStringLiteral(" : ");
                QVERIFY2(said.constFirst().contains(head), qPrintable(said.constFirst()));
                if (said.constFirst().endsWith(QStringLiteral("发货成功!"))) {
                    ++successes[number];
                    const QRegularExpressionMatch match = fee.match(said.constFirst());
                    QVERIFY(match.hasMatch());
                    feeOf[number] = match.captured(1).toDouble();
                } else {
                    QVERIFY2(said.constFirst().endsWith(head + QStringLiteral("已发货!")),
                             qPrintable(said.constFirst()));
                }
            }
        }
        for (const auto& station : stations) {
            QVERIFY2(station->messages().isEmpty(), qPrintable(station->messages().join(QLatin1Char('|'))));
        }
        for (const QString& number : numbers) {
            QVERIFY2(
                successes.value(number) == 1,
                qPrintable(QStringLiteral("%1 shipped %2 times").arg(number).arg(successes.value(number))));
            QCOMPARE(f.value("select count(*) from G_Trade_Log where LogDetail like ?",
                             {QStringLiteral("附加单号") + number + QStringLiteral("已发货%")})
                         .toInt(),
                     1);
        }

        // Each trade: every parcel's weight and postage added once, every number marked once.
        for (int t = 0; t < kTrades; ++t) {
            const int id = 95001 + t;
            int grams = 1000;
            double postage = 10;
            const QString remark =
                f.value("select Remark from G_Trade_TradeList where TradeID = ?", {id}).toString();
            for (const QString& suffix : suffixes) {
                const QString number = QStringLiteral("RA%1%2").arg(id).arg(suffix);
                grams += int(std::lround(weightOf.value(number).toDouble() * 1000));
                postage += feeOf.value(number);
                QCOMPARE(remark.count(QStringLiteral("附加单号") + number), 1);
                QCOMPARE(remark.count(QStringLiteral("附加单号") + number + QStringLiteral("已发货(")), 1);
            }
            QCOMPARE(f.value("select PackagedWeight from G_Trade_TradeList where TradeID = ?", {id}).toInt(),
                     grams);
            QCOMPARE(f.value("select Postage from G_Trade_TradeList where TradeID = ?", {id}).toDouble(),
                     postage);
            QCOMPARE(f.value("select TradeStatus from G_Trade_TradeList where TradeID = ?", {id}).toInt(), 8);
        }
    }

    // Four stations scan the same trades, their stock already out. One closes each trade; the
    // others say the trade is no longer waiting and leave no picker, goods weight or message.
    void stockedOutTradeShipsOnce()
    {
        QDeadlineTimer deadline(kTestLimitMs);
        RaceFixture f;
        const QList<RaceFixture::Ready> trades = f.readyTrades(16);
        QCOMPARE(trades.size(), 16);
        for (const RaceFixture::Ready& trade : trades) {
            f.order("update G_Trade_TradeList set bStockOut = 1, Picker = null where TradeID = ?",
                    {trade.tradeId});
        }

        std::vector<std::unique_ptr<StationProcess>> stations;
        for (const User& user : {kOperator, kAdmin, kOperator, kAdmin}) {
            stations.push_back(std::make_unique<StationProcess>(f.folder.path(), user));
        }
        QList<QList<QStringList>> lines;
        QVERIFY(lockstep(
            stations,
            [&](int, int step) {
                const RaceFixture::Ready& trade = trades.at(step);
                return std::make_pair(QString::number((trade.goodsWeight + 150) / 1000.0, 'f', 3),
                                      trade.waybill);
            },
            int(trades.size()), deadline, &lines));

        for (int step = 0; step < trades.size(); ++step) {
            const RaceFixture::Ready& trade = trades.at(step);
            const QString head = QStringLiteral(" : ") + trade.waybill + QStringLiteral(" : ");
            QStringList winners;
            for (int station = 0; station < int(stations.size()); ++station) {
                const QStringList& said = lines.at(step).at(station);
                QVERIFY2(said.size() == 1, qPrintable(said.join(QLatin1Char('|')) + QLatin1Char('#') +
                                                      stations[std::size_t(station)]->errors()));
                QVERIFY2(said.constFirst().contains(head), qPrintable(said.constFirst()));
                if (said.constFirst().endsWith(QStringLiteral("发货成功!"))) {
                    winners << stations[std::size_t(station)]->user();
                } else {
                    QVERIFY2(said.constFirst().endsWith(head + QStringLiteral("订单状态错误!")),
                             qPrintable(said.constFirst()));
                }
            }
            QCOMPARE(winners.size(), 1);
            const auto column = [&](const char* name) {
                return f
                    .value(QStringLiteral("select %1 from G_Trade_TradeList where TradeID = ?")
                               .arg(QLatin1String(name))
                               .toUtf8()
                               .constData(),
                           {trade.tradeId})
                    .toString();
            };
            QCOMPARE(column("TradeStatus"), QStringLiteral("8"));
            QCOMPARE(column("Picker"), winners.constFirst());
            QCOMPARE(column("SndOperator"), winners.constFirst());
            QCOMPARE(
                f.value("select count(*) from G_Trade_Log where TradeID = ? and LogDetail like '订单发货%'",
                        {trade.tradeId})
                    .toInt(),
                1);
        }
        for (const auto& station : stations) {
            QVERIFY2(station->messages().isEmpty(), qPrintable(station->messages().join(QLatin1Char('|'))));
        }
    }
};

QTEST_GUILESS_MAIN(TestStationRaces)
#include "TestStationRaces.moc"
