#pragma once

#include "query/export/BiffRecords.h"
#include "query/export/WorkbookText.h"
#include "query/export/WorkbookWriter.h"

#include <QByteArray>
#include <QString>

#include <vector>

class SharedStrings;

// One sheet of the binary workbook. Its cell records are made row by row, in blocks of 32 rows
// each followed by the DBCELL record that indexes it, and handed out as soon as a block is
// complete so that the caller can store them away; the sheet keeps only what its header needs.
class BiffSheet
{
public:
    // cellsBegin: where the sheet's first cell block goes in the caller's store.
    explicit BiffSheet(quint64 cellsBegin);

    // Adds the next row (empty texts leave the cell empty) and appends finished blocks to blocks.
    // False with a reason when the row does not fit the sheet.
    bool addRow(const QList<WorkbookCell>& cells, SharedStrings& strings, QByteArray* blocks,
                QString* reason);
    // Appends the last, unfinished block; no rows follow.
    void close(QByteArray* blocks);

    quint64 cellsBegin() const { return cellsBegin_; }
    quint64 cellsSize() const { return cellsSize_; }

    // The records before the cells (BOF, INDEX, column widths, DIMENSIONS) for a sheet whose BOF
    // is at sheetStart in the stream, and their size.
    QByteArray head(quint64 sheetStart) const;
    quint64 headSize() const;
    // The whole sheet in the stream: head, cells, WINDOW2 and EOF.
    quint64 streamSize() const;

private:
    struct PendingRow
    {
        quint16 row;
        quint16 firstColumn;
        quint16 endColumn;
        qsizetype cellBytes;
    };

    void flushBlock(QByteArray* blocks);

    quint64 cellsBegin_;
    quint64 cellsSize_ = 0;
    int nextRow_ = 0;
    int firstRow_ = -1;
    int lastRow_ = -1;
    int firstColumn_ = Biff::kMaxColumns;
    int endColumn_ = 0;
    ColumnFit fit_;
    std::vector<quint32> dbCells_; // where each block's DBCELL record is, from the first block on
    std::vector<PendingRow> pending_;
    QByteArray pendingCells_;
};
