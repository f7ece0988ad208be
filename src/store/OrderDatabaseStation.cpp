// The statements of the scan-and-ship station: trade lookup, goods list, expected weight, the
// picker and goods weight writes and the additional-waybill path. Values are always bound.
#include "store/OrderDatabase.h"

#include "base/Transaction.h"

#include <QSqlRecord>
#include <QVariant>

namespace {

// The columns every station lookup reads, in the order the order system's station has used them.
const char kTradeColumns[] =
    "select SndTo,TradeNick,Name,Province,City,Town,Adr,G_Trade_TradeList.Tel as Tel,TradeID,TradeNO,"
    "TradeStatus,bStockOut,CustomerRemark,G_Trade_TradeList.Remark as Remark,GoodsWeight";

const char kTradeTables[] = " from G_Trade_TradeList,G_Cfg_LogisticList "
                            "where G_Trade_TradeList.LogisticID=G_Cfg_LogisticList.LogisticID and ";

QString text(const QSqlRecord& query, const char* column)
{
    return query.value(QLatin1String(column)).toString();
}

OrderDatabase::StationTrade readTrade(const QSqlRecord& query, bool withTotals)
{
    OrderDatabase::StationTrade trade;
    trade.sndTo = text(query, "SndTo");
    trade.tradeNick = text(query, "TradeNick");
    trade.name = text(query, "Name");
    trade.province = text(query, "Province");
    trade.city = text(query, "City");
    trade.town = text(query, "Town");
    trade.adr = text(query, "Adr");
    trade.tel = text(query, "Tel");
    trade.tradeId = text(query, "TradeID");
    trade.tradeNo = text(query, "TradeNO");
    trade.tradeStatus = query.value(QStringLiteral("TradeStatus")).toInt();
    trade.stockOut = query.value(QStringLiteral("bStockOut")).toInt() != 0;
    trade.customerRemark = text(query, "CustomerRemark");
    trade.remark = text(query, "Remark");
    trade.goodsWeight = text(query, "GoodsWeight");
    if (withTotals) {
        trade.postId = text(query, "PostID");
        trade.packagedWeight = text(query, "PackagedWeight");
        trade.postage = text(query, "Postage");
    }
    return trade;
}

// A like pattern that finds the text literally: the escape character '\' goes before "\", "%",
// "_" and "[" (a character class on SQL Server).
QString literalLike(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size() + 8);
    for (const QChar c : value) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_') ||
            c == QLatin1Char('[')) {
            escaped += QLatin1Char('\\');
        }
        escaped += c;
    }
    return escaped;
}

} // namespace

bool OrderDatabase::findStationTrade(const QString& scan, bool byTradeNo, std::optional<StationTrade>* trade)
{
    trade->reset();
    const QString sql = QString::fromLatin1(kTradeColumns) + QString::fromLatin1(kTradeTables) +
                        (byTradeNo ? QStringLiteral("TradeNO=?") : QStringLiteral("PostID=?"));
    QList<QSqlRecord> found;
    if (!rows(sql, {scan}, &found)) {
        return false;
    }
    if (!found.isEmpty()) {
        *trade = readTrade(found.constFirst(), false);
    }
    return true;
}

bool OrderDatabase::findAdditionalWaybillTrade(const QString& scan,
                                               const std::function<bool(const StationTrade&)>& accept,
                                               std::optional<StationTrade>* trade)
{
    trade->reset();
    const QString sql =
        QString::fromLatin1(kTradeColumns) + QStringLiteral(",PostID,PackagedWeight,Postage") +
        QString::fromLatin1(kTradeTables) +
        QStringLiteral("G_Trade_TradeList.Remark like ? escape '\\' and (TradeStatus = '5' or TradeStatus = "
                       "'6' or TradeStatus = '7' or TradeStatus = '8' or TradeStatus = '11')");
    QList<QSqlRecord> found;
    if (!rows(sql, {QStringLiteral("%附加单号") + literalLike(scan) + QLatin1Char('%')}, &found)) {
        return false;
    }
    for (const QSqlRecord& row : std::as_const(found)) {
        StationTrade candidate = readTrade(row, true);
        if (accept(candidate)) {
            *trade = std::move(candidate);
            break;
        }
    }
    return true;
}

bool OrderDatabase::tradeGoodsLines(const QString& tradeId, QList<TradeGoodsLine>* lines)
{
    lines->clear();
    QList<QSqlRecord> found;
    if (!rows(QStringLiteral("select GoodsID,SpecID,SellCount,Unit from G_Trade_GoodsList where TradeID=?"),
              {tradeId}, &found)) {
        return false;
    }
    for (const QSqlRecord& row : std::as_const(found)) {
        lines->append({row.value(0).toString(), row.value(1).toString(), row.value(2).toString(),
                       row.value(3).toString()});
    }
    return true;
}

bool OrderDatabase::goodsRecord(const QString& goodsId, std::optional<GoodsRecord>* record)
{
    record->reset();
    QList<QSqlRecord> found;
    if (!rows(QStringLiteral("select GoodsName,Weight,GoodsSpec from G_Goods_GoodsList where GoodsID=?"),
              {goodsId}, &found)) {
        return false;
    }
    if (!found.isEmpty()) {
        const QSqlRecord& row = found.constFirst();
        *record = GoodsRecord{row.value(0).toString(), row.value(1).toString(), row.value(2).toString()};
    }
    return true;
}

bool OrderDatabase::goodsSpecName(const QString& specId, std::optional<QString>* specName)
{
    specName->reset();
    QList<QSqlRecord> found;
    if (!rows(QStringLiteral("select SpecName from G_Goods_GoodsSpec where SpecID=?"), {specId}, &found)) {
        return false;
    }
    if (!found.isEmpty()) {
        *specName = found.constFirst().value(0).toString();
    }
    return true;
}

bool OrderDatabase::packageWeight(const QString& packageName, std::optional<QString>* weight)
{
    weight->reset();
    QList<QSqlRecord> found;
    if (!rows(QStringLiteral("select PackageWeight  from G_Cfg_PackageList where PackageName=?"),
              {packageName}, &found)) {
        return false;
    }
    if (!found.isEmpty()) {
        *weight = found.constFirst().value(0).toString();
    }
    return true;
}

bool OrderDatabase::barcodeCheckSetting(QString* value)
{
    value->clear();
    QList<QSqlRecord> found;
    if (!rows(QStringLiteral("select * from G_Cfg_Sys where RecID=54"), {}, &found)) {
        return false;
    }
    if (!found.isEmpty()) {
        *value = found.constFirst().value(QStringLiteral("CfgValue")).toString();
    }
    return true;
}

OrderDatabase::GuardedWrite OrderDatabase::guardedUpdate(const QString& sql, const QVariantList& values)
{
    Outcome outcome;
    if (!run(sql, values, &outcome)) {
        return GuardedWrite::Failed;
    }
    return outcome.rowsAffected > 0 ? GuardedWrite::Written : GuardedWrite::Unchanged;
}

OrderDatabase::GuardedWrite OrderDatabase::setTradePicker(const QString& tradeId, const QString& picker)
{
    return guardedUpdate(
        QStringLiteral("update G_Trade_TradeList set Picker=? where TradeID=? and TradeStatus='5'"),
        {picker, tradeId});
}

OrderDatabase::GuardedWrite OrderDatabase::setTradeGoodsWeight(const QString& tradeId, double goodsWeight)
{
    return guardedUpdate(
        QStringLiteral("update G_Trade_TradeList set GoodsWeight= ? where TradeID=? and TradeStatus='5'"),
        {goodsWeight, tradeId});
}

OrderDatabase::GuardedWrite OrderDatabase::updateAdditionalWaybill(const QString& tradeId,
                                                                   qint64 packagedWeight, double postage,
                                                                   const QString& readRemark,
                                                                   const QString& remark)
{
    // The order system may keep the remark in a long text type, which "=" does not take on SQL
    // Server.
    const QString sameRemark = m_dialect == Dialect::Embedded
                                   ? QStringLiteral("Remark=?")
                                   : QStringLiteral("cast(Remark as nvarchar(max))=?");
    return guardedUpdate(
        QStringLiteral(
            "update G_Trade_TradeList set PackagedWeight=?,Postage=?,Remark=? where TradeID=? and ") +
            sameRemark,
        {packagedWeight, postage, remark, tradeId, readRemark});
}

bool OrderDatabase::beginTradeClosing(std::unique_ptr<Transaction>* unit)
{
    unit->reset();
    if (m_dialect != Dialect::Embedded) {
        return true;
    }
    if (!ready()) {
        return false;
    }
    // The write lock is taken at once: a station that comes second waits here, not halfway through.
    auto opened = std::make_unique<Transaction>(m_connection->db(), Transaction::Lock::Immediate);
    if (!opened->isOpen()) {
        noteFailure(opened->beginError());
        return false;
    }
    *unit = std::move(opened);
    return true;
}

bool OrderDatabase::addTradeLog(const QString& tradeId, const QString& operatorName, const QString& detail)
{
    const QString now = m_dialect == Dialect::Embedded ? QStringLiteral("datetime('now','localtime')")
                                                       : QStringLiteral("GETDATE()");
    return execute(
        QStringLiteral("INSERT INTO G_Trade_Log(TradeID,Operator,LogDetail,LogTime) VALUES (?,?,?,") + now +
            QLatin1Char(')'),
        {tradeId, operatorName, detail});
}
