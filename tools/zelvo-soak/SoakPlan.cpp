#include "SoakPlan.h"

#include "station/WaybillRemark.h"
#include "store/SqlConnection.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <random>

namespace {

QString kilograms(double grams)
{
    return QString::number(grams / 1000.0, 'f', 3);
}

bool exec(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    query.setForwardOnly(true);
    bool ok = query.prepare(sql);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    ok = ok && query.exec();
    if (!ok) {
        *error = query.lastError().text();
    }
    return ok;
}

} // namespace

bool SoakPlan::load(const QString& orderPath, int mainCount, int additionalCount, QString* error)
{
    parcels.clear();
    additionalTrades.clear();
    SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("soak-plan"));
    if (!openSqliteFile(connection, orderPath, error)) {
        return false;
    }

    // Trades whose goods are in stock with room to spare, so that the parcels ship whichever station
    // comes first; typed a little above their goods.
    QSqlQuery query(connection.db());
    if (!exec(query,
              QStringLiteral(
                  "select PostID, TradeID, GoodsWeight from G_Trade_TradeList t where TradeStatus = 5 and "
                  "PostID is not null and not exists (select 1 from G_Trade_GoodsList l left join "
                  "G_Stock_Spec s on s.GoodsID = l.GoodsID and s.SpecID = l.SpecID where l.TradeID = "
                  "t.TradeID and ifnull(s.Stock, 0) < l.SellCount + 10) order by TradeID limit ?"),
              {mainCount}, error)) {
        return false;
    }
    while (query.next()) {
        parcels.append({query.value(0).toString(), kilograms(query.value(2).toDouble() + 150),
                        query.value(1).toLongLong(), false});
    }

    // Further waybills not shipped yet, of trades whose main parcel has left.
    if (!exec(query,
              QStringLiteral("select TradeID, Remark, PackagedWeight, Postage from G_Trade_TradeList where "
                             "TradeStatus in (6, 7, 8, 11) and Remark like '%附加单号%' order by TradeID"),
              {}, error)) {
        return false;
    }
    const QRegularExpression number(QStringLiteral("附加单号([0-9A-Za-z_-]+)"));
    int taken = 0;
    while (query.next() && taken < additionalCount) {
        const qint64 tradeId = query.value(0).toLongLong();
        const QString remark = query.value(1).toString();
        bool any = false;
        for (auto it = number.globalMatch(remark); it.hasNext() && taken < additionalCount;) {
            const QString scan = it.next().captured(1);
            if (WaybillRemark::isShipped(remark, scan)) {
                continue;
            }
            const double grams = 200 + double(qHash(scan) % 2300);
            parcels.append({scan, kilograms(grams), tradeId, true});
            any = true;
            ++taken;
        }
        if (any) {
            additionalTrades.insert(tradeId, {query.value(2).toDouble(), query.value(3).toDouble()});
        }
    }

    // One fixed order for every run, main and further parcels mixed.
    std::mt19937 shuffle(20140106);
    std::shuffle(parcels.begin(), parcels.end(), shuffle);
    return true;
}

QList<int> SoakPlan::listFor(int station, int stations, int overlap) const
{
    QList<int> list;
    for (int i = 0; i < parcels.size(); ++i) {
        // Parcel i goes to stations i, i + 1, … i + overlap - 1 (counted round).
        const int first = i % stations;
        const int distance = (station - first + stations) % stations;
        if (distance < overlap) {
            list.append(i);
        }
    }
    return list;
}
