// The administrator's commands in the SQL Server dialect, through QODBC and FreeTDS to the stand-in
// server: what each changes in the order file, and that the five deletes are kept all or none.
#include "MaintenanceRows.h"
#include "RecordingPrompter.h"
#include "TdsTestServer.h"
#include "TempDataFolder.h"

#include "store/DemoOrderData.h"
#include "store/OrderDatabase.h"
#include "store/SqlConnection.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace {

using namespace MaintenanceRows;

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

    void order(const char* sql) { MaintenanceRows::order(file.db(), QString::fromUtf8(sql)); }
    QString text(const QString& sql) { return MaintenanceRows::text(file.db(), sql); }
    qint64 count(const QString& sql) { return text(sql).toLongLong(); }
    QString fingerprint() { return MaintenanceRows::fingerprint(file.db()); }

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
    void commands_data() { addCommandRows(); }

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
