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

QString databaseError(const QSqlError& error)
{
    return databaseError(error.text());
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

// Reads the trade's status; nullopt with *reason set when the trade is missing or the read failed.
std::optional<TradeState> readTrade(QSqlDatabase& db, qint64 key, QString* reason)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("select TradeStatus, bStockOut from G_Trade_TradeList where TradeID = ?"));
    query.addBindValue(key);
    if (!query.exec()) {
        *reason = databaseError(query.lastError());
        return std::nullopt;
    }
    if (!query.next()) {
        *reason = kTradeMissing;
        return std::nullopt;
    }
    return TradeState{query.value(0).toInt(), query.value(1).toInt() != 0};
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

// Everything the stock-out check demands, inside the caller's transaction: kOk and the demands, or
// the reason the stock cannot be taken out.
QString checkTrade(QSqlDatabase& db, const QString& tradeId, qint64* keyOut, QList<Demand>* demands)
{
    const std::optional<qint64> key = tradeKey(tradeId);
    if (!key) {
        return kTradeMissing;
    }
    *keyOut = *key;
    QString reason;
    const std::optional<TradeState> trade = readTrade(db, *key, &reason);
    if (!trade) {
        return reason;
    }
    if (trade->status != kStatusReadyToShip) {
        return kWrongStatus;
    }
    if (trade->stockedOut) {
        return kStockedOut;
    }

    // Lines of the same variant are added up: stock must cover the trade as a whole.
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("select l.GoodsID, l.SpecID, sum(l.SellCount), min(l.SellCount), g.GoodsName, "
                       "case when l.SpecID = 0 then g.GoodsSpec else s.SpecName end, coalesce(st.Stock, 0) "
                       "from G_Trade_GoodsList l "
                       "left join G_Goods_GoodsList g on g.GoodsID = l.GoodsID "
                       "left join G_Goods_GoodsSpec s on s.SpecID = l.SpecID "
                       "left join G_Stock_Spec st on st.GoodsID = l.GoodsID and st.SpecID = l.SpecID "
                       "where l.TradeID = ? group by l.GoodsID, l.SpecID order by min(l.RecID)"));
    query.addBindValue(*key);
    if (!query.exec()) {
        return databaseError(query.lastError());
    }
    while (query.next()) {
        const qint64 count = query.value(2).toLongLong();
        const QString label = goodsLabel(query.value(4), query.value(5), query.value(0));
        // A negative quantity would put stock back; the order system never sells those.
        if (query.value(3).toLongLong() < 0) {
            return QStringLiteral("货品数量错误:") + label;
        }
        if (count > query.value(6).toLongLong()) {
            return QStringLiteral("库存不足:") + label;
        }
        demands->append(Demand{query.value(0).toLongLong(), query.value(1).toLongLong(), count});
    }
    return kOk;
}

bool insertLog(QSqlDatabase& db, qint64 key, const QString& operatorName, const QString& detail,
               const QString& time, QString* error)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("insert into G_Trade_Log (TradeID, Operator, LogDetail, LogTime) "
                                 "values (?, ?, ?, ?)"));
    query.addBindValue(key);
    query.addBindValue(operatorName);
    query.addBindValue(detail);
    query.addBindValue(time);
    if (!query.exec()) {
        *error = databaseError(query.lastError());
        return false;
    }
    return true;
}

} // namespace

QString tradeStockOutCheck(QSqlDatabase& db, const QString& tradeId)
{
    Transaction transaction(db, Transaction::Lock::Immediate);
    QString error;
    if (!transaction.isOpen()) {
        return databaseError(transaction.beginError());
    }
    qint64 key = 0;
    QList<Demand> demands;
    const QString result = checkTrade(db, tradeId, &key, &demands);
    if (result != kOk) {
        return result;
    }
    if (!transaction.commit(&error)) {
        return databaseError(error);
    }
    return kOk;
}

bool tradeStockOut(QSqlDatabase& db, const QString& tradeId, const QString& operatorName, QString* error)
{
    QString reason;
    Transaction transaction(db, Transaction::Lock::Immediate);
    if (!transaction.isOpen()) {
        *error = databaseError(transaction.beginError());
        return false;
    }
    qint64 key = 0;
    QList<Demand> demands;
    reason = checkTrade(db, tradeId, &key, &demands);
    if (reason != kOk) {
        *error = reason;
        return false;
    }

    QSqlQuery lower(db);
    lower.prepare(
        QStringLiteral("update G_Stock_Spec set Stock = Stock - ? where GoodsID = ? and SpecID = ?"));
    for (const Demand& demand : demands) {
        if (demand.count == 0) {
            continue;
        }
        lower.bindValue(0, demand.count);
        lower.bindValue(1, demand.goodsId);
        lower.bindValue(2, demand.specId);
        if (!lower.exec()) {
            *error = databaseError(lower.lastError());
            return false;
        }
        if (lower.numRowsAffected() != 1) {
            *error = QStringLiteral("库存记录不存在:货品") + QString::number(demand.goodsId);
            return false;
        }
    }

    QSqlQuery mark(db);
    mark.prepare(QStringLiteral("update G_Trade_TradeList set bStockOut = 1 where TradeID = ?"));
    mark.addBindValue(key);
    if (!mark.exec()) {
        *error = databaseError(mark.lastError());
        return false;
    }
    if (!insertLog(db, key, operatorName, QStringLiteral("订单出库"), nowText(), error)) {
        return false;
    }
    if (!transaction.commit(error)) {
        *error = databaseError(*error);
        return false;
    }
    return true;
}

QString tradeOver(QSqlDatabase& db, const QString& tradeId, const QString& packer, const QString& package,
                  int weightGrams, double postage, const QString& operatorName)
{
    // Values that would corrupt the trade's totals are refused before anything is touched.
    if (weightGrams < 0) {
        return QStringLiteral("包裹重量错误");
    }
    if (!std::isfinite(postage) || postage < 0) {
        return QStringLiteral("邮资错误");
    }
    const std::optional<qint64> key = tradeKey(tradeId);
    if (!key) {
        return kTradeMissing;
    }

    Transaction transaction(db, Transaction::Lock::Immediate);
    QString error;
    if (!transaction.isOpen()) {
        return databaseError(transaction.beginError());
    }
    const std::optional<TradeState> trade = readTrade(db, *key, &error);
    if (!trade) {
        return error;
    }
    if (trade->status == kStatusShipped) {
        return kShipped;
    }
    if (trade->status != kStatusReadyToShip) {
        return kWrongStatus;
    }

    const QString now = nowText();
    QSqlQuery close(db);
    close.prepare(QStringLiteral(
        "update G_Trade_TradeList set TradeStatus = ?, PackagedWeight = ?, Postage = ?, Packer = ?, "
        "PackageName = ?, SndOperator = ?, SndTime = ? where TradeID = ? and TradeStatus = ?"));
    close.addBindValue(kStatusShipped);
    close.addBindValue(weightGrams);
    close.addBindValue(postage);
    close.addBindValue(packer);
    close.addBindValue(package);
    close.addBindValue(packer.isEmpty() ? operatorName : packer);
    close.addBindValue(now);
    close.addBindValue(*key);
    close.addBindValue(kStatusReadyToShip);
    if (!close.exec()) {
        return databaseError(close.lastError());
    }
    if (close.numRowsAffected() != 1) {
        return kWrongStatus;
    }

    const QString detail = QStringLiteral("订单发货,包裹重量%1克,邮资%2元")
                               .arg(weightGrams)
                               .arg(QString::number(postage, 'g', QLocale::FloatingPointShortest));
    if (!insertLog(db, *key, operatorName, detail, now, &error)) {
        return error;
    }
    if (!transaction.commit(&error)) {
        return databaseError(error);
    }
    return kOk;
}

} // namespace EmbeddedProcedures
