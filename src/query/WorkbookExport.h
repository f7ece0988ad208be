#pragma once

#include "query/QueryColumns.h"
#include "query/export/WorkbookWriter.h"
#include "store/OrderDatabase.h"

#include <functional>

// How the result list and the full result of a search become the rows of a workbook: a title row
// of the shown columns on every sheet, at most 65000 rows of trades per sheet, text cells.
namespace WorkbookExport {

inline constexpr int kRowsPerSheet = 65000;

inline constexpr char kNothingFound[] = "共查询到0条记录!";
inline constexpr char kQueryFailed[] = "查询数据错误!";
// "共导出" + n + "条记录!".
QString doneMessage(qint64 exported);

// Told the number of rows written so far, once per step of the progress bar.
using Progress = std::function<void(qint64 written)>;
// The bar's step for count rows: a tenth of them, at least 2, else 1.
qint64 progressStep(qint64 count);

// "序号" and the titles of the shown columns, without gaps.
QList<WorkbookCell> titleRow(const QList<bool>& shown);

// The rows of the result list as it shows them, the sum row included, each a serial caption and
// the 22 cells. The number of trades written is rows less the sum row when a sum is shown.
bool writePage(WorkbookWriter& writer, const QList<bool>& shown, const QList<QStringList>& rows,
               const Progress& progress, QString* error);

// Every trade of a search in turn; the serial number starts at 1 on each sheet, the weight
// difference is written as a whole number, and a row of the shown sums follows the last trade.
class FullExport
{
public:
    FullExport(WorkbookWriter& writer, const QList<bool>& shown, qint64 total, Progress progress);

    bool begin(QString* error);
    bool add(const OrderDatabase::FoundTrade& trade, QString* error);
    // The sum row, then the file.
    bool finish(QString* error);
    qint64 written() const { return m_written; }

private:
    bool writeRow(const QList<WorkbookCell>& cells, QString* error);

    WorkbookWriter& m_writer;
    QList<bool> m_shown;
    QueryColumns::SumFlags m_flags;
    qint64 m_step;
    Progress m_progress;
    QueryColumns::Sums m_sums;
    qint64 m_written = 0;
};

} // namespace WorkbookExport
