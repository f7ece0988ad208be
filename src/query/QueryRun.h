#pragma once

#include "query/QueryColumns.h"
#include "query/QueryPaging.h"
#include "query/WorkbookExport.h"
#include "store/OrderDatabase.h"

#include <QList>
#include <QStringList>

// The database work of the query tab's buttons, the same for the tab's worker thread and the
// query tool: a search and its first page, another page, the export of every trade.
namespace QueryRun {

inline constexpr char kNoMatch[] = "无满足此条件的记录!";
inline constexpr char kPageFailed[] = "查询数据出错!";

// What the list and the status bar show after a search or a page change.
struct Shown
{
    bool ok = false;         // false: the list and the paging stay as they were, message says why
    QList<QStringList> rows; // list rows, the sum row last when a sum column is shown
    QString rangeText;       // panel 0
    QString totalText;       // panel 1
    QString message;         // for the operator; empty when there is nothing to say
    QueryPaging paging;      // where the search stands now
};

// Counts the trades of the filter and shows the first page, or all of them when they fit on one.
Shown search(OrderDatabase& db, const OrderDatabase::TradeFilter& filter, int pageSize,
             const QueryColumns::SumFlags& flags);
// The page target stands on (QueryPaging::next() or previous() of the last search).
Shown page(OrderDatabase& db, const OrderDatabase::TradeFilter& filter, const QueryPaging& target,
           const QueryColumns::SumFlags& flags);

struct Exported
{
    bool ok = false;
    QString message; // shown in either case
    qint64 count = 0;
};
// Writes every trade of the last search (at most its total) to writer.
Exported exportAll(OrderDatabase& db, const OrderDatabase::TradeFilter& filter, qint64 total,
                   const QList<bool>& shown, WorkbookWriter& writer,
                   const WorkbookExport::Progress& progress);
// Writes the list's rows; withSumRow when the last of them is the sum row.
Exported exportPage(const QList<QStringList>& rows, bool withSumRow, const QList<bool>& shown,
                    WorkbookWriter& writer, const WorkbookExport::Progress& progress);

} // namespace QueryRun
