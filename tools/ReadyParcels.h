#pragma once

#include "store/SqlConnection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <vector>

// A parcel for the benchmarks: a typed weight in kilograms and the waybill to scan.
struct Parcel
{
    QString weight;
    QString waybill;
};

// Trades of an embedded order file ready to ship, each with a typed weight a little above its goods.
// Trades without goods lines, already stocked out, or with goods the demo shop has run short of (a
// stock of a few articles) are left out: the parcels are to ship, one after the other.
inline std::vector<Parcel> readyParcels(const QString& orderPath, int count, QString* error)
{
    SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("bench-parcels"));
    if (!openSqliteFile(connection, orderPath, error)) {
        return {};
    }
    QSqlQuery query(connection.db());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "select PostID, GoodsWeight from G_Trade_TradeList t where TradeStatus = 5 and bStockOut = 0 and "
        "PostID is not null and exists (select 1 from G_Trade_GoodsList l where l.TradeID = t.TradeID) and "
        "not exists (select 1 from G_Trade_GoodsList l left join G_Stock_Spec s on s.GoodsID = l.GoodsID "
        "and s.SpecID = l.SpecID where l.TradeID = t.TradeID and ifnull(s.Stock, 0) < l.SellCount + 10) "
        "order by TradeID limit ?"));
    query.addBindValue(count);
    if (!query.exec()) {
        *error = query.lastError().text();
        return {};
    }
    std::vector<Parcel> parcels;
    while (query.next()) {
        const double grams = query.value(1).toDouble() + 150;
        parcels.push_back({QString::number(grams / 1000.0, 'f', 3), query.value(0).toString()});
    }
    return parcels;
}
