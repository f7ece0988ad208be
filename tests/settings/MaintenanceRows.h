#pragma once

#include "settings/MaintenanceCommands.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

// What the administrator's commands work on in an order file, the same in both dialects.
namespace MaintenanceRows {

using Command = MaintenanceCommands::Command;
inline const QString kCopyCaption = QStringLiteral("货品重量为0 货品重量=预估重量");
inline const QString kClearCaption = QStringLiteral("一键清空待审核订单");

// Rows the delete of trades awaiting review works on, counted.
inline constexpr char kAwaitingReview[] =
    "select (select count(*) from G_Trade_TradeList where TradeStatus = 2) + "
    "(select count(*) from G_Trade_Log l where not exists (select 1 from G_Trade_TradeList t where "
    "t.TradeID = l.TradeID and t.TradeStatus <> 2)) + "
    "(select count(*) from G_Trade_GoodsList g where not exists (select 1 from G_Trade_TradeList t "
    "where t.TradeID = g.TradeID and t.TradeStatus <> 2)) + "
    "(select count(*) from G_API_TradeGoods a where not exists (select 1 from G_API_TradeList b, "
    "G_Trade_TradeList t where b.BillID = a.BillID and t.TradeID = b.TradeID and t.TradeStatus <> 2))";

// The first value of a statement on the file; the read ends with it, so that a server can write.
inline QString text(QSqlDatabase file, const QString& sql)
{
    QSqlQuery query(file);
    if (!query.exec(sql) || !query.next()) {
        qFatal("%s", qPrintable(sql));
    }
    return query.value(0).toString();
}

inline void order(QSqlDatabase file, const QString& sql)
{
    QSqlQuery query(file);
    if (!query.exec(sql)) {
        qFatal("%s", qPrintable(sql));
    }
}

// Every row the commands may touch, as one text.
inline QString fingerprint(QSqlDatabase file)
{
    QStringList parts;
    for (const char* table :
         {"G_Trade_TradeList", "G_Trade_Log", "G_API_TradeList", "G_API_TradeGoods", "G_Trade_GoodsList"}) {
        parts << text(file, QStringLiteral("select count(*) from ") + QLatin1String(table));
    }
    parts << text(file, QStringLiteral("select total(GoodsWeight) from G_Trade_TradeList"));
    return parts.join(QLatin1Char('|'));
}

// Each command changes what it should and nothing else; a second run finds nothing to do and still
// reports success. Columns: the command, its caption, the rows it works on counted, and the rows it
// must leave as one text.
inline void addCommandRows()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("matching");
    QTest::addColumn<QString>("untouched");
    QTest::newRow("goods weight from the estimate")
        << int(Command::CopyEstimatedWeight) << kCopyCaption
        << "select count(*) from G_Trade_TradeList where GoodsWeight = 0 and TradeStatus = 11 and "
           "estimateWeight <> 0"
        << "select count(*) || '|' || total(GoodsWeight) from G_Trade_TradeList where TradeStatus <> 11";
    QTest::newRow("trades awaiting review")
        << int(Command::ClearAwaitingReview) << kClearCaption << QString::fromLatin1(kAwaitingReview)
        << "select count(*) || '|' || total(GoodsWeight) from G_Trade_TradeList where TradeStatus <> 2";
}

} // namespace MaintenanceRows
