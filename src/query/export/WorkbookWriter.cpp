#include "query/export/WorkbookWriter.h"

#include "query/export/XlsWorkbook.h"
#include "query/export/XlsxWorkbook.h"

std::unique_ptr<WorkbookWriter> makeWorkbookWriter(const QString& path)
{
    if (path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)) {
        return std::make_unique<XlsxWorkbook>(path);
    }
    return std::make_unique<XlsWorkbook>(path);
}
