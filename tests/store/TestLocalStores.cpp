#include "TempDataFolder.h"

#include "app/ServerRow.h"
#include "app/StationStores.h"
#include "store/LocalQuery.h"
#include "store/LoginDbUpgrades.h"
#include "store/SqlConnection.h"
#include "store/StationSettings.h"

#include <QFile>
#include <QtTest>

namespace {

// The first column of every row, comma-joined; a failed statement reads as no rows.
QString column(QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QStringList rows;
    LocalQuery::column(db, sql, values, &rows, nullptr);
    return rows.join(QLatin1Char(','));
}

// login.db as the oldest releases left it: three scale models without speeds, ComNumber 9,
// no Version table, no multi-waybill columns.
void writeOldestLoginFile(const QString& path)
{
    SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("oldest"));
    QVERIFY(openSqliteFile(connection, path, nullptr));
    const char* const statements[] = {
        "create table server (ID integer primary key, ServerIP text, DataBase text, UserName text, PassWord "
        "text)",
        "insert into server values (3, 'sqlite:zelvo-demo.db', 'zelvo_demo', 'sa', '')",
        "create table Users (ID integer primary key autoincrement, Uname text, Upsw text)",
        "create table Initialization (ID integer primary key, Com integer, ScaleType integer, "
        "DefaultUserName text, DefaultPsw text, check4 integer, check6 integer)",
        "insert into Initialization values (1, 1, 1, '', '', 1, 0)",
        "create table ScaleTypel (ID integer primary key, ScaleName text, ScaleRange text)",
        "insert into ScaleTypel values (1, 'VarnikC', '30'), (2, 'Other', '15'), (3, 'VarnikA1', '30')",
        "create table Scale (ID integer primary key, ComNumber integer, ScaleNumber integer)",
        "insert into Scale values (1, 9, 3)",
    };
    for (const char* statement : statements) {
        QVERIFY2(LocalQuery::exec(connection.db(), QString::fromUtf8(statement)), statement);
    }
}

// What a start does to login.db: the login window's upgrade, then the main window's.
void start(const QString& folder)
{
    StationStores stores(folder);
    QVERIFY(stores.openLogin(nullptr));
    QVERIFY(LoginDbUpgrades::addMultiWaybillColumns(stores.loginDb()));
    QVERIFY(LoginDbUpgrades::addStatementTimeoutColumn(stores.loginDb()));
    QVERIFY(LoginDbUpgrades::addBaudRates(stores.loginDb()));
}

// What the statement reads from login.db as the next start opens it.
QString read(const QString& folder, const QString& sql)
{
    StationStores stores(folder);
    return stores.openLogin(nullptr) ? column(stores.loginDb(), sql) : QStringLiteral("not opened");
}

// login.db's bytes: a start that writes nothing leaves them as they were.
QByteArray bytes(const QString& folder)
{
    QFile file(folder + QStringLiteral("login.db"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestLocalStores : public QObject
{
    Q_OBJECT

private slots:
    void firstStart()
    {
        TempDataFolder folder;
        StationStores stores(folder.path());
        QVERIFY(stores.openLogin(nullptr));
        QVERIFY(stores.openPostage(nullptr));
        for (const QString& name : {QStringLiteral("login.db"), QStringLiteral("Postage.db")}) {
            QCOMPARE(QFile::permissions(folder.file(name)) &
                         (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                     QFile::Permissions());
        }
        QSqlDatabase& db = stores.loginDb();
        // The manual-entry type is selected, so a first start works without a scale.
        QCOMPARE(column(db, QStringLiteral("select ScaleType || '|' || ScaleName from Initialization, "
                                           "ScaleTypel where Initialization.ID = 1 and ScaleTypel.ID = 4")),
                 QStringLiteral("4|手动输入重量"));
        QCOMPARE(
            column(db, QStringLiteral("select ComNumber || '|' || ScaleNumber || '|' || (select count(*) "
                                      "from ScaleTypel) from Scale where ID = 1")),
            QStringLiteral("20|5|5"));
        QVERIFY(column(db, QStringLiteral("select PageSize from Page"))
                    .split(QLatin1Char(','))
                    .contains(column(db, QStringLiteral("select DefaultPageSize from Initialization"))));

        // The server row reaches the demo shop, whose companies all have postage rules.
        QVERIFY(QFile::exists(folder.file(QString::fromLatin1(StationStores::kDemoFileName))));
        const auto server = ServerRow::read(db);
        QVERIFY(server);
        OrderDatabase& shop = stores.orderDb();
        QVERIFY(shop.open(*server, folder.path(), nullptr));
        const QStringList companies = shop.logisticNames();
        QVERIFY(!companies.isEmpty());
        for (const QString& company : companies) {
            QVERIFY2(column(stores.postageDb(), QStringLiteral("select count(*) from rule where Express = ?"),
                            {company}) != QLatin1String("0"),
                     qPrintable(company));
        }

        // Settings typed in the connection window are kept even when the row has gone.
        QVERIFY(LocalQuery::exec(db, QStringLiteral("delete from server")));
        const ServerSettings typed{QStringLiteral("10.0.0.5,1433"), QStringLiteral("wdgj31"),
                                   QStringLiteral("sa"), QStringLiteral("p'w;}")};
        QVERIFY(ServerRow::write(db, typed));
        const auto stored = ServerRow::read(db);
        QVERIFY(stored);
        QCOMPARE(stored->serverIp, typed.serverIp);
        QCOMPARE(stored->passWord, typed.passWord);
    }

    void oldestLayoutTakesTwoStarts()
    {
        TempDataFolder folder;
        writeOldestLoginFile(folder.file(QStringLiteral("login.db")));
        start(folder.path());
        QCOMPARE(
            read(folder.path(), QStringLiteral("select group_concat(BaudRate) || '|' || (select Ver from "
                                               "Version where ID = 1) || '|' || (select ComNumber from "
                                               "Scale) || '|' || (select count(*) from pragma_table_info("
                                               "'Initialization') where name = 'MultiPostID') from "
                                               "ScaleTypel")),
            QStringLiteral("9600,9600,1200|2013070101|20|0"));
        start(folder.path());
        QCOMPARE(read(folder.path(),
                      QStringLiteral("select MultiPostID || '|' || ChkCalcWeightOnce || '|' || "
                                     "(select Ver from Version where ID = 1) || '|' || StatementTimeout "
                                     "from Initialization")),
                 QStringLiteral("0|0|2013120122|30"));
        const QByteArray upgraded = bytes(folder.path());
        start(folder.path());
        QCOMPARE(bytes(folder.path()), upgraded);
    }

    void statementTimeoutOption_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("seconds");
        QTest::newRow("first start") << QString() << 30;
        QTest::newRow("chosen") << "45" << 45;
        QTest::newRow("empty column") << "null" << 30;
        QTest::newRow("zero") << "0" << 30;
        QTest::newRow("negative") << "-5" << 30;
    }

    void statementTimeoutOption()
    {
        QFETCH(QString, stored);
        QFETCH(int, seconds);
        TempDataFolder folder;
        StationStores stores(folder.path());
        QVERIFY(stores.openLogin(nullptr));
        if (!stored.isEmpty()) {
            QVERIFY(LocalQuery::exec(
                stores.loginDb(), QStringLiteral("update Initialization set StatementTimeout = ") + stored));
        }
        StationSettings settings;
        settings.setDatabase(stores.loginDb());
        StationSettings::Options options;
        QVERIFY(settings.read(&options, nullptr));
        QCOMPARE(options.statementTimeout, seconds);
    }

    // A file of a later version is left as it is.
    void laterVersionChangesNothing()
    {
        TempDataFolder folder;
        {
            StationStores stores(folder.path());
            QVERIFY(stores.openLogin(nullptr));
            QVERIFY(
                LocalQuery::exec(stores.loginDb(), QStringLiteral("update Version set Ver = '2014010101'")));
        }
        const QByteArray before = bytes(folder.path());
        start(folder.path());
        QCOMPARE(bytes(folder.path()), before);
    }

    void unreadableFileIsRefusedAndKept()
    {
        TempDataFolder folder;
        const QByteArray garbage("this is not a database, but somebody's file\n");
        QFile file(folder.file(QStringLiteral("login.db")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(garbage);
        file.close();

        StationStores stores(folder.path());
        QString error;
        QVERIFY(!stores.openLogin(&error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!stores.loginOpen());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), garbage);
    }
};

QTEST_GUILESS_MAIN(TestLocalStores)
#include "TestLocalStores.moc"
