#pragma once

#include "query/export/BiffSheet.h"
#include "query/export/SharedStrings.h"
#include "query/export/WorkbookWriter.h"

#include <QFile>
#include <QTemporaryFile>

#include <vector>

// An Excel 97-2003 workbook (.xls). The table of texts has to come before the sheets in the file,
// so the sheets' cell records go to a nameless temporary file beside the target while rows come
// in; finish() writes the complete file under "<path>.part" and renames it onto path.
class XlsWorkbook final : public WorkbookWriter
{
public:
    explicit XlsWorkbook(const QString& path);
    ~XlsWorkbook() override;

    bool addSheet(QString* error) override;
    bool writeRow(const QList<WorkbookCell>& cells, QString* error) override;
    bool finish(QString* error) override;

private:
    enum class State
    {
        Fresh,
        Writing,
        Done,
        Failed
    };

    bool ready(QString* error);
    bool failWith(QString* error, const QString& reason);
    bool storeCells(const QByteArray& blocks, QString* error);
    bool writeFile(QString* error);
    bool copyCells(const BiffSheet& sheet, RecordOut& out);
    void discard();

    QString path_;
    QString part_;
    State state_ = State::Fresh;
    QFile file_;
    QTemporaryFile cells_;
    quint64 cellsSize_ = 0;
    SharedStrings strings_;
    std::vector<BiffSheet> sheets_;
    QByteArray blocks_;
};
