#include "TempDataFolder.h"

#include "app/ServerRow.h"
#include "app/StationStores.h"
#include "store/LocalQuery.h"
#include "store/LoginDbUpgrades.h"
#include "store/SqlConnection.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

// Reads for the checks: a failed statement reads as no rows.
QStringList column(QSqlDatabase& db, const QString& sql)
{
    QStringList values;
    LocalQuery::column(db, sql, {}, &values, nullptr);
    return values;
}

std::optional<QSqlRecord> firstRow(QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    std::optional<QSqlRecord> row;
    LocalQuery::firstRow(db, sql, values, &row, nullptr);
    return row;
}

} // namespace

namespace {

QStringList columnsOf(QSqlDatabase& db, const QString& table)
{
    QStringList names;
    QSqlQuery query(db);
    query.exec(QStringLiteral("pragma table_info(%1)").arg(table));
    while (query.next()) {
        names << query.value(1).toString();
    }
    return names;
}

// Every table with every row, as text: two equal dumps mean an unchanged file.
QString dump(QSqlDatabase& db)
{
    QString text;
    for (const QString& table : column(db, QStringLiteral("select name from sqlite_master where type='table' "
                                                          "and name not like 'sqlite_%' order by name"))) {
        text +=
            table + QLatin1Char('(') + columnsOf(db, table).join(QLatin1Char(',')) + QStringLiteral(")\n");
        QSqlQuery rows(db);
        rows.exec(QStringLiteral("select * from %1").arg(table));
        while (rows.next()) {
            for (int i = 0; i < rows.record().count(); ++i) {
                text += rows.value(i).toString() + QLatin1Char('|');
            }
            text += QLatin1Char('\n');
        }
    }
    return text;
}

// login.db as the oldest releases left it: three scale models without speeds, ComNumber 9,
// no Version table, no multi-waybill columns.
void writeOldestLoginFile(const QString& path)
{
    SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("oldest"));
    QVERIFY(openSqliteFile(connection, path, nullptr));
    QSqlDatabase& db = connection.db();
    const char* const statements[] = {
        "create table server (ID integer primary key, ServerIP text, DataBase text, UserName text, PassWord "
        "text)",
        "insert into server values (3, 'sqlite:zelvo-demo.db', 'zelvo_demo', 'sa', '')",
        "create table Users (ID integer primary key autoincrement, Uname text, Upsw text)",
        "create table Initialization (ID integer primary key, Com integer, ScaleType integer, "
        "DefaultUserName text, "
        "DefaultPsw text, check4 integer, check6 integer)",
        "insert into Initialization values (1, 1, 1, '', '', 1, 0)",
        "create table ScaleTypel (ID integer primary key, ScaleName text, ScaleRange text)",
        "insert into ScaleTypel values (1, 'VarnikC', '30')",
        "insert into ScaleTypel values (2, 'Other', '15')",
        "insert into ScaleTypel values (3, 'VarnikA1', '30')",
        "create table Scale (ID integer primary key, ComNumber integer, ScaleNumber integer)",
        "insert into Scale values (1, 9, 3)",
    };
    for (const char* statement : statements) {
        QVERIFY2(LocalQuery::exec(db, QString::fromUtf8(statement)), statement);
    }
}

// What a start does to login.db: the login window's upgrade, then the main window's.
void start(const QString& folder)
{
    StationStores stores(folder);
    QVERIFY(stores.openLogin(nullptr));
    QVERIFY(LoginDbUpgrades::addMultiWaybillColumns(stores.loginDb()));
    QVERIFY(LoginDbUpgrades::addBaudRates(stores.loginDb()));
}

} // namespace

class TestLocalStores : public QObject
{
    Q_OBJECT

private slots:
    void firstStartCreatesEverything();
    void shippedRows();
    void oldestLayoutTakesTwoStarts();
    void currentVersionChangesNothing();
    void unreadableFileIsRefusedAndKept();
    void serverRowIsWrittenEvenWhenMissing();
};

void TestLocalStores::firstStartCreatesEverything()
{
    TempDataFolder folder;
    StationStores stores(folder.path());
    QVERIFY(stores.openLogin(nullptr));
    QVERIFY(stores.openPostage(nullptr));

    for (const QString& name : {QStringLiteral("login.db"), QStringLiteral("Postage.db")}) {
        const QFile::Permissions permissions = QFile::permissions(folder.file(name));
        QCOMPARE(permissions & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());
    }
    QVERIFY(QFile::exists(folder.file(QString::fromLatin1(StationStores::kDemoFileName))));

    const auto server = ServerRow::read(stores.loginDb());
    QVERIFY(server);
    QCOMPARE(server->serverIp, QStringLiteral("sqlite:zelvo-demo.db"));

    // The server row reaches the demo shop, whose companies all have postage rules.
    OrderDatabase& shop = stores.orderDb();
    QVERIFY(shop.open(*server, folder.path(), nullptr));
    const QStringList companies = shop.logisticNames();
    QVERIFY(!companies.isEmpty());
    for (const QString& company : companies) {
        const auto count = firstRow(stores.postageDb(),
                                    QStringLiteral("select count(*) from rule where Express = ?"), {company});
        QVERIFY2(count && count->value(0).toInt() > 0, qPrintable(company));
    }
}

void TestLocalStores::shippedRows()
{
    TempDataFolder folder;
    StationStores stores(folder.path());
    QVERIFY(stores.openLogin(nullptr));
    QSqlDatabase& db = stores.loginDb();

    // The manual-entry type is selected, so a first start works without a scale.
    const auto options = firstRow(db, QStringLiteral("select ScaleType, DefaultPageSize, MultiPostID, "
                                                     "ChkCalcWeightOnce from Initialization where ID = 1"));
    QVERIFY(options);
    QCOMPARE(options->value(0).toInt(), 4);
    QCOMPARE(column(db, QStringLiteral("select ScaleName from ScaleTypel where ID = 4")).value(0),
             QStringLiteral("手动输入重量"));
    QCOMPARE(column(db, QStringLiteral("select ID from ScaleTypel order by ID")).size(), 5);
    const auto scale = firstRow(db, QStringLiteral("select ComNumber, ScaleNumber from Scale where ID = 1"));
    QCOMPARE(scale->value(0).toInt(), 20);
    QCOMPARE(scale->value(1).toInt(), 5);

    const QStringList searchTypes = column(db, QStringLiteral("select SerarchTypel from Search order by ID"));
    QCOMPARE(searchTypes.size(), 9);
    QCOMPARE(searchTypes.first(), QStringLiteral("快递单号"));
    QCOMPARE(searchTypes.last(), QStringLiteral("电话号码"));
    QCOMPARE(column(db, QStringLiteral("select WeightTypel from SearchWeightTypel order by ID")),
             QStringList({QStringLiteral("商品重量"), QStringLiteral("包裹重量"), QStringLiteral("重量差")}));

    const QStringList selected =
        column(db, QStringLiteral("select Sel from ListView1Conf order by ColIndex"));
    QCOMPARE(selected.size(), 22);
    QCOMPARE(selected.count(QStringLiteral("1")), 21);
    QCOMPARE(selected.last(), QStringLiteral("0")); // the telephone column is hidden
    QVERIFY(column(db, QStringLiteral("select PageSize from Page")).contains(options->value(1).toString()));
    QVERIFY(!column(db, QStringLiteral("select Count from Capacity")).isEmpty());
}

void TestLocalStores::oldestLayoutTakesTwoStarts()
{
    TempDataFolder folder;
    writeOldestLoginFile(folder.file(QStringLiteral("login.db")));

    start(folder.path());
    {
        StationStores stores(folder.path());
        QVERIFY(stores.openLogin(nullptr));
        QSqlDatabase& db = stores.loginDb();
        QCOMPARE(column(db, QStringLiteral("select BaudRate from ScaleTypel order by ID")),
                 QStringList({QStringLiteral("9600"), QStringLiteral("9600"), QStringLiteral("1200")}));
        QCOMPARE(column(db, QStringLiteral("select Ver from Version where ID = 1")),
                 QStringList{QStringLiteral("2013070101")});
        QCOMPARE(column(db, QStringLiteral("select ComNumber from Scale")),
                 QStringList{QStringLiteral("20")});
        QVERIFY(!columnsOf(db, QStringLiteral("Initialization")).contains(QStringLiteral("MultiPostID")));
    }

    start(folder.path());
    QString afterSecond;
    {
        StationStores stores(folder.path());
        QVERIFY(stores.openLogin(nullptr));
        QSqlDatabase& db = stores.loginDb();
        const auto row = firstRow(db, QStringLiteral("select MultiPostID, ChkCalcWeightOnce from "
                                                     "Initialization where ID = 1"));
        QVERIFY(row);
        QCOMPARE(row->value(0), QVariant(0));
        QCOMPARE(row->value(1), QVariant(0));
        QCOMPARE(column(db, QStringLiteral("select Ver from Version where ID = 1")),
                 QStringList{QStringLiteral("2013120122")});
        afterSecond = dump(db);
    }

    start(folder.path());
    StationStores stores(folder.path());
    QVERIFY(stores.openLogin(nullptr));
    QCOMPARE(dump(stores.loginDb()), afterSecond);
}

void TestLocalStores::currentVersionChangesNothing()
{
    TempDataFolder folder;
    QString before;
    {
        StationStores stores(folder.path());
        QVERIFY(stores.openLogin(nullptr));
        QVERIFY(LocalQuery::exec(stores.loginDb(), QStringLiteral("update Version set Ver = '2014010101'")));
        before = dump(stores.loginDb());
    }
    start(folder.path());
    StationStores stores(folder.path());
    QVERIFY(stores.openLogin(nullptr));
    QCOMPARE(dump(stores.loginDb()), before);
}

void TestLocalStores::unreadableFileIsRefusedAndKept()
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

void TestLocalStores::serverRowIsWrittenEvenWhenMissing()
{
    TempDataFolder folder;
    StationStores stores(folder.path());
    QVERIFY(stores.openLogin(nullptr));
    QVERIFY(LocalQuery::exec(stores.loginDb(), QStringLiteral("delete from server")));
    const ServerSettings typed{QStringLiteral("10.0.0.5,1433"), QStringLiteral("wdgj31"),
                               QStringLiteral("sa"), QStringLiteral("p'w;}")};
    QVERIFY(ServerRow::write(stores.loginDb(), typed));
    const auto stored = ServerRow::read(stores.loginDb());
    QVERIFY(stored);
    QCOMPARE(stored->serverIp, typed.serverIp);
    QCOMPARE(stored->passWord, typed.passWord);
}

QTEST_GUILESS_MAIN(TestLocalStores)
#include "TestLocalStores.moc"
