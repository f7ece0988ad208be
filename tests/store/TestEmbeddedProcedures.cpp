#include "TempDataFolder.h"

#include "store/DemoOrderData.h"
#include "store/EmbeddedProcedures.h"
#include "store/SqlConnection.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <limits>
#include <memory>

using namespace EmbeddedProcedures;

namespace {

// Stands for the trade a test row makes for itself.
const QString kMade = QStringLiteral("<made>");

struct GoodsLine
{
    qint64 goodsId;
    qint64 specId;
    int count;
};

} // namespace

class TestEmbeddedProcedures : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void stockOutCheck_data();
    void stockOutCheck();
    void stockOutLowersStockExactly();
    void refusedStockOutChangesNothing_data();
    void refusedStockOutChangesNothing();
    void failureAfterFirstWriteUndoesEverything_data();
    void failureAfterFirstWriteUndoesEverything();
    void tradeOverWritesEveryColumn_data();
    void tradeOverWritesEveryColumn();
    void refusedTradeOverChangesNothing_data();
    void refusedTradeOverChangesNothing();
    void chineseAndQuotesRoundTrip();
    void insideCallersTransaction();
    void secondStationSeesTheShipAndCanWrite();

private:
    QSqlDatabase& db() { return m_connection->db(); }
    QVariant scalar(const QString& statement, const QVariantList& values = {});
    void exec(const QString& statement, const QVariantList& values = {});
    QString addTrade(int status, bool stockedOut, const QList<GoodsLine>& lines);
    void setStock(const GoodsLine& line, qint64 stock);
    qint64 stock(const GoodsLine& line)
    {
        return scalar(stockSql(), {line.goodsId, line.specId}).toLongLong();
    }
    static QString stockSql()
    {
        return QStringLiteral("select Stock from G_Stock_Spec where GoodsID=? and SpecID=?");
    }
    QString label(const GoodsLine& line);
    // Everything a procedure may touch, as one text: equal snapshots mean nothing changed.
    QString snapshot();

    std::unique_ptr<TempDataFolder> m_folder;
    std::unique_ptr<SqlConnection> m_connection;
    QString m_path;
    // A goods with variants and one without, both from the demo catalogue.
    GoodsLine m_spec{0, 0, 1};
    GoodsLine m_plain{0, 0, 1};
};

void TestEmbeddedProcedures::init()
{
    m_folder = std::make_unique<TempDataFolder>();
    QVERIFY(m_folder->isValid());
    m_path = m_folder->file(QStringLiteral("orders.db"));
    DemoOrderOptions options;
    options.trades = 60;
    options.seed = 11;
    QString error;
    QVERIFY2(createDemoOrderDatabase(m_path, options, &error), qPrintable(error));
    m_connection =
        std::make_unique<SqlConnection>(QStringLiteral("QSQLITE"), QStringLiteral("procedures-test"));
    QVERIFY2(openSqliteFile(*m_connection, m_path, &error), qPrintable(error));

    QSqlQuery query(db());
    QVERIFY(
        query.exec(QStringLiteral("select GoodsID, SpecID from G_Goods_GoodsSpec order by SpecID limit 1")));
    QVERIFY(query.next());
    m_spec = GoodsLine{query.value(0).toLongLong(), query.value(1).toLongLong(), 1};
    QVERIFY(query.exec(
        QStringLiteral("select GoodsID from G_Goods_GoodsList where bMultiSpec=0 order by GoodsID limit 1")));
    QVERIFY(query.next());
    m_plain = GoodsLine{query.value(0).toLongLong(), 0, 1};
}

void TestEmbeddedProcedures::cleanup()
{
    m_connection.reset();
    m_folder.reset();
}

QVariant TestEmbeddedProcedures::scalar(const QString& statement, const QVariantList& values)
{
    QSqlQuery query(db());
    query.prepare(statement);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec() || !query.next()) {
        qWarning() << statement << query.lastError().text();
        return {};
    }
    return query.value(0);
}

void TestEmbeddedProcedures::exec(const QString& statement, const QVariantList& values)
{
    QSqlQuery query(db());
    query.prepare(statement);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
}

QString TestEmbeddedProcedures::addTrade(int status, bool stockedOut, const QList<GoodsLine>& lines)
{
    const qint64 id = scalar(QStringLiteral("select max(TradeID) + 1 from G_Trade_TradeList")).toLongLong();
    exec(QStringLiteral(
             "insert into G_Trade_TradeList (TradeID, TradeNO, PostID, SndTo, TradeStatus, bStockOut, "
             "LogisticID, ShopID, CustomerID) values (?, ?, ?, '测试', ?, ?, 1, 1, 1)"),
         {id, QStringLiteral("TTEST%1").arg(id), QStringLiteral("YTTEST%1").arg(id), status,
          stockedOut ? 1 : 0});
    for (const GoodsLine& line : lines) {
        exec(QStringLiteral("insert into G_Trade_GoodsList (TradeID, GoodsID, SpecID, SellCount, Unit) "
                            "values (?, ?, ?, ?, '件')"),
             {id, line.goodsId, line.specId, line.count});
    }
    return QString::number(id);
}

void TestEmbeddedProcedures::setStock(const GoodsLine& line, qint64 value)
{
    exec(QStringLiteral("update G_Stock_Spec set Stock=? where GoodsID=? and SpecID=?"),
         {value, line.goodsId, line.specId});
}

QString TestEmbeddedProcedures::label(const GoodsLine& line)
{
    const QString name =
        scalar(QStringLiteral("select GoodsName from G_Goods_GoodsList where GoodsID=?"), {line.goodsId})
            .toString();
    const QString spec =
        line.specId == 0
            ? scalar(QStringLiteral("select GoodsSpec from G_Goods_GoodsList where GoodsID=?"),
                     {line.goodsId})
                  .toString()
            : scalar(QStringLiteral("select SpecName from G_Goods_GoodsSpec where SpecID=?"), {line.specId})
                  .toString();
    return name + QLatin1Char(' ') + spec;
}

QString TestEmbeddedProcedures::snapshot()
{
    QString text;
    QSqlQuery query(db());
    const QStringList statements = {
        QStringLiteral("select GoodsID, SpecID, Stock from G_Stock_Spec order by GoodsID, SpecID"),
        QStringLiteral("select * from G_Trade_TradeList order by TradeID"),
        QStringLiteral("select * from G_Trade_Log order by RecID"),
    };
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            return query.lastError().text();
        }
        while (query.next()) {
            for (int i = 0; i < query.record().count(); ++i) {
                text += query.value(i).toString() + QLatin1Char('|');
            }
            text += QLatin1Char('\n');
        }
    }
    return text;
}

void TestEmbeddedProcedures::stockOutCheck_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("stockedOut");
    QTest::addColumn<int>("stockOfSpec");  // stock set for the goods with variants
    QTest::addColumn<QString>("tradeId");  // kMade: the trade made for the row
    QTest::addColumn<QString>("expected"); // "short": 库存不足 naming that goods

    const QString made = kMade;
    QTest::newRow("ready") << 5 << false << 10 << made << QStringLiteral("1");
    QTest::newRow("stock exactly covers") << 5 << false << 5 << made << QStringLiteral("1");
    QTest::newRow("stock one short") << 5 << false << 4 << made << QStringLiteral("short");
    QTest::newRow("no stock at all") << 5 << false << 0 << made << QStringLiteral("short");
    QTest::newRow("stocked out") << 5 << true << 10 << made << QStringLiteral("订单已出库");
    for (int status : {1, 2, 3, 4, 6, 7, 8, 11}) {
        QTest::addRow("status %d", status) << status << false << 10 << made << QStringLiteral("订单状态错误");
    }
    QTest::newRow("shipped and stocked out") << 8 << true << 10 << made << QStringLiteral("订单状态错误");
    QTest::newRow("missing") << 5 << false << 10 << QStringLiteral("987654") << QStringLiteral("订单不存在");
    QTest::newRow("waybill instead of key")
        << 5 << false << 10 << QStringLiteral("YT4300000015") << QStringLiteral("订单不存在");
    QTest::newRow("quote in key") << 5 << false << 10 << QStringLiteral("1' or '1'='1")
                                  << QStringLiteral("订单不存在");
    QTest::newRow("empty key") << 5 << false << 10 << QStringLiteral("") << QStringLiteral("订单不存在");
}

void TestEmbeddedProcedures::stockOutCheck()
{
    QFETCH(int, status);
    QFETCH(bool, stockedOut);
    QFETCH(int, stockOfSpec);
    QFETCH(QString, tradeId);
    QFETCH(QString, expected);

    // The goods with variants is asked for 5 over two lines: stock must cover their sum.
    const QString made =
        addTrade(status, stockedOut,
                 {GoodsLine{m_spec.goodsId, m_spec.specId, 2}, GoodsLine{m_plain.goodsId, 0, 1},
                  GoodsLine{m_spec.goodsId, m_spec.specId, 3}});
    setStock(m_spec, stockOfSpec);
    setStock(m_plain, 50);
    if (expected == QLatin1String("short")) {
        expected = QStringLiteral("库存不足:") + label(m_spec);
    }
    const QString before = snapshot();
    QCOMPARE(tradeStockOutCheck(db(), tradeId == kMade ? made : tradeId), expected);
    QCOMPARE(snapshot(), before);
}

void TestEmbeddedProcedures::stockOutLowersStockExactly()
{
    const QString id =
        addTrade(5, false,
                 {GoodsLine{m_spec.goodsId, m_spec.specId, 2}, GoodsLine{m_plain.goodsId, 0, 3},
                  GoodsLine{m_spec.goodsId, m_spec.specId, 1}});
    setStock(m_spec, 10);
    setStock(m_plain, 5);
    const qint64 otherStock = scalar(QStringLiteral("select sum(Stock) from G_Stock_Spec where not "
                                                    "((GoodsID=? and SpecID=?) or (GoodsID=? and SpecID=0))"),
                                     {m_spec.goodsId, m_spec.specId, m_plain.goodsId})
                                  .toLongLong();

    QString error;
    QVERIFY2(tradeStockOut(db(), id, QStringLiteral("李秀兰"), &error), qPrintable(error));
    QCOMPARE(stock(m_spec), qint64(7));
    QCOMPARE(stock(m_plain), qint64(2));
    QCOMPARE(scalar(QStringLiteral("select sum(Stock) from G_Stock_Spec where not "
                                   "((GoodsID=? and SpecID=?) or (GoodsID=? and SpecID=0))"),
                    {m_spec.goodsId, m_spec.specId, m_plain.goodsId})
                 .toLongLong(),
             otherStock);
    QCOMPARE(scalar(QStringLiteral("select bStockOut from G_Trade_TradeList where TradeID=?"), {id}).toInt(),
             1);
    QCOMPARE(
        scalar(QStringLiteral("select TradeStatus from G_Trade_TradeList where TradeID=?"), {id}).toInt(), 5);
    QCOMPARE(
        scalar(QStringLiteral("select Operator || '/' || LogDetail from G_Trade_Log where TradeID=?"), {id})
            .toString(),
        QStringLiteral("李秀兰/订单出库"));

    // Taking the stock out twice would count the goods twice.
    const QString before = snapshot();
    QVERIFY(!tradeStockOut(db(), id, QStringLiteral("李秀兰"), &error));
    QCOMPARE(error, QStringLiteral("订单已出库"));
    QCOMPARE(snapshot(), before);
}

void TestEmbeddedProcedures::refusedStockOutChangesNothing_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("plainStock");
    QTest::addColumn<int>("plainCount");
    QTest::addColumn<QString>("expected");

    // The first line would fit; the second decides.
    QTest::newRow("second line short") << 5 << 2 << 3 << QStringLiteral("short");
    QTest::newRow("negative quantity") << 5 << 2 << -1 << QStringLiteral("negative");
    QTest::newRow("wrong status") << 4 << 50 << 1 << QStringLiteral("订单状态错误");
}

void TestEmbeddedProcedures::refusedStockOutChangesNothing()
{
    QFETCH(int, status);
    QFETCH(int, plainStock);
    QFETCH(int, plainCount);
    QFETCH(QString, expected);

    const QString id =
        addTrade(status, false,
                 {GoodsLine{m_spec.goodsId, m_spec.specId, 1}, GoodsLine{m_plain.goodsId, 0, plainCount}});
    setStock(m_spec, 10);
    setStock(m_plain, plainStock);
    if (expected == QLatin1String("short")) {
        expected = QStringLiteral("库存不足:") + label(m_plain);
    } else if (expected == QLatin1String("negative")) {
        expected = QStringLiteral("货品数量错误:") + label(m_plain);
    }
    const QString before = snapshot();
    QString error;
    QVERIFY(!tradeStockOut(db(), id, QStringLiteral("operator"), &error));
    QCOMPARE(error, expected);
    QCOMPARE(snapshot(), before);
}

void TestEmbeddedProcedures::failureAfterFirstWriteUndoesEverything_data()
{
    QTest::addColumn<bool>("shipping");
    QTest::newRow("stock-out") << false;
    QTest::newRow("trade over") << true;
}

void TestEmbeddedProcedures::failureAfterFirstWriteUndoesEverything()
{
    QFETCH(bool, shipping);
    const QString id = addTrade(5, false, {GoodsLine{m_spec.goodsId, m_spec.specId, 2}});
    setStock(m_spec, 10);
    // The log line is each procedure's last write: refusing it fails the procedure after its
    // stock and trade updates have already run.
    exec(QStringLiteral("create trigger refuse_log before insert on G_Trade_Log "
                        "begin select raise(abort, 'log refused'); end"));
    const QString before = snapshot();
    if (shipping) {
        const QString result = tradeOver(db(), id, QStringLiteral("赵磊"), QStringLiteral("小号纸箱"), 800,
                                         10, QStringLiteral("operator"));
        QVERIFY2(result.contains(QLatin1String("log refused")), qPrintable(result));
    } else {
        QString error;
        QVERIFY(!tradeStockOut(db(), id, QStringLiteral("operator"), &error));
        QVERIFY2(error.contains(QLatin1String("log refused")), qPrintable(error));
    }
    QCOMPARE(snapshot(), before);
    QCOMPARE(stock(m_spec), qint64(10));

    // No transaction is left open behind the failure: the next procedure works and stays.
    exec(QStringLiteral("drop trigger refuse_log"));
    QCOMPARE(tradeOver(db(), id, QString(), QString(), 800, 10, QStringLiteral("operator")),
             QStringLiteral("1"));
}

void TestEmbeddedProcedures::tradeOverWritesEveryColumn_data()
{
    QTest::addColumn<QString>("packer");
    QTest::addColumn<QString>("package");
    QTest::addColumn<int>("weight");
    QTest::addColumn<double>("postage");
    QTest::addColumn<QString>("sender"); // who must stand in SndOperator
    QTest::addColumn<QString>("detail");

    QTest::newRow("packer ships") << QStringLiteral("张建国") << QStringLiteral("中号纸箱") << 1250 << 12.5
                                  << QStringLiteral("张建国")
                                  << QStringLiteral("订单发货,包裹重量1250克,邮资12.5元");
    QTest::newRow("no packer: operator ships")
        << QString() << QString() << 30 << 8.0 << QStringLiteral("operator")
        << QStringLiteral("订单发货,包裹重量30克,邮资8元");
    QTest::newRow("free postage") << QStringLiteral("周敏") << QStringLiteral("快递袋") << 0 << 0.0
                                  << QStringLiteral("周敏") << QStringLiteral("订单发货,包裹重量0克,邮资0元");
    QTest::newRow("fraction of a fen")
        << QStringLiteral("周敏") << QStringLiteral("快递袋") << 2001 << 14.35 << QStringLiteral("周敏")
        << QStringLiteral("订单发货,包裹重量2001克,邮资14.35元");
}

void TestEmbeddedProcedures::tradeOverWritesEveryColumn()
{
    QFETCH(QString, packer);
    QFETCH(QString, package);
    QFETCH(int, weight);
    QFETCH(double, postage);
    QFETCH(QString, sender);
    QFETCH(QString, detail);

    const QString id = addTrade(5, true, {GoodsLine{m_plain.goodsId, 0, 1}});
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    QCOMPARE(tradeOver(db(), id, packer, package, weight, postage, QStringLiteral("operator")),
             QStringLiteral("1"));
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    QSqlQuery row(db());
    row.prepare(QStringLiteral(
        "select TradeStatus, PackagedWeight, Postage, Packer, PackageName, SndOperator, SndTime, "
        "datetime(SndTime) = SndTime, bStockOut from G_Trade_TradeList where TradeID=?"));
    row.addBindValue(id);
    QVERIFY(row.exec() && row.next());
    QCOMPARE(row.value(0).toInt(), 8);
    QCOMPARE(row.value(1).toInt(), weight);
    QCOMPARE(row.value(2).toDouble(), postage);
    QCOMPARE(row.value(3).toString(), packer);
    QCOMPARE(row.value(4).toString(), package);
    QCOMPARE(row.value(5).toString(), sender);
    const QString sent = row.value(6).toString();
    const QDateTime sentTime = QDateTime::fromString(sent, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QVERIFY2(sentTime >= before && sentTime <= after, qPrintable(sent));
    QCOMPARE(row.value(7).toInt(), 1); // SQLite's date functions read it
    QCOMPARE(row.value(8).toInt(), 1);

    QSqlQuery log(db());
    log.prepare(QStringLiteral("select Operator, LogDetail, LogTime from G_Trade_Log where TradeID=?"));
    log.addBindValue(id);
    QVERIFY(log.exec() && log.next());
    QCOMPARE(log.value(0).toString(), QStringLiteral("operator"));
    QCOMPARE(log.value(1).toString(), detail);
    QCOMPARE(log.value(2).toString(), sent);
    QVERIFY(!log.next());

    // A trade is closed once.
    const QString closed = snapshot();
    QCOMPARE(tradeOver(db(), id, packer, package, weight + 100, postage + 1, QStringLiteral("operator")),
             QStringLiteral("订单已发货"));
    QCOMPARE(snapshot(), closed);
}

void TestEmbeddedProcedures::refusedTradeOverChangesNothing_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("tradeId"); // empty: the trade made for the row
    QTest::addColumn<int>("weight");
    QTest::addColumn<double>("postage");
    QTest::addColumn<QString>("expected");

    for (int status : {1, 2, 3, 4, 6, 7, 11}) {
        QTest::addRow("status %d", status)
            << status << QString() << 1000 << 10.0 << QStringLiteral("订单状态错误");
    }
    QTest::newRow("already shipped") << 8 << QString() << 1000 << 10.0 << QStringLiteral("订单已发货");
    QTest::newRow("missing") << 5 << QStringLiteral("987654") << 1000 << 10.0 << QStringLiteral("订单不存在");
    QTest::newRow("not a key") << 5 << QStringLiteral("T2024') --") << 1000 << 10.0
                               << QStringLiteral("订单不存在");
    QTest::newRow("negative weight") << 5 << QString() << -1 << 10.0 << QStringLiteral("包裹重量错误");
    QTest::newRow("negative postage") << 5 << QString() << 1000 << -0.5 << QStringLiteral("邮资错误");
    QTest::newRow("postage not a number")
        << 5 << QString() << 1000 << std::numeric_limits<double>::quiet_NaN() << QStringLiteral("邮资错误");
    QTest::newRow("endless postage") << 5 << QString() << 1000 << std::numeric_limits<double>::infinity()
                                     << QStringLiteral("邮资错误");
}

void TestEmbeddedProcedures::refusedTradeOverChangesNothing()
{
    QFETCH(int, status);
    QFETCH(QString, tradeId);
    QFETCH(int, weight);
    QFETCH(double, postage);
    QFETCH(QString, expected);

    const QString made = addTrade(status, true, {GoodsLine{m_plain.goodsId, 0, 1}});
    const QString before = snapshot();
    QCOMPARE(tradeOver(db(), tradeId.isEmpty() ? made : tradeId, QStringLiteral("赵磊"),
                       QStringLiteral("小号纸箱"), weight, postage, QStringLiteral("operator")),
             expected);
    QCOMPARE(snapshot(), before);
}

void TestEmbeddedProcedures::chineseAndQuotesRoundTrip()
{
    const QString id = addTrade(5, false, {GoodsLine{m_plain.goodsId, 0, 1}});
    setStock(m_plain, 3);
    const QString packer = QStringLiteral("欧阳'小'明");
    const QString package = QStringLiteral("小号纸箱\"加固\"");
    const QString operatorName = QStringLiteral("O'Neil 王");
    QString error;
    QVERIFY2(tradeStockOut(db(), id, operatorName, &error), qPrintable(error));
    QCOMPARE(tradeOver(db(), id, packer, package, 512, 9.5, operatorName), QStringLiteral("1"));
    QCOMPARE(scalar(QStringLiteral("select Packer from G_Trade_TradeList where TradeID=?"), {id}).toString(),
             packer);
    QCOMPARE(
        scalar(QStringLiteral("select PackageName from G_Trade_TradeList where TradeID=?"), {id}).toString(),
        package);
    QCOMPARE(
        scalar(QStringLiteral("select SndOperator from G_Trade_TradeList where TradeID=?"), {id}).toString(),
        packer);
    QCOMPARE(scalar(QStringLiteral("select count(*) from G_Trade_Log where TradeID=? and Operator=?"),
                    {id, operatorName})
                 .toInt(),
             2);
}

void TestEmbeddedProcedures::insideCallersTransaction()
{
    const QString id = addTrade(5, false, {GoodsLine{m_spec.goodsId, m_spec.specId, 2}});
    setStock(m_spec, 10);
    const QString before = snapshot();

    // Work done inside the caller's transaction goes with it when the caller rolls back.
    QVERIFY(db().transaction());
    QString error;
    QVERIFY2(tradeStockOut(db(), id, QStringLiteral("operator"), &error), qPrintable(error));
    QCOMPARE(tradeOver(db(), id, QString(), QString(), 700, 9, QStringLiteral("operator")),
             QStringLiteral("1"));
    QCOMPARE(stock(m_spec), qint64(8));
    QVERIFY(db().rollback());
    QCOMPARE(snapshot(), before);

    // A procedure failing after its first write inside the caller's transaction takes back its own
    // work only; the caller's earlier write stays and commits.
    QVERIFY(db().transaction());
    exec(QStringLiteral("update G_Trade_TradeList set Picker='赵磊' where TradeID=?"), {id});
    exec(QStringLiteral("create trigger refuse_log before insert on G_Trade_Log "
                        "begin select raise(abort, 'log refused'); end"));
    QVERIFY(!tradeStockOut(db(), id, QStringLiteral("operator"), &error));
    exec(QStringLiteral("drop trigger refuse_log"));
    QVERIFY(db().commit());
    QCOMPARE(scalar(QStringLiteral("select Picker from G_Trade_TradeList where TradeID=?"), {id}).toString(),
             QStringLiteral("赵磊"));
    QCOMPARE(scalar(QStringLiteral("select bStockOut from G_Trade_TradeList where TradeID=?"), {id}).toInt(),
             0);
    QCOMPARE(stock(m_spec), qint64(10));
}

void TestEmbeddedProcedures::secondStationSeesTheShipAndCanWrite()
{
    const QString first = addTrade(5, true, {GoodsLine{m_plain.goodsId, 0, 1}});
    const QString second = addTrade(5, true, {GoodsLine{m_plain.goodsId, 0, 1}});
    QCOMPARE(tradeOver(db(), first, QString(), QString(), 900, 10, QStringLiteral("operator")),
             QStringLiteral("1"));

    // Another station on the same file: the ship is committed and no lock is left behind.
    SqlConnection station(QStringLiteral("QSQLITE"), QStringLiteral("second-station"));
    QString error;
    QVERIFY2(openSqliteFile(station, m_path, &error), qPrintable(error));
    QSqlQuery query(station.db());
    query.prepare(QStringLiteral("select TradeStatus from G_Trade_TradeList where TradeID=?"));
    query.addBindValue(first);
    QVERIFY(query.exec() && query.next());
    QCOMPARE(query.value(0).toInt(), 8);
    query.finish();
    QCOMPARE(tradeOver(station.db(), second, QString(), QString(), 900, 10, QStringLiteral("admin")),
             QStringLiteral("1"));
    QCOMPARE(tradeOver(station.db(), first, QString(), QString(), 900, 10, QStringLiteral("admin")),
             QStringLiteral("订单已发货"));
}

QTEST_GUILESS_MAIN(TestEmbeddedProcedures)
#include "TestEmbeddedProcedures.moc"
