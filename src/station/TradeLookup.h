#pragma once

#include "store/OrderDatabase.h"
#include "store/StationSettings.h"

#include <QString>

#include <optional>

class ReportSink;
class ScanView;

// Finding the scanned trade, showing it, and the weight its parcel should have. Each function that
// talks to the order database returns false with the operator's message in *error when a statement
// fails or a number column holds no number; nothing has been written at that point.
namespace TradeLookup {

using Trade = OrderDatabase::StationTrade;

// The trade whose waybill number (or, byTradeNo, trade number) equals the scan; empty when none.
bool LookupTrade(OrderDatabase& db, const QString& scan, bool byTradeNo, std::optional<Trade>* trade,
                 QString* error);

// The consignee and the two remarks: five lines into Memo2.
void ShowTradeSummary(ScanView& view, const Trade& trade);

// The trade's goods into ListViewDetail. A trade without goods lines reports ":概要信息查询错误!"
// and the run goes on.
bool ShowGoodsList(OrderDatabase& db, ScanView& view, ReportSink& sink, const QString& tradeId,
                   QString* error);

// The expected weight E in grams: from the goods list and the package when CheckSum is on,
// otherwise the trade's own GoodsWeight.
bool ComputeExpectedWeight(OrderDatabase& db, const ScanView& view, const StationSettings::Options& settings,
                           const Trade& trade, double* expected, QString* error);

// The message for a statement of the order database that failed.
QString databaseFailure(const OrderDatabase& db);

// A number column as the database gave it; empty when it holds no number (an empty value included).
std::optional<double> decimal(const QString& text);
// The same for a column that holds a whole number.
std::optional<qint64> whole(const QString& text);

} // namespace TradeLookup
