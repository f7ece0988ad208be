#pragma once

#include "TempDataFolder.h"

#include "store/DemoOrderData.h"
#include "store/OrderDatabase.h"

#include <QVariant>

// A demo shop without trades in a fresh folder, opened as the order database. Every write to a goods
// weight is also recorded in GoodsWeightWrites, so a test can tell "not written" from "written with
// the same value".
class GoodsShop
{
    // Declared first so that it goes last, after the connection to the file in it.
    TempDataFolder m_folder;

public:
    OrderDatabase orderDb;

    GoodsShop()
    {
        DemoOrderOptions options;
        options.trades = 0;
        QString error;
        if (!createDemoOrderDatabase(path(), options, &error) ||
            !orderDb.open({QString::fromLatin1(kEmbeddedPrefix) + path(), {}, {}, {}}, m_folder.path(),
                          &error) ||
            !orderDb.execute(
                QStringLiteral("create table GoodsWeightWrites (GoodsID integer, Weight numeric)")) ||
            !orderDb.execute(QStringLiteral(
                "create trigger GoodsWeightWritten after update of Weight on G_Goods_GoodsList "
                "begin insert into GoodsWeightWrites (GoodsID, Weight) values (new.GoodsID, new.Weight); "
                "end"))) {
            qFatal("demo shop: %s", qPrintable(error.isEmpty() ? orderDb.lastError() : error));
        }
    }

    QString path() const { return m_folder.file(QStringLiteral("shop.db")); }

    QVariant scalar(const QString& sql, const QVariantList& values = {})
    {
        auto query = orderDb.select(sql, values);
        return query && query->next() ? query->value(0) : QVariant();
    }
    QString goodsColumn(const char* column, const QString& name)
    {
        return scalar(QStringLiteral("select %1 from G_Goods_GoodsList where GoodsName=?")
                          .arg(QLatin1String(column)),
                      {name})
            .toString();
    }
    QString barcode(const QString& name) { return goodsColumn("BarCode", name); }
    QString weight(const QString& name) { return goodsColumn("Weight", name); }
    int writes() { return scalar(QStringLiteral("select count(*) from GoodsWeightWrites")).toInt(); }
    // The next write of a goods weight fails with an error, or is silently skipped.
    bool refuseWrites(bool silently)
    {
        return orderDb.execute(
            QStringLiteral("create trigger GoodsWeightRefused before update on G_Goods_GoodsList "
                           "begin select raise(%1); end")
                .arg(silently ? QStringLiteral("ignore") : QStringLiteral("abort, 'locked'")));
    }
};
