// OrderDatabase in the SQL Server dialect over the real QODBC and FreeTDS stack, against the stand-in
// server: the login as it arrives, the name lists, the procedure batches and what the program does
// when the server misbehaves while the connection stands.
#include "TdsTestServer.h"
#include "TempDataFolder.h"

#include "store/DemoOrderData.h"
#include "store/OrderDatabase.h"
#include "store/SqlConnection.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace {

// A demo order file served by the stand-in; the file can be read directly as well.
struct ServedShop
{
    TempDataFolder folder;
    std::unique_ptr<TdsTestServer> server;
    OrderDatabase db;

    explicit ServedShop(const QStringList& arguments = {})
    {
        DemoOrderOptions options;
        options.trades = 10;
        options.reference = QDateTime(QDate(2024, 3, 1), QTime(12, 0));
        QString error;
        if (!createDemoOrderDatabase(path(), options, &error)) {
            qFatal("order file: %s", qPrintable(error));
        }
        server = std::make_unique<TdsTestServer>(path(), arguments);
        if (!server->isRunning()) {
            qFatal("TDS test server: %s", qPrintable(server->error()));
        }
    }
    QString path() const { return folder.file(QStringLiteral("order.db")); }

    bool open(const QString& password = QStringLiteral("pw"), QString* error = nullptr)
    {
        return db.open(server->settings(QStringLiteral("wdgj"), QStringLiteral("zelvo"), password),
                       folder.path(), error);
    }

    // One column of the order file, read past the server.
    QStringList fileColumn(const QString& sql)
    {
        SqlConnection file(QStringLiteral("QSQLITE"), QStringLiteral("served-file"));
        QStringList values;
        QString error;
        if (!openSqliteFile(file, path(), &error)) {
            qFatal("order file: %s", qPrintable(error));
        }
        QSqlQuery query(file.db());
        query.exec(sql);
        while (query.next()) {
            values << query.value(0).toString();
        }
        return values;
    }

    QJsonObject lastRequest(const QString& kind)
    {
        const QList<QJsonObject> all = server->requests();
        for (auto it = all.crbegin(); it != all.crend(); ++it) {
            if (it->value(QStringLiteral("kind")).toString() == kind) {
                return *it;
            }
        }
        return {};
    }
};

} // namespace

class TestSqlServerWire : public QObject
{
    Q_OBJECT

private slots:
    void login_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("separators of the connection string") << QStringLiteral("a;b=c{d");
        QTest::newRow("spaces kept") << QStringLiteral(" pw ");
    }
    void login()
    {
        QFETCH(QString, password);
        ServedShop shop;
        QString error;
        QVERIFY2(shop.open(password, &error), qPrintable(error));

        const QJsonObject login = shop.lastRequest(QStringLiteral("login"));
        QCOMPARE(login.value(QStringLiteral("user")).toString(), QStringLiteral("zelvo"));
        QCOMPARE(login.value(QStringLiteral("password")).toString(), password);
        QCOMPARE(login.value(QStringLiteral("database")).toString(), QStringLiteral("wdgj"));
        QCOMPARE(login.value(QStringLiteral("tds_version")).toString(), QStringLiteral("74000004"));

        std::optional<OrderDatabase::LoginUser> user;
        QVERIFY(shop.db.findLoginUser(QString::fromLatin1(DemoLogins::kOperatorName),
                                      QString::fromLatin1(DemoLogins::kOperatorPassword), &user));
        QVERIFY(user.has_value());
        QVERIFY(!user->blocked);
        QVERIFY(shop.db.findLoginUser(QString::fromLatin1(DemoLogins::kDisabledName),
                                      QString::fromLatin1(DemoLogins::kDisabledPassword), &user));
        QVERIFY(user && user->blocked);
        QVERIFY(shop.db.findLoginUser(QStringLiteral("operator"), QStringLiteral("' or ''='"), &user));
        QVERIFY(!user.has_value());
    }

    void nameLists_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("table");
        for (const char* table : {"G_Cfg_StaffList:Name", "G_Cfg_PackageList:PackageName",
                                  "G_Cfg_ShopList:ShopName", "G_Cfg_LogisticList:Name"}) {
            QTest::addRow("%s varchar", table) << QStringList{} << QString::fromLatin1(table);
            QTest::addRow("%s nvarchar", table)
                << QStringList{QStringLiteral("--nvarchar")} << QString::fromLatin1(table);
        }
    }
    void nameLists()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, table);
        ServedShop shop(arguments);
        QVERIFY(shop.open());
        const QStringList parts = table.split(QLatin1Char(':'));
        QStringList names;
        if (parts.at(0) == QLatin1String("G_Cfg_StaffList")) {
            names = shop.db.staffNames();
        } else if (parts.at(0) == QLatin1String("G_Cfg_PackageList")) {
            names = shop.db.packageNames();
        } else if (parts.at(0) == QLatin1String("G_Cfg_ShopList")) {
            names = shop.db.shopNames();
        } else {
            names = shop.db.logisticNames();
        }
        const QStringList expected =
            shop.fileColumn(QStringLiteral("select %1 from %2").arg(parts.at(1), parts.at(0)));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(names, expected);
    }

    // The procedure batches answer as the embedded engine does, on the same rows.
    void procedures()
    {
        ServedShop shop;
        QVERIFY(shop.open());
        const QString ready =
            shop.fileColumn(
                    QStringLiteral("select TradeID from G_Trade_TradeList where TradeStatus = 5 and "
                                   "bStockOut = 0 and TradeID in (select TradeID from G_Trade_GoodsList) "
                                   "and not exists (select 1 from G_Trade_GoodsList l join G_Stock_Spec s "
                                   "on s.GoodsID = l.GoodsID and s.SpecID = l.SpecID where l.TradeID = "
                                   "G_Trade_TradeList.TradeID and s.Stock < l.SellCount) limit 1"))
                .value(0);
        QVERIFY(!ready.isEmpty());

        OrderDatabase::ProcedureResult check = shop.db.tradeStockOutCheck(QStringLiteral("999999"));
        QVERIFY(check.ran);
        QCOMPARE(check.result, QStringLiteral("订单不存在"));
        check = shop.db.tradeStockOutCheck(ready);
        QVERIFY2(check.ran, qPrintable(check.error));
        QCOMPARE(check.result, QStringLiteral("1"));
        QVERIFY2(shop.db.tradeStockOut(ready, QStringLiteral("operator")), qPrintable(shop.db.lastError()));
        // Refused by the procedure: the refusal is the database's error.
        QVERIFY(!shop.db.tradeStockOut(ready, QStringLiteral("operator")));
        QVERIFY2(shop.db.lastError().contains(QStringLiteral("订单已出库")), qPrintable(shop.db.lastError()));
        QVERIFY(shop.db.reopenIfLost(nullptr));

        const OrderDatabase::ProcedureResult over =
            shop.db.tradeOver(ready, QStringLiteral("张建国"), QStringLiteral("小号纸箱"), 1234, 9.5,
                              QStringLiteral("operator"));
        QVERIFY2(over.ran, qPrintable(over.error));
        QCOMPARE(over.result, QStringLiteral("1"));
        QCOMPARE(
            shop.fileColumn(QStringLiteral("select TradeStatus || '|' || PackagedWeight || '|' || Postage "
                                           "|| '|' || Packer || '|' || PackageName from G_Trade_TradeList "
                                           "where TradeID = ") +
                            ready),
            QStringList{QStringLiteral("8|1234|9.5|张建国|小号纸箱")});
        const OrderDatabase::ProcedureResult again =
            shop.db.tradeOver(ready, QStringLiteral("张建国"), QStringLiteral("小号纸箱"), 1234, 9.5,
                              QStringLiteral("operator"));
        QVERIFY(again.ran);
        QCOMPARE(again.result, QStringLiteral("订单已发货"));
    }

    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QString>("error");
        QTest::newRow("an error inside the lookup") << "error" << false << "staff list unreadable";
        QTest::newRow("a late answer") << "delay" << true << "";
        QTest::newRow("latin-1 collation") << "latin1" << false << "code page";
    }
    // A fault at the staff list that leaves the connection standing: the list is empty and lastError
    // tells why, and the list reads again once the server answers.
    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(bool, listed);
        QFETCH(QString, error);
        ServedShop shop;
        const QString match = QStringLiteral("G_Cfg_StaffList");
        QJsonObject faults;
        if (fault == QLatin1String("error")) {
            faults[QStringLiteral("error")] =
                QJsonArray{QJsonObject{{QStringLiteral("match"), match}, {QStringLiteral("message"), error}}};
        } else if (fault == QLatin1String("delay")) {
            faults[QStringLiteral("delay")] =
                QJsonArray{QJsonObject{{QStringLiteral("match"), match}, {QStringLiteral("ms"), 400}}};
        } else {
            faults[QStringLiteral("collation")] = QStringLiteral("latin1");
        }
        QVERIFY(shop.server->setFaults(faults));
        QString openError;
        QVERIFY2(shop.open(QStringLiteral("pw"), &openError), qPrintable(openError));

        QElapsedTimer timer;
        timer.start();
        const QStringList names = shop.db.staffNames();
        QCOMPARE(!names.isEmpty(), listed);
        if (fault == QLatin1String("delay")) {
            QVERIFY(timer.elapsed() >= 400);
        }
        if (!error.isEmpty()) {
            QVERIFY2(shop.db.lastError().contains(error), qPrintable(shop.db.lastError()));
        }
        QVERIFY(!shop.db.connectionLost());

        QVERIFY(shop.server->setFaults({}));
        if (fault == QLatin1String("latin1")) {
            // The collation is the server's answer to a login.
            QVERIFY(shop.open());
        }
        QVERIFY(shop.db.reopenIfLost(nullptr));
        QCOMPARE(shop.db.staffNames(), shop.fileColumn(QStringLiteral("select Name from G_Cfg_StaffList")));
    }
};

QTEST_GUILESS_MAIN(TestSqlServerWire)
#include "TestSqlServerWire.moc"
