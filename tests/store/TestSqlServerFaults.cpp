// The faults the SQL Server dialect showed against a TDS server, each tried against the stand-in
// that answers from the demo shop: the login as it goes on the wire, time-outs, procedure errors,
// empty and foreign texts, lost connections, named instances and the round trips of a parcel.
#include "RecordingPrompter.h"
#include "RecordingSoundPlayer.h"
#include "TdsTestServer.h"
#include "TempDataFolder.h"

#include "app/HeadlessStation.h"
#include "app/LoginService.h"
#include "app/ServerRow.h"
#include "store/DemoOrderData.h"
#include "store/OrderDatabase.h"
#include "store/OrderDatabaseFailure.h"
#include "store/SqlConnection.h"
#include "store/SqlServerBrowser.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QNetworkDatagram>
#include <QSqlQuery>
#include <QTcpServer>
#include <QUdpSocket>
#include <QtTest>

#include <future>
#include <thread>

namespace {

const QString kUser = QStringLiteral("sa");
const QString kDataBase = QStringLiteral("ZelvoShop");

struct Parcel
{
    QString tradeId;
    QString waybill;
    QString weight; // kilograms as typed, a little above the goods
};

// A station folder whose order database is the TDS stand-in serving the demo shop's file.
class ServerStation
{
public:
    explicit ServerStation(const QStringList& serverArguments = {}, int statementTimeout = 0,
                           const QString& password = QStringLiteral("pw"))
    {
        {
            // The first start leaves login.db and the demo shop's order file.
            StationSession first(folder.path(), prompter, sounds);
            QString error;
            if (!first.start(&error)) {
                qFatal("first start: %s", qPrintable(error));
            }
            orderPath = OrderDatabase::embeddedPath(first.context().server, folder.path());
            server = std::make_unique<TdsTestServer>(orderPath, serverArguments);
            if (!server->isRunning()) {
                qFatal("TDS test server: %s", qPrintable(server->error()));
            }
            QSqlDatabase& loginDb = first.stores().loginDb();
            ServerRow::write(loginDb, server->settings(kDataBase, kUser, password));
            if (statementTimeout > 0) {
                QSqlQuery(loginDb).exec(
                    QStringLiteral("update Initialization set StatementTimeout = %1").arg(statementTimeout));
            }
        }
        HeadlessStation::Options options;
        options.dataDir = folder.path();
        options.user = QString::fromLatin1(DemoLogins::kOperatorName);
        options.password = QString::fromLatin1(DemoLogins::kOperatorPassword);
        station = std::make_unique<HeadlessStation>(
            options, [this](const QString& line) { lines << line; },
            [this](const QString& message) { messages << message; });
    }

    bool start(QString* error) { return station->start(error); }
    OrderDatabase& orderDb() { return station->session().orderDb(); }

    // Trades of status 5, not yet taken out of stock, whose goods the shop has plenty of.
    QList<Parcel> parcels(int count) const
    {
        SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("faults-parcels"));
        QString error;
        QList<Parcel> found;
        if (!openSqliteFile(connection, orderPath, &error)) {
            return found;
        }
        QSqlQuery query(connection.db());
        query.prepare(QStringLiteral(
            "select TradeID, PostID, GoodsWeight from G_Trade_TradeList t where TradeStatus = 5 and "
            "ifnull(bStockOut, 0) = 0 and PostID is not null and not exists (select 1 from G_Trade_GoodsList "
            "l "
            "left join G_Stock_Spec s on s.GoodsID = l.GoodsID and s.SpecID = l.SpecID where l.TradeID = "
            "t.TradeID and ifnull(s.Stock, 0) < l.SellCount + 10) order by TradeID limit ?"));
        query.addBindValue(count);
        query.exec();
        while (query.next()) {
            found.append({query.value(0).toString(), query.value(1).toString(),
                          QString::number((query.value(2).toDouble() + 150) / 1000.0, 'f', 3)});
        }
        return found;
    }

    // The requests whose statement text mentions the words.
    QList<QJsonObject> requestsAbout(const QString& words) const
    {
        QList<QJsonObject> found;
        for (const QJsonObject& request : server->requests()) {
            if (request.value(QStringLiteral("text")).toString().contains(words)) {
                found << request;
            }
        }
        return found;
    }

    QString logFile() const
    {
        QFile file(folder.file(QString::fromLatin1(OrderDatabase::kLogFileName)));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    TempDataFolder folder;
    RecordingPrompter prompter;
    RecordingSoundPlayer sounds;
    QString orderPath;
    std::unique_ptr<TdsTestServer> server;
    std::unique_ptr<HeadlessStation> station;
    QStringList lines;
    QStringList messages;
};

QJsonObject faults(const char* json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

QJsonObject lastLogin(const TdsTestServer& server)
{
    QJsonObject login;
    for (const QJsonObject& request : server.requests()) {
        if (request.value(QStringLiteral("kind")).toString() == QLatin1String("login")) {
            login = request;
        }
    }
    return login;
}

} // namespace

class TestSqlServerFaults : public QObject
{
    Q_OBJECT

private slots:
    void loginOnTheWire_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("connects");
        QTest::newRow("plain") << "secret" << true;
        QTest::newRow("closing brace") << "p}w}" << true;
        QTest::newRow("separator and braces") << "{a;b}c=d" << true;
        QTest::newRow("chinese") << "密码}" << true;
        // FreeTDS ends every braced value at "};": such a password cannot be given at all, and the
        // log says why without telling it.
        QTest::newRow("brace before separator") << "x};y" << false;
    }

    void loginOnTheWire()
    {
        QFETCH(QString, password);
        QFETCH(bool, connects);
        ServerStation station({}, 0, password);
        QString error;
        QCOMPARE(station.start(&error), connects);
        const QJsonObject login = lastLogin(*station.server);
        if (connects) {
            QCOMPARE(login.value(QStringLiteral("password")).toString(), password);
            QCOMPARE(login.value(QStringLiteral("user")).toString(), kUser);
            QCOMPARE(login.value(QStringLiteral("app")).toString(), QStringLiteral("Zelvo operator"));
            QCOMPARE(login.value(QStringLiteral("database")).toString(), kDataBase);
        } else {
            QVERIFY(login.isEmpty());
            QCOMPARE(error, QString::fromUtf8(LoginService::kDatabaseAccessFailed));
            const QString log = station.logFile();
            QVERIFY2(log.contains(QStringLiteral("PWD holds")), qPrintable(log));
            QVERIFY(!log.contains(password));
        }
    }

    void failedConnectionsLeaveTheirReason_data()
    {
        QTest::addColumn<QString>("serverIp");
        QTest::addColumn<QString>("reason");
        // A port nobody listens on, and a named instance on a host without the SQL Server Browser:
        // both fail within the login time-out and leave the driver's words in the log.
        QTest::newRow("nothing listening") << "127.0.0.1,%1"
                                           << "ServerIP=127.0.0.1,";
        QTest::newRow("instance without browser") << "127.0.0.1\\ZELVO%1"
                                                  << "SQL Server Browser";
    }

    void failedConnectionsLeaveTheirReason()
    {
        QFETCH(QString, serverIp);
        QFETCH(QString, reason);
        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            closedPort = probe.serverPort();
        }
        TempDataFolder folder;
        LoginContext context;
        context.programFolder = folder.path();
        context.server = {serverIp.arg(closedPort), kDataBase, kUser, QStringLiteral("TopSecret77")};
        OrderDatabase orderDb;
        QElapsedTimer clock;
        clock.start();
        const auto result = LoginService::logIn(orderDb, nullptr, context, QStringLiteral("operator"),
                                                QStringLiteral("1234"));
        QCOMPARE(result.outcome, LoginService::Outcome::DatabaseUnreachable);
        QCOMPARE(result.message, QString::fromUtf8(LoginService::kDatabaseAccessFailed));
        QVERIFY2(clock.elapsed() < (OrderDatabase::kLoginTimeoutSeconds + 2) * 1000,
                 qPrintable(QStringLiteral("took %1 ms").arg(clock.elapsed())));
        QFile log(folder.file(QString::fromLatin1(OrderDatabase::kLogFileName)));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY2(text.contains(reason) && text.contains(QStringLiteral("connection failed")),
                 qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("TopSecret77")));
    }

    void plainHostTakesTheDefaultPort()
    {
        ServerStation shop;
        // The stand-in again, on the port a plain host means; another program may hold it.
        TdsTestServer onDefault(shop.orderPath, {QStringLiteral("--port"), QStringLiteral("1433")});
        if (!onDefault.isRunning()) {
            QSKIP("port 1433 is taken on this machine");
        }
        LoginContext context;
        context.programFolder = shop.folder.path();
        context.server = {QStringLiteral("127.0.0.1"), kDataBase, kUser, QStringLiteral("pw")};
        OrderDatabase orderDb;
        const auto result =
            LoginService::logIn(orderDb, nullptr, context, QString::fromLatin1(DemoLogins::kOperatorName),
                                QString::fromLatin1(DemoLogins::kOperatorPassword));
        QCOMPARE(result.outcome, LoginService::Outcome::LoggedIn);
        QCOMPARE(lastLogin(onDefault).value(QStringLiteral("user")).toString(), kUser);
    }

    void statementTimeOut_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::newRow("trade lookup held up")
            << QByteArray(R"({"delay": [{"match": "G_Trade_TradeList", "ms": 20000}]})");
        QTest::newRow("server gone silent") << QByteArray(R"({"silent": true})");
    }

    void statementTimeOut()
    {
        QFETCH(QByteArray, fault);
        const int timeout = 2;
        ServerStation station({}, timeout);
        QString error;
        QVERIFY2(station.start(&error), qPrintable(error));
        const QList<Parcel> parcels = station.parcels(1);
        QVERIFY(!parcels.isEmpty());
        QVERIFY(station.server->setFaults(faults(fault.constData())));

        QElapsedTimer clock;
        clock.start();
        const ShipOutcome outcome = station.station->ship(parcels[0].weight, parcels[0].waybill);
        const qint64 took = clock.elapsed();
        QVERIFY(!wasShipped(outcome));
        // The handler ends soon after the time-out, never waiting for the server.
        QVERIFY2(took >= timeout * 1000 - 100 && took < (timeout + 3) * 1000,
                 qPrintable(QStringLiteral("took %1 ms").arg(took)));
        QVERIFY2(!station.lines.isEmpty() && station.lines.constLast().endsWith(QStringLiteral(
                                                 "订单数据库未在规定时间内应答,未发货,请稍后重新扫描!")),
                 qPrintable(station.lines.join(QLatin1Char('\n'))));
        QVERIFY(station.logFile().contains(QStringLiteral("timed out after 2 s")));
        // Further statements of the same action give up at once rather than wait again.
        clock.restart();
        QVERIFY(station.orderDb().staffNames().isEmpty());
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));

        // Once the server answers again, the next scan ships on a new connection.
        QVERIFY(station.server->setFaults({}));
        QVERIFY2(wasShipped(station.station->ship(parcels[0].weight, parcels[0].waybill)),
                 qPrintable(station.lines.join(QLatin1Char('\n')) + station.messages.join(QLatin1Char('\n')) +
                            station.logFile()));
    }

    void procedureFailures_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QString>("message"); // a message box, or empty
        QTest::addColumn<QString>("line");    // the end of the last log line, or empty
        QTest::newRow("stock-out check raises")
            << QByteArray(
                   R"({"error": [{"match": "G_TradeStockOutCHK", "message": "deadlock victim 1205", "number": 50000}]})")
            << "存储过程G_TradeStockOutCHK执行失败!"
            << "";
        QTest::newRow("stock-out raises")
            << QByteArray(
                   R"({"error": [{"match": "exec G_TradeStockOut ", "message": "no stock", "number": 50000}]})")
            << "存储过程G_TradeStockOut执行失败!"
            << "";
        QTest::newRow("closing raises")
            << QByteArray(
                   R"({"error": [{"match": "G_TradeOver", "message": "no postage", "number": 50000}]})")
            << "存储过程G_TradeOver执行错误!"
            << "";
        // Only a connection that really went away reads as one.
        QTest::newRow("link cut in the check") << QByteArray(R"({"drop": ["G_TradeStockOutCHK"]})") << ""
                                               << "订单数据库连接已断开,请重新扫描!";
    }

    void procedureFailures()
    {
        QFETCH(QByteArray, fault);
        QFETCH(QString, message);
        QFETCH(QString, line);
        ServerStation station;
        QString error;
        QVERIFY2(station.start(&error), qPrintable(error));
        const QList<Parcel> parcels = station.parcels(2);
        QCOMPARE(parcels.size(), 2);
        QVERIFY(station.server->setFaults(faults(fault.constData())));

        QVERIFY(!wasShipped(station.station->ship(parcels[0].weight, parcels[0].waybill)));
        if (!message.isEmpty()) {
            QCOMPARE(station.messages.size(), 1);
            QVERIFY2(station.messages[0].endsWith(message), qPrintable(station.messages[0]));
            QVERIFY(!station.orderDb().connectionLost());
        } else {
            QVERIFY(station.messages.isEmpty());
            QVERIFY2(station.lines.constLast().endsWith(line), qPrintable(station.lines.constLast()));
        }
        // Either way the station goes on with the next parcel.
        QVERIFY(station.server->setFaults({}));
        QCOMPARE(station.station->ship(parcels[1].weight, parcels[1].waybill), ShipOutcome::Shipped);
    }

    void cleanShipOnTheWire()
    {
        ServerStation station;
        QString error;
        QVERIFY2(station.start(&error), qPrintable(error));
        const QList<Parcel> parcels = station.parcels(2);
        QCOMPARE(parcels.size(), 2);
        // The first parcel may meet statements for the first time; the second is what every
        // parcel costs from then on.
        for (const Parcel& parcel : parcels) {
            station.server->clearRequests();
            const ShipOutcome shipped = station.station->ship(parcel.weight, parcel.waybill);
            if (shipped != ShipOutcome::Shipped) {
                for (const QJsonObject& request : station.server->requests()) {
                    qWarning("%s", QJsonDocument(request).toJson(QJsonDocument::Compact).constData());
                }
            }
            QCOMPARE(shipped, ShipOutcome::Shipped);
            const int trips = station.server->roundTrips();
            qInfo("round trips of a clean ship: %d", trips);
            QVERIFY2(trips <= 12, qPrintable(QString::number(trips)));
            for (const QJsonObject& request : station.server->requests()) {
                QVERIFY(request.value(QStringLiteral("kind")).toString() != QLatin1String("attention"));
                QVERIFY(request.value(QStringLiteral("proc")).toString() != QLatin1String("sp_unprepare"));
            }
        }
        // No packer or package was chosen: G_TradeOver gets empty texts, not NULL.
        const QList<QJsonObject> over = station.requestsAbout(QStringLiteral("G_TradeOver"));
        QCOMPARE(over.size(), 1);
        const QJsonArray params = over[0].value(QStringLiteral("params")).toArray();
        QVERIFY(params.size() >= 3);
        for (int i : {1, 2}) {
            const QJsonValue value = params[i].toObject().value(QStringLiteral("value"));
            QVERIFY2(value.isString() && value.toString().isEmpty(), qPrintable(QString::number(i)));
        }
    }

    void textsAndCodePages_data()
    {
        QTest::addColumn<QStringList>("serverArguments");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("refusal"); // empty: the text arrives intact
        QTest::newRow("chinese, chinese collation") << QStringList() << "称重完成：甲乙丙"
                                                    << "";
        QTest::newRow("outside GBK") << QStringList() << "赠品🎁"
                                     << "订单数据库的字符集中没有\"🎁\"";
        QTest::newRow("outside GBK, nvarchar columns") << QStringList{QStringLiteral("--nvarchar")} << "赠品🎁"
                                                       << "订单数据库的字符集中没有\"🎁\"";
        QTest::newRow("chinese, latin-1 collation") << QStringList{QStringLiteral("--latin1")} << "称重完成"
                                                    << "订单数据库的字符集";
        QTest::newRow("latin, latin-1 collation") << QStringList{QStringLiteral("--latin1")} << "Café ok"
                                                  << "";
    }

    void textsAndCodePages()
    {
        QFETCH(QStringList, serverArguments);
        QFETCH(QString, detail);
        QFETCH(QString, refusal);
        ServerStation station(serverArguments);
        QString error;
        QVERIFY2(station.start(&error), qPrintable(error));
        const QList<Parcel> parcels = station.parcels(1);
        QVERIFY(!parcels.isEmpty());
        OrderDatabase& orderDb = station.orderDb();
        const bool written = orderDb.addTradeLog(parcels[0].tradeId, QStringLiteral("operator"), detail);

        const QString writeError = orderDb.lastError();
        QList<QSqlRecord> logged;
        QVERIFY2(orderDb.rows(QStringLiteral("select LogDetail from G_Trade_Log where TradeID=?"),
                              {parcels[0].tradeId}, &logged),
                 qPrintable(orderDb.lastError()));
        if (refusal.isEmpty()) {
            QVERIFY2(written, qPrintable(orderDb.lastError()));
            QCOMPARE(logged.size(), 1);
            QCOMPARE(logged[0].value(0).toString(), detail);
            return;
        }
        QVERIFY(!written);
        QVERIFY(logged.isEmpty());
        const auto failure = OrderDatabaseFailure::classify(writeError);
        QVERIFY2(failure.cause == OrderDatabaseFailure::Cause::Unconvertible, qPrintable(writeError));
        QVERIFY2(OrderDatabaseFailure::describe(failure).startsWith(refusal),
                 qPrintable(OrderDatabaseFailure::describe(failure)));
        QVERIFY(!orderDb.connectionLost());
    }

    void foreignUserNameIsNoWrongPassword()
    {
        ServerStation station({QStringLiteral("--latin1")});
        QString error;
        QVERIFY2(station.start(&error), qPrintable(error));
        const auto result =
            station.station->session().logIn(QStringLiteral("王小明"), QStringLiteral("1234"));
        QCOMPARE(result.outcome, LoginService::Outcome::DatabaseUnreadable);
        QVERIFY2(result.message.startsWith(QStringLiteral("数据库访问失败:订单数据库的字符集")),
                 qPrintable(result.message));
    }

    void lostConnectionIsOpenedAgain_data()
    {
        QTest::addColumn<QString>("statement"); // what the dropped request mentions
        QTest::addColumn<int>("entry");
        QTest::newRow("goods by barcode") << "BarCode=" << 0;
        QTest::newRow("staff list") << "G_Cfg_StaffList" << 1;
        QTest::newRow("trade lookup") << "G_Trade_TradeList" << 2;
    }

    void lostConnectionIsOpenedAgain()
    {
        QFETCH(QString, statement);
        QFETCH(int, entry);
        ServerStation station;
        QString error;
        QVERIFY2(station.start(&error), qPrintable(error));
        OrderDatabase& orderDb = station.orderDb();
        const QList<Parcel> parcels = station.parcels(1);
        QVERIFY(!parcels.isEmpty());
        const auto call = [&]() -> bool {
            switch (entry) {
            case 0: {
                std::optional<OrderDatabase::ScannedGoods> goods;
                return orderDb.goodsByBarCode(QStringLiteral("6900000000000"), &goods);
            }
            case 1:
                return !orderDb.staffNames().isEmpty();
            default: {
                std::optional<OrderDatabase::StationTrade> trade;
                return orderDb.findStationTrade(parcels[0].waybill, false, &trade) && trade.has_value();
            }
            }
        };
        QJsonObject drop;
        drop.insert(QStringLiteral("drop"), QJsonArray{QRegularExpression::escape(statement)});
        QVERIFY(station.server->setFaults(drop));
        QVERIFY(!call());
        QVERIFY(orderDb.connectionLost());
        QVERIFY(station.server->setFaults({}));
        // The same entry point, called again, opens the connection itself.
        QVERIFY2(call(), qPrintable(orderDb.lastError()));
        QVERIFY(!orderDb.connectionLost());
    }

    void browserAnswers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("instance");
        QTest::addColumn<int>("port"); // 0: none
        const QByteArray two =
            "ServerName;DB1;InstanceName;MSSQLSERVER;IsClustered;No;Version;15.0.2000.5;tcp;1433;;"
            "ServerName;DB1;InstanceName;SHOP;IsClustered;No;Version;15.0.2000.5;tcp;50123;;";
        const auto framed = [](const QByteArray& body) {
            return QByteArray(1, 0x05) + char(body.size() & 0xff) + char(body.size() >> 8) + body;
        };
        QTest::newRow("second instance") << framed(two) << "shop" << 50123;
        QTest::newRow("first instance") << framed(two) << "MSSQLSERVER" << 1433;
        QTest::newRow("unknown instance") << framed(two) << "OTHER" << 0;
        QTest::newRow("named pipes only")
            << framed("ServerName;DB1;InstanceName;SHOP;IsClustered;No;np;\\\\DB1\\pipe\\sql\\query;;")
            << "SHOP" << 0;
        QTest::newRow("not an answer") << QByteArray("\x04SHOP") << "SHOP" << 0;
    }

    void browserAnswers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, instance);
        QFETCH(int, port);
        const auto found = SqlServerBrowser::portInAnswer(answer, instance);
        QCOMPARE(found.value_or(0), port);
    }

    void browserIsAskedWithinTheDeadline_data()
    {
        QTest::addColumn<bool>("answers");
        QTest::newRow("browser answers") << true;
        QTest::newRow("browser silent") << false;
    }

    void browserIsAskedWithinTheDeadline()
    {
        QFETCH(bool, answers);
        // A browser of its own on a free UDP port, answering from a thread of its own.
        std::promise<quint16> listening;
        QByteArray asked;
        std::thread serve([&] {
            QUdpSocket browser;
            listening.set_value(browser.bind(QHostAddress::LocalHost, 0) ? browser.localPort() : quint16(0));
            if (!browser.waitForReadyRead(3000)) {
                return;
            }
            const QNetworkDatagram question = browser.receiveDatagram();
            asked = question.data();
            if (answers) {
                const QByteArray body = "ServerName;H;InstanceName;SHOP;IsClustered;No;tcp;41433;;";
                browser.writeDatagram(QByteArray(1, 0x05) + char(body.size()) + char(0) + body,
                                      question.senderAddress(), quint16(question.senderPort()));
                browser.waitForBytesWritten(1000);
            }
        });
        const quint16 browserPort = listening.get_future().get();
        QElapsedTimer clock;
        clock.start();
        QString error;
        const auto port = SqlServerBrowser::instancePort(QStringLiteral("127.0.0.1"), QStringLiteral("SHOP"),
                                                         1500, &error, browserPort);
        const qint64 took = clock.elapsed();
        serve.join();
        QVERIFY(browserPort > 0);
        QCOMPARE(asked, QByteArray("\x04SHOP", 5) + QByteArray(1, '\0'));
        QCOMPARE(port.value_or(0), answers ? 41433 : 0);
        QVERIFY2(took < 2500, qPrintable(QString::number(took)));
        QVERIFY(answers || error.contains(QStringLiteral("SHOP")));
    }
};

QTEST_GUILESS_MAIN(TestSqlServerFaults)
#include "TestSqlServerFaults.moc"
