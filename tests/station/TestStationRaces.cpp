// Stations as separate zelvo-station processes on one embedded order database, scanning the same
// parcels at the same moment: each parcel ships once, each weight counts once, each shipped parcel
// has one log line, and a station that comes second writes nothing.
#include "StationShop.h"
#include "ToolRun.h"

#include <QDeadlineTimer>
#include <QProcess>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// One station reading parcels on standard input. Each parcel is followed by a number no trade
// knows; its "不存在!" line tells that the station is done with the parcel before it.
struct Station
{
    QString user;
    QProcess process;
    int marks = 0;

    ~Station()
    {
        process.closeWriteChannel();
        process.waitForFinished(10000);
    }
    void send(const QString& weight, const QString& scan)
    {
        process.write(QStringLiteral("%1 %2\n1 MARK%3\n").arg(weight, scan).arg(++marks).toUtf8());
        process.waitForBytesWritten(5000);
    }
    // The log lines of the last parcel sent, "stuck" added when the station did not finish it in time.
    QStringList settle(const QDeadlineTimer& deadline)
    {
        QStringList lines;
        const QString mark = QStringLiteral("MARK%1 : ").arg(marks);
        while (!deadline.hasExpired()) {
            while (process.canReadLine()) {
                lines << QString::fromUtf8(process.readLine()).trimmed();
                if (lines.last().contains(mark)) {
                    return lines.mid(0, lines.size() - 1);
                }
            }
            if (!process.waitForReadyRead(500) && process.state() != QProcess::Running) {
                break;
            }
        }
        return lines << QStringLiteral("stuck");
    }
};

} // namespace

class TestStationRaces : public QObject
{
    Q_OBJECT

private slots:
    // Four stations, two logged in as each user. On stocked-out trades all four scan the same
    // waybill: one closes the trade, the others say it no longer waits and leave no picker, sender or
    // message. On the further parcels of shipped trades two scan each number while the other two scan
    // the trade's next number: each number ships once and each weight and fee is added once.
    void racingStationsShipEachParcelOnce()
    {
        if (!QFileInfo(ToolRun::path("zelvo-station")).isExecutable()) {
            QSKIP("zelvo-station has not been built");
        }
        const QDeadlineTimer deadline(180000);
        // Staff boxes locked to the logged-in user, so the trade tells which station wrote it; no
        // weight alarm and no overweight warning, so every station's outcome is a log line.
        DemoFolder demo([](QSqlDatabase& login) {
            StationShop::run(
                login,
                QStringLiteral("update Initialization set MultiPostID = 1, ChkCalcWeightOnce = 0, "
                               "PickerCheck = 0, PackageOperatorCheck = 0, CheckAlarm = 0, "
                               "ChkOverWeight = 0, check6 = 0"),
                {});
        });
        demo.logIn();
        const auto order = [&](const char* sql, const QVariantList& values = {}) {
            QSqlQuery query = StationShop::run(demo.orderDb().db(), QString::fromUtf8(sql), values);
            return query.next() ? query.value(0) : QVariant();
        };

        QList<QStringList> steps; // the number each station scans, per step
        QHash<QString, QString> weightOf, refusalOf;
        QHash<QString, qint64> stockedOutTrade;
        QSqlQuery ready = StationShop::run(
            demo.orderDb().db(),
            QStringLiteral(
                "select PostID, TradeID, GoodsWeight from G_Trade_TradeList t where TradeStatus = 5 "
                "and PostID is not null and not exists (select 1 from G_Trade_GoodsList l left "
                "join G_Stock_Spec s on s.GoodsID = l.GoodsID and s.SpecID = l.SpecID where "
                "l.TradeID = t.TradeID and ifnull(s.Stock, 0) < l.SellCount) order by TradeID "
                "limit 6"),
            {});
        while (ready.next()) {
            const QString waybill = ready.value(0).toString();
            order("update G_Trade_TradeList set bStockOut = 1, Picker = null where TradeID = ?",
                  {ready.value(1)});
            steps.append(QStringList(4, waybill));
            weightOf[waybill] = QString::number((ready.value(2).toDouble() + 150) / 1000.0, 'f', 3);
            refusalOf[waybill] = QStringLiteral("订单状态错误!");
            stockedOutTrade[waybill] = ready.value(1).toLongLong();
        }
        QCOMPARE(stockedOutTrade.size(), 6);
        const QStringList suffixes{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
        for (int id = 95001; id <= 95003; ++id) {
            QString remark = QStringLiteral("分箱发货:");
            QStringList numbers;
            for (const QString& suffix : suffixes) {
                numbers << QStringLiteral("RA%1%2").arg(id).arg(suffix);
                remark += QStringLiteral("附加单号") + numbers.last() + QLatin1Char(';');
                weightOf[numbers.last()] = QString::number(0.3 + 0.011 * double(weightOf.size()), 'f', 3);
                refusalOf[numbers.last()] = QStringLiteral("已发货!");
            }
            for (int i = 0; i < 3; ++i) {
                steps.append({numbers[i], numbers[i], numbers[(i + 1) % 3], numbers[(i + 1) % 3]});
            }
            // Shipped, its main parcel of 1000 g at 10 yuan, to the address and express company of a
            // trade of the demo shop that the station can price.
            order(
                "insert into G_Trade_TradeList (TradeID, TradeNO, PostID, SndTo, TradeNick, Province, City, "
                "Town, Adr, Tel, TradeStatus, bStockOut, Remark, GoodsWeight, PackagedWeight, Postage, "
                "LogisticID) select ?, ?, ?, SndTo, TradeNick, Province, City, Town, Adr, Tel, 8, 1, ?, "
                "900, 1000, 10, LogisticID from G_Trade_TradeList where TradeID = 1",
                {id, QStringLiteral("T%1").arg(id), QStringLiteral("RM%1").arg(id), remark});
        }

        std::vector<std::unique_ptr<Station>> stations;
        for (int i = 0; i < 4; ++i) {
            Station& station = *stations.emplace_back(std::make_unique<Station>());
            station.user = i % 2 ? QStringLiteral("admin") : QStringLiteral("operator");
            station.process.start(ToolRun::path("zelvo-station"),
                                  {QStringLiteral("--data-dir"), demo.folder.path(), QStringLiteral("--user"),
                                   station.user, QStringLiteral("--password"),
                                   i % 2 ? QStringLiteral("admin") : QStringLiteral("1234"),
                                   QStringLiteral("--answer"), QStringLiteral("yes")});
        }
        // All stations get their parcel of a step at once; the next step starts when all are done.
        QHash<QString, QStringList> winners;
        QHash<QString, double> feeOf;
        const QRegularExpression fee(QStringLiteral("单票邮资：([0-9.]+)元"));
        for (const QStringList& scans : steps) {
            for (int i = 0; i < 4; ++i) {
                stations[i]->send(weightOf.value(scans[i]), scans[i]);
            }
            for (int i = 0; i < 4; ++i) {
                const QStringList said = stations[i]->settle(deadline);
                QVERIFY2(said.size() == 1, qPrintable(said.join(QLatin1Char('|'))));
                if (said[0].endsWith(QStringLiteral("发货成功!"))) {
                    QVERIFY2(said[0].contains(scans[i] + QStringLiteral(" : ")), qPrintable(said[0]));
                    winners[scans[i]] << stations[i]->user;
                    feeOf[scans[i]] = fee.match(said[0]).captured(1).toDouble();
                } else {
                    QVERIFY2(said[0].endsWith(scans[i] + QStringLiteral(" : ") + refusalOf.value(scans[i])),
                             qPrintable(said[0]));
                }
            }
        }
        for (const auto& station : stations) {
            const QStringList boxes = QString::fromUtf8(station->process.readAllStandardError())
                                          .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                          .filter(QRegularExpression(QStringLiteral("^(?!询问: )")));
            QVERIFY2(boxes.isEmpty(), qPrintable(boxes.join(QLatin1Char('|'))));
        }

        for (auto trade = stockedOutTrade.cbegin(); trade != stockedOutTrade.cend(); ++trade) {
            QCOMPARE(winners.value(trade.key()).size(), 1);
            const QString winner = winners.value(trade.key()).constFirst();
            QCOMPARE(
                order("select TradeStatus || '|' || Picker || '|' || SndOperator || '|' || (select count(*) "
                      "from G_Trade_Log g where g.TradeID = t.TradeID and LogDetail like '订单发货%') "
                      "from G_Trade_TradeList t where TradeID = ?",
                      {trade.value()})
                    .toString(),
                QStringLiteral("8|%1|%1|1").arg(winner));
        }
        for (int id = 95001; id <= 95003; ++id) {
            int grams = 1000;
            double postage = 10;
            const QString remark =
                order("select Remark from G_Trade_TradeList where TradeID = ?", {id}).toString();
            for (const QString& suffix : suffixes) {
                const QString number = QStringLiteral("RA%1%2").arg(id).arg(suffix);
                QCOMPARE(winners.value(number).size(), 1);
                QCOMPARE(order("select count(*) from G_Trade_Log where LogDetail like ?",
                               {QStringLiteral("附加单号") + number + QStringLiteral("已发货%")})
                             .toInt(),
                         1);
                QCOMPARE(remark.count(QStringLiteral("附加单号") + number), 1);
                QCOMPARE(remark.count(QStringLiteral("附加单号") + number + QStringLiteral("已发货(")), 1);
                grams += int(std::lround(weightOf.value(number).toDouble() * 1000));
                postage += feeOf.value(number);
            }
            QCOMPARE(
                order("select PackagedWeight || '|' || TradeStatus from G_Trade_TradeList where TradeID = ?",
                      {id})
                    .toString(),
                QStringLiteral("%1|8").arg(grams));
            QCOMPARE(order("select Postage from G_Trade_TradeList where TradeID = ?", {id}).toDouble(),
                     postage);
        }
    }
};

QTEST_GUILESS_MAIN(TestStationRaces)
#include "TestStationRaces.moc"
