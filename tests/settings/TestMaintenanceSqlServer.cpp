// The administrator's commands in the SQL Server dialect, through QODBC and FreeTDS to the stand-in
// server: what each changes in the order file, and that the five deletes are kept all or none.
#include "RecordingPrompter.h"
#include "TdsTestServer.h"
#include "TempDataFolder.h"

#include "settings/MaintenanceCommands.h"
#include "store/DemoOrderData.h"
#include "store/OrderDatabase.h"
#include "store/SqlConnection.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace {

using Command = MaintenanceCommands::Command;
const QString kCopyCaption = QStringLiteral("货品重量为0 货品重量=预估重量");
const QString kClearCaption = QStringLiteral("一键清空待审核订单");

// Rows the delete of trades awaiting review works on, counted.
const char kAwaitingReview[] =
    "select (select count(*) from G_Trade_TradeList where TradeStatus = 2) + "
    "(select count(*) from G_Trade_Log l where not exists (select 1 from G_Trade_TradeList t where "
    "t.TradeID = l.TradeID and t.TradeStatus <> 2)) + "
    "(select count(*) from G_Trade_GoodsList g where not exists (select 1 from G_Trade_TradeList t "
    "where t.TradeID = g.TradeID and t.TradeStatus <> 2)) + "
    "(select count(*) from G_API_TradeGoods a where not exists (select 1 from G_API_TradeList b, "
    "G_Trade_TradeList t where b.BillID = a.BillID and t.TradeID = b.TradeID and t.TradeStatus <> 2))";

// A demo order file served by the stand-in, read directly by the test.
struct ServedOrders
{
    TempDataFolder folder;
    SqlConnection file{QStringLiteral("QSQLITE"), QStringLiteral("maintenance-file")};
    std::unique_ptr<TdsTestServer> server;
    RecordingPrompter prompter;
    MaintenanceCommands commands{prompter, [] { return true; }};

    ServedOrders()
    {
        DemoOrderOptions options;
        options.trades = 60;
        options.reference = QDateTime(QDate(2024, 3, 1), QTime(12, 0));
        QString error;
        const QString path = folder.file(QStringLiteral("order.db"));
        if (!createDemoOrderDatabase(path, options, &error) || !openSqliteFile(file, path, &error)) {
            qFatal("order file: %s", qPrintable(error));
        }
        // A trade awaiting review with neither goods lines nor interface records goes too.
        order("insert into G_Trade_TradeList (TradeID, TradeNO, TradeStatus) values (99001, 'T99001', 2)");
        server = std::make_unique<TdsTestServer>(path);
        if (!server->isRunning()) {
            qFatal("TDS test server: %s", qPrintable(server->error()));
        }
    }

    ServerSettings settings() const
    {
        return server->settings(QStringLiteral("wdgj"), QStringLiteral("zelvo"), QStringLiteral("pw"));
    }

    void order(const char* sql)
    {
        QSqlQuery query(file.db());
        if (!query.exec(QString::fromUtf8(sql))) {
            qFatal("%s", sql);
        }
    }
    // The first value of a statement on the file; the read ends with it, so the server can write.
    QString text(const QString& sql)
    {
        QSqlQuery query(file.db());
        if (!query.exec(sql) || !query.next()) {
            qFatal("%s", qPrintable(sql));
        }
        return query.value(0).toString();
    }
    qint64 count(const QString& sql) { return text(sql).toLongLong(); }
    // Every row the commands may touch, as one text.
    QString fingerprint()
    {
        QStringList parts;
        for (const char* table : {"G_Trade_TradeList", "G_Trade_Log", "G_API_TradeList", "G_API_TradeGoods",
                                  "G_Trade_GoodsList"}) {
            parts << QString::number(count(QStringLiteral("select count(*) from ") + QLatin1String(table)));
        }
        parts << QString::number(count(QStringLiteral("select total(GoodsWeight) from G_Trade_TradeList")));
        return parts.join(QLatin1Char('|'));
    }

    bool run(Command command, const QString& caption)
    {
        QSignalSpy finished(&commands, &MaintenanceCommands::finished);
        if (!commands.request(command, caption, {true, settings(), folder.path()})) {
            return false;
        }
        return finished.wait(20000);
    }

    // The server fails every statement text the pattern matches.
    bool failAt(const QString& pattern)
    {
        return server->setFaults(QJsonObject{
            {QStringLiteral("error"),
             QJsonArray{QJsonObject{{QStringLiteral("match"), pattern},
                                    {QStringLiteral("message"), QStringLiteral("rows kept by the test")}}}}});
    }

    // The requests of the deletes and of the transaction, one letter each: B begin, D delete,
    // C commit, R rollback.
    QString deleteSteps() const
    {
        QString steps;
        for (const QJsonObject& entry : server->requests()) {
            if (entry.value(QStringLiteral("kind")).toString() == QLatin1String("transaction")) {
                const int request = entry.value(QStringLiteral("request")).toInt();
                steps += request == 5 ? QLatin1Char('B') : request == 7 ? QLatin1Char('C') : QLatin1Char('R');
            } else if (entry.value(QStringLiteral("text")).toString().startsWith(QLatin1String("Delete"))) {
                steps += QLatin1Char('D');
            }
        }
        return steps;
    }
};

} // namespace

class TestMaintenanceSqlServer : public QObject
{
    Q_OBJECT

private slots:
    // Each command changes what it should and nothing else; a second run finds nothing to do and
    // still reports success.
    void commands_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("matching");
        QTest::addColumn<QString>("untouched");
        QTest::newRow("goods weight from the estimate")
            << int(Command::CopyEstimatedWeight) << kCopyCaption
            << "select count(*) from G_Trade_TradeList where GoodsWeight = 0 and TradeStatus = 11 and "
               "estimateWeight <> 0"
            << "select count(*) || '|' || total(GoodsWeight) from G_Trade_TradeList where TradeStatus <> 11";
        QTest::newRow("trades awaiting review")
            << int(Command::ClearAwaitingReview) << kClearCaption << QString::fromLatin1(kAwaitingReview)
            << "select count(*) || '|' || total(GoodsWeight) from G_Trade_TradeList where TradeStatus <> 2";
    }

    void commands()
    {
        QFETCH(int, command);
        QFETCH(QString, caption);
        QFETCH(QString, matching);
        QFETCH(QString, untouched);
        ServedOrders shop;
        QVERIFY(shop.count(matching) > 0);
        const QString kept = shop.text(untouched);
        for (int round = 0; round < 2; ++round) {
            shop.prompter.messages.clear();
            QVERIFY(shop.run(Command(command), caption));
            QCOMPARE(shop.prompter.messages,
                     QStringList{QLatin1Char('"') + caption + QStringLiteral("\" 设置成功!")});
            QCOMPARE(shop.count(matching), 0);
            QCOMPARE(shop.text(untouched), kept);
        }
        // Each run: the five deletes in one transaction, committed; the driver then ends the empty
        // transaction it continued with.
        if (Command(command) == Command::ClearAwaitingReview) {
            QCOMPARE(shop.deleteSteps(), QStringLiteral("BDDDDDCRBDDDDDCR"));
        }
    }

    // A delete the server refuses leaves every trade with its lines: the deletes before it are
    // rolled back on the same connection, which then goes on to delete them all.
    void failingDeleteChangesNothing_data()
    {
        QTest::addColumn<QString>("match");
        QTest::addColumn<int>("failing"); // the refused delete's place
        QTest::newRow("interface records") << "^Delete from G_API_TradeList" << 3;
        QTest::newRow("goods lines, the fourth") << "^Delete from G_Trade_GoodsList" << 4;
        QTest::newRow("trades, the last") << "^Delete from G_Trade_TradeList" << 5;
    }

    void failingDeleteChangesNothing()
    {
        QFETCH(QString, match);
        QFETCH(int, failing);
        ServedOrders shop;
        const QString before = shop.fingerprint();
        const qint64 awaiting = shop.count(QString::fromLatin1(kAwaitingReview));
        OrderDatabase db;
        QString error;
        QVERIFY2(db.open(shop.settings(), shop.folder.path(), &error), qPrintable(error));
        QVERIFY(shop.failAt(match));

        QVERIFY(!db.clearTradesAwaitingReview());
        QVERIFY2(db.lastError().contains(QStringLiteral("rows kept by the test")),
                 qPrintable(db.lastError()));
        QVERIFY(!db.connectionLost());
        // Rolled back after the refused delete, then the transaction the driver continued with.
        QCOMPARE(shop.deleteSteps(),
                 QStringLiteral("B") + QString(failing, QLatin1Char('D')) + QStringLiteral("RR"));
        // What the same connection sees: nothing of the deletes before the refused one is left.
        auto logLines =
            db.select(QStringLiteral("select count(*) from G_Trade_Log where TradeID IN (select TradeID from "
                                     "G_Trade_TradeList where TradeStatus=2)"));
        QVERIFY2(logLines && logLines->next(), qPrintable(db.lastError()));
        const qint64 fileLines = shop.count(QStringLiteral(
            "select count(*) from G_Trade_Log where TradeID IN (select TradeID from G_Trade_TradeList where "
            "TradeStatus=2)"));
        QVERIFY(fileLines > 0);
        QCOMPARE(logLines->value(0).toLongLong(), fileLines);
        logLines.reset();
        QCOMPARE(shop.fingerprint(), before);

        QVERIFY(shop.server->setFaults({}));
        QVERIFY2(db.clearTradesAwaitingReview(), qPrintable(db.lastError()));
        QVERIFY(awaiting > 0);
        QCOMPARE(shop.count(QString::fromLatin1(kAwaitingReview)), 0);
    }

    // The command reports the server's own reason and leaves the trades as they were.
    void failingCommandSaysWhy()
    {
        ServedOrders shop;
        const QString before = shop.fingerprint();
        QVERIFY(shop.failAt(QStringLiteral("^Delete from G_Trade_GoodsList")));
        QVERIFY(shop.run(Command::ClearAwaitingReview, kClearCaption));
        QCOMPARE(shop.prompter.messages.size(), 1);
        QVERIFY2(shop.prompter.messages.first().contains(QStringLiteral("rows kept by the test")),
                 qPrintable(shop.prompter.messages.first()));
        QCOMPARE(shop.fingerprint(), before);
    }
};

QTEST_GUILESS_MAIN(TestMaintenanceSqlServer)
#include "TestMaintenanceSqlServer.moc"
