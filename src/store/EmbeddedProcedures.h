#pragma once

#include <QSqlDatabase>
#include <QString>

// The order database's stored procedures, carried out on an embedded order database. Each runs as
// one transaction: it either does all of its work or none of it. Called inside a transaction of the
// caller, a procedure works in a savepoint of it instead, so the caller's rollback undoes it too.
//
// A procedure that ran answers in *result: "1", or the procedure's own refusal. A procedure the
// database failed inside returns false with the database's reason in *error; nothing was changed.
namespace EmbeddedProcedures {

// The trade statuses the procedures act on.
inline constexpr int kStatusReadyToShip = 5;
inline constexpr int kStatusShipped = 8;

// G_TradeStockOutCHK: "1" when the trade's stock can be taken out, otherwise a readable reason
// (trade missing, wrong status, already stocked out, stock short for a goods line).
bool tradeStockOutCheck(QSqlDatabase& db, const QString& tradeId, QString* result, QString* error);

// G_TradeStockOut: takes the goods of the trade out of stock and marks the trade stocked out.
// False with a reason in *error when nothing was changed: a refusal as above, or the database's
// failure headed "数据库错误:".
bool tradeStockOut(QSqlDatabase& db, const QString& tradeId, const QString& operatorName, QString* error);

// The refusal G_TradeOver gives for a parcel weight (grams) or postage (yuan) it does not take: a
// negative weight, a negative or not finite postage. Empty when it takes them.
QString tradeOverValueRefusal(int weightGrams, double postage);

// G_TradeOver: closes a trade of status 5 as shipped with packer, package, parcel weight in grams,
// postage in yuan, shipping time and operator, and writes a trade log line. "1" on success,
// otherwise a readable reason (trade missing, wrong status, already closed, bad weight or postage).
bool tradeOver(QSqlDatabase& db, const QString& tradeId, const QString& packer, const QString& package,
               int weightGrams, double postage, const QString& operatorName, QString* result, QString* error);

} // namespace EmbeddedProcedures
