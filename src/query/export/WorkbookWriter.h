#pragma once

#include <QList>
#include <QString>

#include <memory>

// One cell of a workbook row.
struct WorkbookCell
{
    QString text;
    bool isText = true; // isText: a text cell; false: a number written from text
};

// A workbook written row by row to a path; nothing appears under the path until finish() succeeds.
class WorkbookWriter
{
public:
    virtual ~WorkbookWriter() = default;
    virtual bool addSheet(QString* error) = 0; // a new sheet; rows follow on it
    virtual bool writeRow(const QList<WorkbookCell>& cells,
                          QString* error) = 0; // next row of the current sheet
    virtual bool finish(QString* error) = 0;   // writes/renames the file in place
};

// By extension .xls/.xlsx.
std::unique_ptr<WorkbookWriter> makeWorkbookWriter(const QString& path);
