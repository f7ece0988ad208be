#include "query/QueryRun.h"

namespace {

// The rows of one page with their serial numbers from first, their sums and the status texts.
QueryRun::Shown show(const QList<OrderDatabase::FoundTrade>& trades, qint64 first, qint64 total,
                     const QueryColumns::SumFlags& flags)
{
    QueryRun::Shown shown;
    shown.ok = true;
    QueryColumns::Sums sums;
    qint64 serial = first;
    for (const OrderDatabase::FoundTrade& trade : trades) {
        shown.rows.append(QueryColumns::listRow(serial++, trade));
        sums.add(trade);
    }
    if (QueryColumns::anySum(flags)) {
        shown.rows.append(QueryColumns::sumRow(sums));
    }
    shown.rangeText = QueryColumns::rangeText(first, serial - 1);
    shown.totalText = QueryColumns::totalText(sums, flags, total);
    return shown;
}

// A workbook that could not be written: the writer says why.
QString writeFailed(const QString& error)
{
    return QStringLiteral("导出失败: ") + error;
}

QueryRun::Exported failed(const QString& message)
{
    QueryRun::Exported exported;
    exported.message = message;
    return exported;
}

} // namespace

namespace QueryRun {

Shown search(OrderDatabase& db, const OrderDatabase::TradeFilter& filter, int pageSize,
             const QueryColumns::SumFlags& flags)
{
    Shown shown;
    qint64 total = 0;
    QList<OrderDatabase::FoundTrade> trades;
    if (!db.countTrades(filter, &total)) {
        shown.message = db.lastError();
        return shown;
    }
    shown.paging.start(total, pageSize);
    bool read = true;
    if (shown.paging.paged()) {
        read = db.tradePage(filter, pageSize, 0, total, &trades);
    } else if (total > 0) {
        read = db.eachTrade(filter, total, [&trades](const OrderDatabase::FoundTrade& trade) {
            trades.append(trade);
            return true;
        });
    }
    if (!read) {
        shown.message = db.lastError();
        return shown;
    }
    if (trades.isEmpty()) {
        shown.ok = true;
        shown.rangeText = QString::fromUtf8(QueryColumns::kNothingFoundPanel);
        shown.message = QString::fromUtf8(kNoMatch);
        return shown;
    }
    const QueryPaging paging = shown.paging;
    shown = show(trades, 1, total, flags);
    shown.paging = paging;
    return shown;
}

Shown page(OrderDatabase& db, const OrderDatabase::TradeFilter& filter, const QueryPaging& target,
           const QueryColumns::SumFlags& flags)
{
    QList<OrderDatabase::FoundTrade> trades;
    if (!db.tradePage(filter, target.pageSize(), target.offset(), target.total(), &trades) ||
        trades.isEmpty()) {
        Shown shown;
        shown.message = QString::fromUtf8(kPageFailed);
        return shown;
    }
    Shown shown = show(trades, target.offset() + 1, target.total(), flags);
    shown.paging = target;
    return shown;
}

Exported exportAll(OrderDatabase& db, const OrderDatabase::TradeFilter& filter, qint64 total,
                   const QList<bool>& shown, WorkbookWriter& writer, const WorkbookExport::Progress& progress)
{
    if (total <= 0) {
        return failed(QString::fromUtf8(WorkbookExport::kNothingFound));
    }
    WorkbookExport::FullExport sequence(writer, shown, total, progress);
    QString error;
    if (!sequence.begin(&error)) {
        return failed(writeFailed(error));
    }
    bool written = true;
    const bool read = db.eachTrade(filter, total, [&](const OrderDatabase::FoundTrade& trade) {
        written = sequence.add(trade, &error);
        return written && sequence.written() < total;
    });
    if (!read) {
        return failed(QString::fromUtf8(WorkbookExport::kQueryFailed));
    }
    if (!written || !sequence.finish(&error)) {
        return failed(writeFailed(error));
    }
    Exported exported;
    exported.ok = true;
    exported.count = sequence.written();
    exported.message = WorkbookExport::doneMessage(exported.count);
    return exported;
}

Exported exportPage(const QList<QStringList>& rows, bool withSumRow, const QList<bool>& shown,
                    WorkbookWriter& writer, const WorkbookExport::Progress& progress)
{
    if (rows.isEmpty()) {
        return failed(QString::fromUtf8(WorkbookExport::kNothingFound));
    }
    QString error;
    if (!WorkbookExport::writePage(writer, shown, rows, progress, &error)) {
        return failed(writeFailed(error));
    }
    Exported exported;
    exported.ok = true;
    exported.count = rows.size() - (withSumRow ? 1 : 0);
    exported.message = WorkbookExport::doneMessage(exported.count);
    return exported;
}

} // namespace QueryRun
