#include "TempDataFolder.h"

#include "store/DemoOrderData.h"
#include "store/OrderDatabase.h"

#include <QDateTime>
#include <QSqlRecord>
#include <QTest>

#include <limits>
#include <memory>

namespace {

// Quotes and Chinese in every name the procedures store: values must reach the file unchanged.
const QString kOperator = QStringLiteral("O'Neil 王");
const QString kRefuseLog = QStringLiteral("create trigger refuse_log before insert on G_Trade_Log "
                                          "begin select raise(abort, 'log refused'); end");

struct GoodsLine
{
    qint64 goodsId;
    qint64 specId;
    int count;
    GoodsLine times(int n) const { return GoodsLine{goodsId, specId, n}; }
};

ServerSettings embedded(const QString& path)
{
    return ServerSettings{QString::fromLatin1(kEmbeddedPrefix) + path, {}, {}, {}};
}

} // namespace

// The procedures are carried out on a demo order database, reached as the station reaches it.
class TestEmbeddedProcedures : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void stockOut_data();
    void stockOut();
    void tradeOver_data();
    void tradeOver();
    void databaseFailureInsideProcedure_data();
    void databaseFailureInsideProcedure();
    void insideCallersTransaction();
    void secondStationSeesTheShip();

private:
    // The columns of the statement's first row, as texts.
    QStringList values(const QString& sql, const QVariantList& binds = {})
    {
        QStringList texts;
        if (auto query = m_orders->select(sql, binds); query && query->next()) {
            for (int i = 0; i < query->record().count(); ++i) {
                texts << query->value(i).toString();
            }
        }
        return texts;
    }
    QString scalar(const QString& sql, const QVariantList& binds = {}) { return values(sql, binds).value(0); }
    void exec(const QString& sql, const QVariantList& binds = {})
    {
        QVERIFY2(m_orders->execute(sql, binds), qPrintable(m_orders->lastError()));
    }
    QString addTrade(int status, bool stockedOut, const QList<GoodsLine>& lines);
    void setStock(const GoodsLine& line, qint64 value)
    {
        exec("update G_Stock_Spec set Stock=? where GoodsID=? and SpecID=?",
             {value, line.goodsId, line.specId});
    }
    qint64 stock(const GoodsLine& line)
    {
        return scalar("select Stock from G_Stock_Spec where GoodsID=? and SpecID=?",
                      {line.goodsId, line.specId})
            .toLongLong();
    }
    // Everything a procedure may touch, as one text: equal snapshots mean nothing changed.
    QString snapshot();

    std::unique_ptr<OrderDatabase> m_orders;
    std::unique_ptr<TempDataFolder> m_folder;
    QString m_path;
    // A goods with variants and one without, both from the demo catalogue.
    GoodsLine m_spec{0, 0, 1};
    GoodsLine m_plain{0, 0, 1};
};

void TestEmbeddedProcedures::init()
{
    m_orders.reset();
    m_folder = std::make_unique<TempDataFolder>();
    m_path = m_folder->file(QStringLiteral("orders.db"));
    DemoOrderOptions options;
    options.trades = 60;
    QString error;
    QVERIFY2(createDemoOrderDatabase(m_path, options, &error), qPrintable(error));
    m_orders = std::make_unique<OrderDatabase>();
    QVERIFY2(m_orders->open(embedded(m_path), QString(), &error), qPrintable(error));

    const QStringList spec = values("select GoodsID, SpecID from G_Goods_GoodsSpec limit 1");
    QCOMPARE(spec.size(), 2);
    m_spec = GoodsLine{spec.at(0).toLongLong(), spec.at(1).toLongLong(), 1};
    m_plain =
        GoodsLine{scalar("select min(GoodsID) from G_Goods_GoodsList where bMultiSpec=0").toLongLong(), 0, 1};
}

QString TestEmbeddedProcedures::addTrade(int status, bool stockedOut, const QList<GoodsLine>& lines)
{
    const QString id = scalar("select max(TradeID) + 1 from G_Trade_TradeList");
    exec(
        "insert into G_Trade_TradeList (TradeID, TradeNO, PostID, SndTo, TradeStatus, bStockOut, LogisticID, "
        "ShopID, CustomerID) values (?, ?, ?, '测试', ?, ?, 1, 1, 1)",
        {id, "TTEST" + id, "YTTEST" + id, status, stockedOut ? 1 : 0});
    for (const GoodsLine& line : lines) {
        exec("insert into G_Trade_GoodsList (TradeID, GoodsID, SpecID, SellCount, Unit) values (?, ?, ?, ?, "
             "'件')",
             {id, line.goodsId, line.specId, line.count});
    }
    return id;
}

QString TestEmbeddedProcedures::snapshot()
{
    QString text;
    for (const char* table : {"G_Stock_Spec", "G_Trade_TradeList", "G_Trade_Log"}) {
        auto query =
            m_orders->select(QStringLiteral("select * from %1 order by 1, 2").arg(QLatin1String(table)));
        if (!query) {
            return m_orders->lastError();
        }
        while (query->next()) {
            for (int i = 0; i < query->record().count(); ++i) {
                text += query->value(i).toString() + QLatin1Char('|');
            }
            text += QLatin1Char('\n');
        }
    }
    return text;
}

void TestEmbeddedProcedures::stockOut_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("stockedOut");
    QTest::addColumn<int>("specStock");
    QTest::addColumn<int>("plainStock");
    QTest::addColumn<int>("plainCount");
    QTest::addColumn<QString>("tradeId");  // empty: the trade made for the row
    QTest::addColumn<QString>("expected"); // <spec> and <plain> stand for the name of that goods
    const auto row = [](const char* tag, int status, bool stockedOut, int specStock, int plainStock,
                        int plainCount, const char* expected, const char* tradeId = "") {
        QTest::newRow(tag) << status << stockedOut << specStock << plainStock << plainCount
                           << QString(tradeId) << QString::fromUtf8(expected);
    };
    row("ready", 5, false, 10, 50, 1, "1");
    row("stock exactly covers", 5, false, 5, 3, 3, "1");
    // Each line alone would fit; their sum does not.
    row("lines of a variant add up", 5, false, 4, 50, 1, "库存不足:<spec>");
    row("second goods short", 5, false, 10, 2, 3, "库存不足:<plain>");
    row("negative quantity", 5, false, 10, 50, -1, "货品数量错误:<plain>");
    row("stocked out", 5, true, 10, 50, 1, "订单已出库");
    row("not ready", 6, false, 10, 50, 1, "订单状态错误");
    row("shipped and stocked out", 8, true, 10, 50, 1, "订单状态错误");
    row("missing", 5, false, 10, 50, 1, "订单不存在", "987654");
    row("not a key", 5, false, 10, 50, 1, "订单不存在", "1' or '1'='1");
}

void TestEmbeddedProcedures::stockOut()
{
    QFETCH(int, status);
    QFETCH(bool, stockedOut);
    QFETCH(int, specStock);
    QFETCH(int, plainStock);
    QFETCH(int, plainCount);
    QFETCH(QString, tradeId);
    QFETCH(QString, expected);

    // The goods with variants is asked for 5 over two lines.
    const QString made =
        addTrade(status, stockedOut, {m_spec.times(2), m_plain.times(plainCount), m_spec.times(3)});
    const QString id = tradeId.isEmpty() ? made : tradeId;
    setStock(m_spec, specStock);
    setStock(m_plain, plainStock);
    // The message names the goods by its name and its variant's (or its own variant text).
    const QString label =
        "select g.GoodsName || ' ' || coalesce(s.SpecName, g.GoodsSpec) from G_Goods_GoodsList g "
        "left join G_Goods_GoodsSpec s on s.SpecID=? where g.GoodsID=?";
    expected.replace("<spec>", scalar(label, {m_spec.specId, m_spec.goodsId}));
    expected.replace("<plain>", scalar(label, {0, m_plain.goodsId}));
    const qint64 totalStock = scalar("select sum(Stock) from G_Stock_Spec").toLongLong();
    const QString before = snapshot();

    const OrderDatabase::ProcedureResult check = m_orders->tradeStockOutCheck(id);
    QVERIFY(check.ran);
    QCOMPARE(check.result, expected);
    QCOMPARE(snapshot(), before);

    const bool out = m_orders->tradeStockOut(id, kOperator);
    QCOMPARE(out, expected == QLatin1String("1"));
    if (!out) {
        QCOMPARE(m_orders->lastError(), expected);
        QCOMPARE(snapshot(), before);
        return;
    }
    QCOMPARE(stock(m_spec), qint64(specStock - 5));
    QCOMPARE(stock(m_plain), qint64(plainStock - plainCount));
    QCOMPARE(
        values("select TradeStatus, bStockOut, Operator, LogDetail, (select sum(Stock) from G_Stock_Spec) "
               "from G_Trade_TradeList t join G_Trade_Log l on l.TradeID = t.TradeID where t.TradeID=?",
               {id}),
        QStringList({"5", "1", kOperator, "订单出库", QString::number(totalStock - 5 - plainCount)}));

    // Taking the stock out twice would count the goods twice.
    const QString done = snapshot();
    QVERIFY(!m_orders->tradeStockOut(id, kOperator));
    QCOMPARE(m_orders->lastError(), QStringLiteral("订单已出库"));
    QCOMPARE(snapshot(), done);
}

void TestEmbeddedProcedures::tradeOver_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("tradeId"); // empty: the trade made for the row
    QTest::addColumn<QString>("packer");
    QTest::addColumn<QString>("package");
    QTest::addColumn<int>("weight");
    QTest::addColumn<double>("postage");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("sender"); // who must stand in SndOperator
    QTest::addColumn<QString>("detail"); // of the log line
    const auto shipped = [](const char* tag, const QString& packer, const QString& package, int weight,
                            double postage, const QString& sender, const QString& detail) {
        QTest::newRow(tag) << 5 << QString() << packer << package << weight << postage << QStringLiteral("1")
                           << sender << detail;
    };
    const auto refused = [](const char* tag, int status, const QString& tradeId, int weight, double postage,
                            const QString& result) {
        QTest::newRow(tag) << status << tradeId << QStringLiteral("赵磊") << QStringLiteral("小号纸箱")
                           << weight << postage << result << QString() << QString();
    };
    shipped("packer ships", "欧阳'小'明", "小号纸箱\"加固\"", 1250, 12.5, "欧阳'小'明",
            "订单发货,包裹重量1250克,邮资12.5元");
    shipped("no packer, nothing weighed, free", "", "", 0, 0, kOperator, "订单发货,包裹重量0克,邮资0元");
    refused("not ready", 6, "", 1000, 10, "订单状态错误");
    refused("already shipped", 8, "", 1000, 10, "订单已发货");
    refused("missing", 5, "987654", 1000, 10, "订单不存在");
    refused("not a key", 5, "T2024') --", 1000, 10, "订单不存在");
    refused("negative weight", 5, "", -1, 10, "包裹重量错误");
    refused("negative postage", 5, "", 1000, -0.5, "邮资错误");
    refused("postage not a number", 5, "", 1000, std::numeric_limits<double>::quiet_NaN(), "邮资错误");
}

void TestEmbeddedProcedures::tradeOver()
{
    QFETCH(int, status);
    QFETCH(QString, tradeId);
    QFETCH(QString, packer);
    QFETCH(QString, package);
    QFETCH(int, weight);
    QFETCH(double, postage);
    QFETCH(QString, result);
    QFETCH(QString, sender);
    QFETCH(QString, detail);

    const QString made = addTrade(status, true, {m_plain});
    const QString id = tradeId.isEmpty() ? made : tradeId;
    const QString before = snapshot();
    const QDateTime start = QDateTime::currentDateTime().addSecs(-1);
    const OrderDatabase::ProcedureResult over =
        m_orders->tradeOver(id, packer, package, weight, postage, kOperator);
    QVERIFY(over.ran);
    QCOMPARE(over.result, result);
    if (result != QLatin1String("1")) {
        QCOMPARE(snapshot(), before);
        return;
    }
    // One log line, at the ship time, which the file's date functions read.
    QCOMPARE(
        values("select TradeStatus, PackagedWeight, Postage, Packer, PackageName, SndOperator, LogDetail, "
               "Operator, datetime(SndTime) = SndTime and LogTime = SndTime, (select count(*) from "
               "G_Trade_Log where TradeID = t.TradeID) from G_Trade_TradeList t join G_Trade_Log l on "
               "l.TradeID = t.TradeID where t.TradeID=?",
               {id}),
        QStringList({"8", QString::number(weight), QString::number(postage), packer, package, sender, detail,
                     kOperator, "1", "1"}));
    const QString sent = scalar("select SndTime from G_Trade_TradeList where TradeID=?", {id});
    const QDateTime sentTime = QDateTime::fromString(sent, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QVERIFY2(sentTime >= start && sentTime <= QDateTime::currentDateTime().addSecs(1), qPrintable(sent));

    // A trade is closed once.
    const QString closed = snapshot();
    QCOMPARE(m_orders->tradeOver(id, packer, package, weight + 100, postage + 1, kOperator).result,
             QStringLiteral("订单已发货"));
    QCOMPARE(snapshot(), closed);
}

void TestEmbeddedProcedures::databaseFailureInsideProcedure_data()
{
    QTest::addColumn<QString>("procedure");
    QTest::addColumn<QString>("breakage");
    QTest::addColumn<QString>("repair");
    QTest::addColumn<QString>("reason");
    QTest::newRow("check: stock unreadable")
        << "check" << QStringLiteral("alter table G_Stock_Spec rename column Stock to Quantity")
        << QStringLiteral("alter table G_Stock_Spec rename column Quantity to Stock") << "Stock";
    // The log line is each writing procedure's last write: refusing it fails the procedure after its
    // stock and trade updates have run.
    QTest::newRow("stock-out: log refused") << "stock-out" << kRefuseLog << "drop trigger refuse_log"
                                            << "log refused";
    QTest::newRow("trade over: log refused") << "over" << kRefuseLog << "drop trigger refuse_log"
                                             << "log refused";
}

void TestEmbeddedProcedures::databaseFailureInsideProcedure()
{
    QFETCH(QString, procedure);
    QFETCH(QString, breakage);
    QFETCH(QString, repair);
    QFETCH(QString, reason);

    const QString id = addTrade(5, false, {m_spec.times(2)});
    setStock(m_spec, 10);
    const QString before = snapshot();
    exec(breakage);

    // The station shows a procedure that did not run as the procedure's failure, never the
    // database's words as if they were the procedure's answer.
    OrderDatabase::ProcedureResult outcome;
    if (procedure == QLatin1String("check")) {
        outcome = m_orders->tradeStockOutCheck(id);
    } else if (procedure == QLatin1String("over")) {
        outcome = m_orders->tradeOver(id, QString(), QString(), 800, 10, kOperator);
    } else {
        outcome.ran = m_orders->tradeStockOut(id, kOperator);
        outcome.error = m_orders->lastError();
    }
    QVERIFY(!outcome.ran);
    QVERIFY(outcome.result.isEmpty());
    QVERIFY2(outcome.error.contains(reason), qPrintable(outcome.error));
    QVERIFY(!m_orders->connectionLost());
    QCOMPARE(snapshot(), before);

    // No transaction is left open behind the failure: the next procedure works and stays.
    exec(repair);
    QCOMPARE(m_orders->tradeStockOutCheck(id).result, QStringLiteral("1"));
    QCOMPARE(m_orders->tradeOver(id, QString(), QString(), 800, 10, kOperator).result, QStringLiteral("1"));
}

void TestEmbeddedProcedures::insideCallersTransaction()
{
    const QString id = addTrade(5, false, {m_spec.times(2)});
    setStock(m_spec, 10);
    const QString before = snapshot();

    // Work done inside the caller's transaction goes with it when the caller rolls back.
    QVERIFY(m_orders->db().transaction());
    QVERIFY2(m_orders->tradeStockOut(id, kOperator), qPrintable(m_orders->lastError()));
    QCOMPARE(m_orders->tradeOver(id, QString(), QString(), 700, 9, kOperator).result, QStringLiteral("1"));
    QCOMPARE(stock(m_spec), qint64(8));
    QVERIFY(m_orders->db().rollback());
    QCOMPARE(snapshot(), before);

    // A procedure failing inside the caller's transaction takes back its own work only; the
    // caller's earlier write stays and commits.
    QVERIFY(m_orders->db().transaction());
    exec("update G_Trade_TradeList set Picker='赵磊' where TradeID=?", {id});
    exec(kRefuseLog);
    QVERIFY(!m_orders->tradeStockOut(id, kOperator));
    exec("drop trigger refuse_log");
    QVERIFY(m_orders->db().commit());
    QCOMPARE(values("select Picker, bStockOut from G_Trade_TradeList where TradeID=?", {id}),
             QStringList({"赵磊", "0"}));
    QCOMPARE(stock(m_spec), qint64(10));
}

void TestEmbeddedProcedures::secondStationSeesTheShip()
{
    const QString first = addTrade(5, true, {m_plain});
    const QString second = addTrade(5, true, {m_plain});
    QCOMPARE(m_orders->tradeOver(first, QString(), QString(), 900, 10, kOperator).result,
             QStringLiteral("1"));

    // Another station on the same file: the ship is committed and no lock is left behind.
    OrderDatabase station;
    QString error;
    QVERIFY2(station.open(embedded(m_path), QString(), &error), qPrintable(error));
    QCOMPARE(station.tradeOver(second, QString(), QString(), 900, 10, kOperator).result, QStringLiteral("1"));
    QCOMPARE(station.tradeOver(first, QString(), QString(), 900, 10, kOperator).result,
             QStringLiteral("订单已发货"));
}

QTEST_GUILESS_MAIN(TestEmbeddedProcedures)
#include "TestEmbeddedProcedures.moc"
