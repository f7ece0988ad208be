#pragma once

#include "query/export/WorkbookWriter.h"

#include <QList>

// Keeps the sheets and rows written to it; can be told to fail at one row, as a full disk would.
struct RecordingWorkbook : WorkbookWriter
{
    using Row = QList<WorkbookCell>;
    QList<QList<Row>> sheets;
    bool finished = false;
    int failAtRow = -1; // counted over all sheets, 0-based
    int rowsWritten = 0;

    bool addSheet(QString*) override
    {
        sheets.append(QList<Row>());
        return true;
    }

    bool writeRow(const Row& cells, QString* error) override
    {
        if (sheets.isEmpty() || finished || rowsWritten == failAtRow) {
            if (error) {
                *error = QStringLiteral("No space left on device");
            }
            return false;
        }
        sheets.last().append(cells);
        ++rowsWritten;
        return true;
    }

    bool finish(QString*) override
    {
        finished = true;
        return true;
    }

    static QStringList texts(const Row& row)
    {
        QStringList texts;
        for (const WorkbookCell& cell : row) {
            texts << cell.text;
        }
        return texts;
    }
};
