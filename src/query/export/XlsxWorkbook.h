#pragma once

#include "query/export/WorkbookText.h"
#include "query/export/WorkbookWriter.h"

#include <QByteArray>

#include <memory>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;

// An Excel 2007 workbook (.xlsx) made by libxlsxwriter in its constant-memory mode: each row goes to
// the library's temporary file as soon as it is written. The library writes the whole file under
// "<path>.part" when it closes; it is then renamed onto path.
class XlsxWorkbook final : public WorkbookWriter
{
public:
    explicit XlsxWorkbook(const QString& path);
    ~XlsxWorkbook() override;

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
    struct BookFree
    {
        void operator()(lxw_workbook* book) const;
    };
    struct Sheet
    {
        lxw_worksheet* sheet;
        quint32 rows = 0;
        ColumnFit fit;
    };

    bool ready(QString* error);
    bool failWith(QString* error, const QString& reason);
    void discard();

    QString path_;
    QString part_;
    QByteArray tempDir_;
    State state_ = State::Fresh;
    std::unique_ptr<lxw_workbook, BookFree> book_;
    std::vector<Sheet> sheets_;
    QByteArray utf8_;
};
