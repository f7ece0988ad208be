#include "store/EmbeddedProcedures.h"

#include "base/Transaction.h"

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cmath>
#include <optional>

namespace EmbeddedProcedures {
namespace {

const QString kOk = QStringLiteral("1");
const QString kTradeMissing = QStringLiteral("订单不存在");
const QString kWrongStatus = QStringLiteral("订单状态错误");
const QString kStockedOut = QStringLiteral("订单已出库");
const QString kShipped = QStringLiteral("订单已发货");

QString databaseError(const QString& text)
{
    return QStringLiteral("数据库错误:") + text;
}

// Prepares and runs one statement with its values bound in order; false with the database's reason.
bool run(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    if (query.prepare(sql)) {
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        if (query.exec()) {
            return true;
        }
    }
    *error = query.lastError().text();
    return false;
}

QString nowText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The trade key is handled as text by callers; the embedded store keys trades by integer. Text that
// is no number names no trade.
std::optional<qint64> tradeKey(const QString& tradeId)
{
    bool ok = false;
    const qint64 key = tradeId.trimmed().toLongLong(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return key;
}

struct TradeState
{
    int status = 0;
    bool stockedOut = false;
};

// Reads the trade's status into *trade, left empty when the trade is missing; false with the
// database's reason in *error when the read failed.
bool readTrade(QSqlDatabase& db, qint64 key, std::optional<TradeState>* trade, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("select TradeStatus, bStockOut from G_Trade_TradeList where TradeID = ?"),
             {key}, error)) {
        return false;
    }
    if (query.next()) {
        *trade = TradeState{query.value(0).toInt(), query.value(1).toInt() != 0};
    }
    return true;
}

// One goods variant the trade takes out, its lines added up.
struct Demand
{
    qint64 goodsId = 0;
    qint64 specId = 0;
    qint64 count = 0;
};

QString goodsLabel(const QVariant& goodsName, const QVariant& specText, const QVariant& goodsId)
{
    QString label = goodsName.isNull() ? QStringLiteral("货品") + goodsId.toString() : goodsName.toString();
    const QString spec = specText.toString();
    if (!spec.isEmpty()) {
        label += QLatin1Char(' ') + spec;
    }
    return label;
}

// Everything the stock-out check demands, inside the caller's transaction: *result is kOk with the
// demands, or the reason the stock cannot be taken out. False (*error) when the database failed.
bool checkTrade(QSqlDatabase& db, const QString& tradeId, qint64* keyOut, QList<Demand>* demands,
                QString* result, QString* error)
{
    result->clear();
    const std::optional<qint64> key = tradeKey(tradeId);
    if (!key) {
        *result = kTradeMissing;
        return true;
    }
    *keyOut = *key;
    std::optional<TradeState> trade;
    if (!readTrade(db, *key, &trade, error)) {
        return false;
    }
    if (!trade) {
        *result = kTradeMissing;
    } else if (trade->status != kStatusReadyToShip) {
        *result = kWrongStatus;
    } else if (trade->stockedOut) {
        *result = kStockedOut;
    }
    if (!result->isEmpty()) {
        return true;
    }

    // Lines of the same variant are added up: stock must cover the trade as a whole.
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral(
                 "select l.GoodsID, l.SpecID, sum(l.SellCount), min(l.SellCount), g.GoodsName, "
                 "case when l.SpecID = 0 then g.GoodsSpec else s.SpecName end, coalesce(st.Stock, 0) "
                 "from G_Trade_GoodsList l "
                 "left join G_Goods_GoodsList g on g.GoodsID = l.GoodsID "
                 "left join G_Goods_GoodsSpec s on s.SpecID = l.SpecID "
                 "left join G_Stock_Spec st on st.GoodsID = l.GoodsID and st.SpecID = l.SpecID "
                 "where l.TradeID = ? group by l.GoodsID, l.SpecID order by min(l.RecID)"),
             {*key}, error)) {
        return false;
    }
    while (query.next()) {
        const qint64 count = query.value(2).toLongLong();
        const QString label = goodsLabel(query.value(4), query.value(5), query.value(0));
        // A negative quantity would put stock back; the order system never sells those.
        if (query.value(3).toLongLong() < 0) {
            *result = QStringLiteral("货品数量错误:") + label;
            return true;
        }
        if (count > query.value(6).toLongLong()) {
            *result = QStringLiteral("库存不足:") + label;
            return true;
        }
        demands->append(Demand{query.value(0).toLongLong(), query.value(1).toLongLong(), count});
    }
    *result = kOk;
    return true;
}

bool insertLog(QSqlDatabase& db, qint64 key, const QString& operatorName, const QString& detail,
               const QString& time, QString* error)
{
    QSqlQuery query(db);
    return run(
        query,
        QStringLiteral("insert into G_Trade_Log (TradeID, Operator, LogDetail, LogTime) values (?, ?, ?, ?)"),
        {key, operatorName, detail, time}, error);
}

} // namespace

bool tradeStockOutCheck(QSqlDatabase& db, const QString& tradeId, QString* result, QString* error)
{
    Transaction transaction(db, Transaction::Lock::Immediate);
    if (!transaction.isOpen()) {
        *error = transaction.beginError();
        return false;
    }
    qint64 key = 0;
    QList<Demand> demands;
    if (!checkTrade(db, tradeId, &key, &demands, result, error)) {
        return false;
    }
    if (*result == kOk && !transaction.commit(error)) {
        result->clear();
        return false;
    }
    return true;
}

bool tradeStockOut(QSqlDatabase& db, const QString& tradeId, const QString& operatorName, QString* error)
{
    // Refusals stand as they are; the database's own failures are headed as such.
    const auto failed = [error] {
        *error = databaseError(*error);
        return false;
    };
    Transaction transaction(db, Transaction::Lock::Immediate);
    if (!transaction.isOpen()) {
        *error = transaction.beginError();
        return failed();
    }
    qint64 key = 0;
    QList<Demand> demands;
    QString result;
    if (!checkTrade(db, tradeId, &key, &demands, &result, error)) {
        return failed();
    }
    if (result != kOk) {
        *error = result;
        return false;
    }

    QSqlQuery query(db);
    for (const Demand& demand : demands) {
        if (demand.count == 0) {
            continue;
        }
        if (!run(query,
                 QStringLiteral("update G_Stock_Spec set Stock = Stock - ? where GoodsID = ? and SpecID = ?"),
                 {demand.count, demand.goodsId, demand.specId}, error)) {
            return failed();
        }
        if (query.numRowsAffected() != 1) {
            *error = QStringLiteral("库存记录不存在:货品") + QString::number(demand.goodsId);
            return false;
        }
    }
    if (!run(query, QStringLiteral("update G_Trade_TradeList set bStockOut = 1 where TradeID = ?"), {key},
             error)) {
        return failed();
    }
    if (!insertLog(db, key, operatorName, QStringLiteral("订单出库"), nowText(), error) ||
        !transaction.commit(error)) {
        return failed();
    }
    return true;
}

QString tradeOverValueRefusal(int weightGrams, double postage)
{
    if (weightGrams < 0) {
        return QStringLiteral("包裹重量错误");
    }
    if (!std::isfinite(postage) || postage < 0) {
        return QStringLiteral("邮资错误");
    }
    return QString();
}

bool tradeOver(QSqlDatabase& db, const QString& tradeId, const QString& packer, const QString& package,
               int weightGrams, double postage, const QString& operatorName, QString* result, QString* error)
{
    // Values that would corrupt the trade's totals are refused before anything is touched.
    *result = tradeOverValueRefusal(weightGrams, postage);
    const std::optional<qint64> key = tradeKey(tradeId);
    if (result->isEmpty() && !key) {
        *result = kTradeMissing;
    }
    if (!result->isEmpty()) {
        return true;
    }

    Transaction transaction(db, Transaction::Lock::Immediate);
    if (!transaction.isOpen()) {
        *error = transaction.beginError();
        return false;
    }
    std::optional<TradeState> trade;
    if (!readTrade(db, *key, &trade, error)) {
        return false;
    }
    if (!trade) {
        *result = kTradeMissing;
        return true;
    }
    if (trade->status != kStatusReadyToShip) {
        *result = trade->status == kStatusShipped ? kShipped : kWrongStatus;
        return true;
    }

    const QString now = nowText();
    QSqlQuery close(db);
    if (!run(close,
             QStringLiteral("update G_Trade_TradeList set TradeStatus = ?, PackagedWeight = ?, Postage = ?, "
                            "Packer = ?, PackageName = ?, SndOperator = ?, SndTime = ? "
                            "where TradeID = ? and TradeStatus = ?"),
             {kStatusShipped, weightGrams, postage, packer, package, packer.isEmpty() ? operatorName : packer,
              now, *key, kStatusReadyToShip},
             error)) {
        return false;
    }
    if (close.numRowsAffected() != 1) {
        *result = kWrongStatus;
        return true;
    }

    const QString detail = QStringLiteral("订单发货,包裹重量%1克,邮资%2元")
                               .arg(weightGrams)
                               .arg(QString::number(postage, 'g', QLocale::FloatingPointShortest));
    if (!insertLog(db, *key, operatorName, detail, now, error) || !transaction.commit(error)) {
        return false;
    }
    *result = kOk;
    return true;
}

} // namespace EmbeddedProcedures
