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
    QString path() const { return m_folder.file(QStringLiteral("shop.db")); }

    // Empty when the shop is ready, otherwise why not.
    QString make()
    {
        const QString path = m_folder.file(QStringLiteral("shop.db"));
        DemoOrderOptions options;
        options.trades = 0;
        QString error;
        if (!createDemoOrderDatabase(path, options, &error) ||
            !orderDb.open({QString::fromLatin1(kEmbeddedPrefix) + path, {}, {}, {}}, m_folder.path(),
                          &error)) {
            return error;
        }
        if (!orderDb.execute(
                QStringLiteral("create table GoodsWeightWrites (GoodsID integer, Weight numeric)")) ||
            !orderDb.execute(QStringLiteral(
                "create trigger GoodsWeightWritten after update of Weight on G_Goods_GoodsList "
                "begin insert into GoodsWeightWrites (GoodsID, Weight) values (new.GoodsID, new.Weight); "
                "end"))) {
            return orderDb.lastError();
        }
        return {};
    }

    QVariant scalar(const QString& sql, const QVariantList& values = {})
    {
        auto query = orderDb.select(sql, values);
        return query && query->next() ? query->value(0) : QVariant();
    }

    QString barcode(const QString& name)
    {
        return scalar(QStringLiteral("select BarCode from G_Goods_GoodsList where GoodsName=?"), {name})
            .toString();
    }
    QString weight(const QString& name)
    {
        return scalar(QStringLiteral("select Weight from G_Goods_GoodsList where GoodsName=?"), {name})
            .toString();
    }
    int writes() { return scalar(QStringLiteral("select count(*) from GoodsWeightWrites")).toInt(); }
    // The next write of a goods weight fails with an error, or is silently skipped.
    bool refuseWrites(bool silently)
    {
        return orderDb.execute(
            QStringLiteral("create trigger GoodsWeightRefused before update on G_Goods_GoodsList "
                           "begin select raise(%1); end")
                .arg(silently ? QStringLiteral("ignore") : QStringLiteral("abort, 'locked'")));
    }

    OrderDatabase orderDb;
};
