#include "query/export/BiffSheet.h"

#include "query/export/SharedStrings.h"

#include <algorithm>

namespace {

constexpr int kRowsPerBlock = 32;
constexpr qsizetype kRowRecordSize = 4 + 16;
constexpr quint16 kRowHeight = 270; // 13.5 pt in twips: the height of an 11 pt line
constexpr quint16 kDefaultColumnWidth = 8;

} // namespace

BiffSheet::BiffSheet(quint64 cellsBegin)
    : cellsBegin_(cellsBegin)
{
}

bool BiffSheet::addRow(const QList<WorkbookCell>& cells, SharedStrings& strings, QByteArray* blocks,
                       QString* reason)
{
    if (nextRow_ >= Biff::kMaxRows) {
        *reason = QStringLiteral("一个工作表最多 %1 行").arg(Biff::kMaxRows);
        return false;
    }
    if (cells.size() > Biff::kMaxColumns) {
        *reason = QStringLiteral("一个工作表最多 %1 列").arg(Biff::kMaxColumns);
        return false;
    }
    const int row = nextRow_++;
    if (!pending_.empty() && pending_.front().row / kRowsPerBlock != row / kRowsPerBlock) {
        flushBlock(blocks);
    }
    const qsizetype start = pendingCells_.size();
    int first = -1;
    int end = 0;
    for (int column = 0; column < cells.size(); ++column) {
        const WorkbookCell& cell = cells.at(column);
        const QStringView text = WorkbookText::cellText(cell.text);
        if (text.isEmpty()) {
            continue;
        }
        double value = 0;
        const bool numeric = !cell.isText && WorkbookText::number(text, &value);
        quint32 index = 0;
        if (!numeric && !strings.add(text, &index)) {
            pendingCells_.truncate(start);
            *reason = QStringLiteral("单元格文字太多");
            return false;
        }
        // Written in place: a large export makes millions of these.
        Biff::put16(pendingCells_, numeric ? Biff::Number : Biff::LabelSst);
        Biff::put16(pendingCells_, numeric ? 14 : 10);
        Biff::put16(pendingCells_, quint16(row));
        Biff::put16(pendingCells_, quint16(column));
        Biff::put16(pendingCells_, Biff::kXfCell);
        if (numeric) {
            Biff::putDouble(pendingCells_, value);
        } else {
            Biff::put32(pendingCells_, index);
        }
        fit_.note(column, text);
        if (first < 0) {
            first = column;
        }
        end = column + 1;
    }
    if (first < 0) {
        return true;
    }
    pending_.push_back({quint16(row), quint16(first), quint16(end), pendingCells_.size() - start});
    if (firstRow_ < 0) {
        firstRow_ = row;
    }
    lastRow_ = row;
    firstColumn_ = std::min(firstColumn_, first);
    endColumn_ = std::max(endColumn_, end);
    return true;
}

void BiffSheet::close(QByteArray* blocks)
{
    flushBlock(blocks);
}

// ROW records of the block's rows, their cells, then the DBCELL record that points back at them.
void BiffSheet::flushBlock(QByteArray* blocks)
{
    if (pending_.empty()) {
        return;
    }
    const qsizetype blockStart = blocks->size();
    for (const PendingRow& row : pending_) {
        QByteArray body;
        Biff::put16(body, row.row);
        Biff::put16(body, row.firstColumn);
        Biff::put16(body, row.endColumn);
        Biff::put16(body, kRowHeight);
        Biff::put16(body, 0);
        Biff::put16(body, 0);
        Biff::put16(body, 0x0100); // no outline, height not set by hand
        Biff::put16(body, Biff::kXfCell);
        Biff::putRecord(*blocks, Biff::Row, body);
    }
    blocks->append(pendingCells_);
    const qsizetype dbCellStart = blocks->size();
    QByteArray dbCell;
    Biff::put32(dbCell, quint32(dbCellStart - blockStart));
    // The first row's cells are counted from the end of the first ROW record, every further row's
    // from the first cell of the row before.
    Biff::put16(dbCell, quint16(kRowRecordSize * qsizetype(pending_.size() - 1)));
    for (size_t i = 1; i < pending_.size(); ++i) {
        Biff::put16(dbCell, quint16(pending_[i - 1].cellBytes));
    }
    Biff::putRecord(*blocks, Biff::DbCell, dbCell);

    dbCells_.push_back(quint32(cellsSize_ + quint64(dbCellStart - blockStart)));
    cellsSize_ += quint64(blocks->size() - blockStart);
    pending_.clear();
    pendingCells_.clear();
}

quint64 BiffSheet::headSize() const
{
    qsizetype columns = 0;
    for (const int width : fit_.widths()) {
        columns += width > 0 ? 1 : 0;
    }
    return 20                                      // BOF
           + 4 + 16 + 4 * quint64(dbCells_.size()) // INDEX
           + 4 + 2                                 // DEFCOLWIDTH
           + (4 + 12) * quint64(columns)           // COLINFO
           + 4 + 14;                               // DIMENSIONS
}

quint64 BiffSheet::streamSize() const
{
    return headSize() + cellsSize_ + Biff::window2(false).size() + Biff::eof().size();
}

QByteArray BiffSheet::head(quint64 sheetStart) const
{
    QByteArray out = Biff::bof(true);
    const quint64 cellsStart = sheetStart + headSize();
    const bool empty = firstRow_ < 0;

    QByteArray index;
    Biff::put32(index, 0);
    Biff::put32(index, empty ? 0 : quint32(firstRow_));
    Biff::put32(index, empty ? 0 : quint32(lastRow_ + 1));
    const quint64 defColWidthAt = sheetStart + quint64(out.size()) + 4 + 16 + 4 * dbCells_.size();
    Biff::put32(index, quint32(defColWidthAt));
    for (const quint32 dbCell : dbCells_) {
        Biff::put32(index, quint32(cellsStart + dbCell));
    }
    Biff::putRecord(out, Biff::Index, index);

    QByteArray defColWidth;
    Biff::put16(defColWidth, kDefaultColumnWidth);
    Biff::putRecord(out, Biff::DefColWidth, defColWidth);

    const std::vector<int>& widths = fit_.widths();
    for (size_t column = 0; column < widths.size(); ++column) {
        if (widths[column] == 0) {
            continue;
        }
        QByteArray info;
        Biff::put16(info, quint16(column));
        Biff::put16(info, quint16(column));
        Biff::put16(info, quint16(widths[column] * 256)); // in 1/256 of a digit's width
        Biff::put16(info, Biff::kXfCell);
        Biff::put16(info, 0);
        Biff::put16(info, 0);
        Biff::putRecord(out, Biff::ColInfo, info);
    }

    QByteArray dimensions;
    Biff::put32(dimensions, empty ? 0 : quint32(firstRow_));
    Biff::put32(dimensions, empty ? 0 : quint32(lastRow_ + 1));
    Biff::put16(dimensions, empty ? 0 : quint16(firstColumn_));
    Biff::put16(dimensions, empty ? 0 : quint16(endColumn_));
    Biff::put16(dimensions, 0);
    Biff::putRecord(out, Biff::Dimensions, dimensions);
    Q_ASSERT(quint64(out.size()) == headSize());
    return out;
}
