#pragma once

#include "station/PlainScanView.h"
#include "station/StationReport.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

// The rows the station tests ship from, the same in the embedded file and behind the SQL Server
// stand-in so that both dialects are held to one outcome.
namespace ShopRows {

inline constexpr int kTradeId = 90001;
inline const QString kWaybill = QStringLiteral("ZT90001");
inline const QString kTradeNo = QStringLiteral("T90001");

// Runs a statement, failing the whole test program when it does not run.
inline QSqlQuery run(QSqlDatabase db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(db);
    bool ok = query.prepare(sql);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!ok || !query.exec()) {
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    }
    return query;
}

inline void addTrade(QSqlDatabase order, int id, const QString& waybill, const QString& tradeNo, int status,
                     const QString& remark, int packagedWeight = 0, double postageTotal = 0)
{
    run(order,
        QStringLiteral(
            "insert into G_Trade_TradeList (TradeID, TradeNO, PostID, SndTo, TradeNick, Province, City, "
            "Town, Adr, Tel, TradeStatus, bStockOut, CustomerRemark, Remark, GoodsWeight, PackagedWeight, "
            "Postage, LogisticID) values (?, ?, ?, '林晓', 'lin_1990', '江苏省', '南京市', '玄武区', "
            "'中山路1号', '13900000000', ?, 0, '请尽快发货', ?, 0, ?, ?, 1)"),
        {id, tradeNo, waybill, status, remark.isNull() ? QVariant() : QVariant(remark), packagedWeight,
         postageTotal});
}

// The trade 90001 with its goods: 2 mugs of 380 g, a T-shirt of 180 g in a variant, 3 hair clips of
// 12.5 g, all in stock.
inline void addGoodsTrade(QSqlDatabase order)
{
    addTrade(order, kTradeId, kWaybill, kTradeNo, 5, QString());
    run(order,
        QStringLiteral("insert into G_Trade_GoodsList (TradeID, GoodsID, SpecID, SellCount, Unit) values "
                       "(?, 7, 0, 2, '个'), (?, 1, 3, 1, '件'), (?, 29, 0, 3, '个')"),
        {kTradeId, kTradeId, kTradeId});
    run(order, QStringLiteral("update G_Stock_Spec set Stock = 100 where (GoodsID = 7 and SpecID = 0) or "
                              "(GoodsID = 1 and SpecID = 3) or (GoodsID = 29 and SpecID = 0)"));
}

inline void addRule(QSqlDatabase postage, double start, double end, qint64 firstWeight, double firstFee,
                    qint64 stepWeight, double stepFee)
{
    run(postage,
        QStringLiteral(
            "insert into rule (Express, Province, RuleIndex, StartWeight, EndWeight, "
            "BeginChargeWeight, BeginChargeFee, DetaWeight, DetaFee) values ('青禾快递', '江苏省', "
            "'1', ?, ?, ?, ?, ?, ?)"),
        {start, end, firstWeight, firstFee, stepWeight, stepFee});
}

// Only 青禾快递 in 江苏省: 8 yuan up to 1000 g, 4 yuan per further 1000 g started.
inline void setOneRule(QSqlDatabase postage)
{
    for (const char* table : {"rule", "rule1", "rule2"}) {
        run(postage, QStringLiteral("delete from %1").arg(QLatin1String(table)));
    }
    addRule(postage, 0, 30000, 1000, 8, 1000, 4);
}

// A scan of the trade at 1.250 kg with picker, packer and package chosen.
inline void fillView(PlainScanView& view)
{
    view.weight = QStringLiteral("1.250");
    view.scan = kWaybill;
    view.picker = {true, true, QStringLiteral("李秀兰")};
    view.packer = {true, true, QStringLiteral("张建国")};
    view.package = {true, true, QStringLiteral("小号纸箱")};
}

// The station log without its empty first line, newest first, each line without its time.
inline QStringList logLines(const StationReport& report)
{
    const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d"));
    QStringList result;
    for (const QString& line : report.log().lines().mid(1)) {
        result << line.mid(time.match(line).hasMatch() ? 8 : 0);
    }
    return result;
}

} // namespace ShopRows
