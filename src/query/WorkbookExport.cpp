#include "query/WorkbookExport.h"

#include <cmath>

namespace {

WorkbookCell text(const QString& value)
{
    return WorkbookCell{value, true};
}

// A new sheet with its title row, before the row of index `index` when it begins one.
bool startSheetFor(WorkbookWriter& writer, qint64 index, const QList<WorkbookCell>& title, QString* error)
{
    if (index % WorkbookExport::kRowsPerSheet != 0) {
        return true;
    }
    return writer.addSheet(error) && writer.writeRow(title, error);
}

void reportStep(const WorkbookExport::Progress& progress, qint64 step, qint64 written)
{
    if (progress && written % step == 0) {
        progress(written);
    }
}

} // namespace

namespace WorkbookExport {

QString doneMessage(qint64 exported)
{
    return QStringLiteral("共导出%1条记录!").arg(exported);
}

qint64 progressStep(qint64 count)
{
    return count / 10 >= 2 ? count / 10 : 1;
}

QList<WorkbookCell> titleRow(const QList<bool>& shown)
{
    QList<WorkbookCell> row{text(QueryColumns::title(0))};
    for (int index = 0; index < shown.size() && index + 1 < QueryColumns::kCount; ++index) {
        if (shown[index]) {
            row << text(QueryColumns::title(index + 1));
        }
    }
    return row;
}

bool writePage(WorkbookWriter& writer, const QList<bool>& shown, const QList<QStringList>& rows,
               const Progress& progress, QString* error)
{
    const QList<WorkbookCell> title = titleRow(shown);
    const qint64 step = progressStep(rows.size());
    for (qint64 index = 0; index < rows.size(); ++index) {
        if (!startSheetFor(writer, index, title, error)) {
            return false;
        }
        const QStringList& row = rows[index];
        QList<WorkbookCell> cells{text(row.value(0))};
        for (int column = 0; column < shown.size(); ++column) {
            if (shown[column]) {
                cells << text(row.value(column + 1));
            }
        }
        if (!writer.writeRow(cells, error)) {
            return false;
        }
        reportStep(progress, step, index + 1);
    }
    if (rows.isEmpty() && !(writer.addSheet(error) && writer.writeRow(title, error))) {
        return false;
    }
    return writer.finish(error);
}

FullExport::FullExport(WorkbookWriter& writer, const QList<bool>& shown, qint64 total, Progress progress)
    : m_writer(writer)
    , m_shown(shown)
    , m_flags(QueryColumns::sumFlags(shown))
    , m_step(progressStep(total))
    , m_progress(std::move(progress))
{
}

bool FullExport::begin(QString* error)
{
    return m_writer.addSheet(error) && m_writer.writeRow(titleRow(m_shown), error);
}

bool FullExport::add(const OrderDatabase::FoundTrade& trade, QString* error)
{
    if (m_written > 0 && !startSheetFor(m_writer, m_written, titleRow(m_shown), error)) {
        return false;
    }
    m_sums.add(trade);
    QStringList row = QueryColumns::listRow(m_written % kRowsPerSheet + 1, trade);
    // The difference of whole grams, cut toward zero.
    row[QueryColumns::kDifference] =
        QString::number(qint64(std::trunc(trade.packagedWeight - trade.goodsWeight)));
    QList<WorkbookCell> cells{text(row[0])};
    for (int column = 0; column < m_shown.size(); ++column) {
        if (m_shown[column]) {
            cells << text(row.value(column + 1));
        }
    }
    if (!m_writer.writeRow(cells, error)) {
        return false;
    }
    ++m_written;
    reportStep(m_progress, m_step, m_written);
    return true;
}

bool FullExport::finish(QString* error)
{
    if (QueryColumns::anySum(m_flags)) {
        // The sums stand in the sheet columns of their own columns, as numbers.
        QList<WorkbookCell> cells{text(QStringLiteral("合计"))};
        for (int column = 0; column < m_shown.size(); ++column) {
            if (!m_shown[column]) {
                continue;
            }
            const int listColumn = column + 1;
            if (listColumn >= QueryColumns::kGoodsWeight && listColumn <= QueryColumns::kPostage) {
                cells << WorkbookCell{
                    QueryColumns::number(m_sums.byFlag(listColumn - QueryColumns::kGoodsWeight)), false};
            } else {
                cells << text(QString());
            }
        }
        // Nothing after the last sum column.
        while (cells.size() > 1 && cells.last().text.isEmpty()) {
            cells.removeLast();
        }
        if (!m_writer.writeRow(cells, error)) {
            return false;
        }
    }
    return m_writer.finish(error);
}

} // namespace WorkbookExport
