#include "query/export/XlsxWorkbook.h"

#include "query/export/WorkbookFile.h"
#include "query/export/ZipDirectory.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr qint64 kSpareBytes = 1 << 20;
// The least XML a sheet holds around its rows: declaration, root element, page margins.
constexpr qint64 kSheetXml = 200;

QString libraryReason(lxw_error code)
{
    return QString::fromUtf8(lxw_strerror(code));
}

QString systemReason(int code)
{
    return code ? QString::fromLocal8Bit(std::strerror(code)) : QStringLiteral("写入临时文件失败");
}

// The bytes of rows the library holds in a sheet's temporary file.
qint64 storedRows(lxw_worksheet* sheet)
{
    return sheet->optimize_tmpfile ? qint64(std::ftell(sheet->optimize_tmpfile)) : 0;
}

} // namespace

void XlsxWorkbook::BookFree::operator()(lxw_workbook* book) const
{
    lxw_workbook_free(book);
}

XlsxWorkbook::XlsxWorkbook(const QString& path)
    : path_(path)
    , part_(WorkbookFile::partPath(path))
    , tempDir_(QFile::encodeName(QFileInfo(part_).absolutePath()))
{
}

XlsxWorkbook::~XlsxWorkbook()
{
    if (state_ != State::Done) {
        discard();
    }
}

// The library opens its output only when it closes; an empty part made at the first sheet reports
// a folder that cannot be written before any rows are read.
bool XlsxWorkbook::ready(QString* error)
{
    if (state_ == State::Writing) {
        return true;
    }
    if (state_ != State::Fresh) {
        return WorkbookFile::fail(error, WorkbookFile::writeFailure(path_, QStringLiteral("工作簿已结束")));
    }
    QFile probe(part_);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return failWith(error, probe.errorString());
    }
    state_ = State::Writing;
    probe.close();
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tempDir_.data();
    book_.reset(workbook_new_opt(QFile::encodeName(part_).constData(), &options));
    if (!book_) {
        return failWith(error, libraryReason(LXW_ERROR_MEMORY_MALLOC_FAILED));
    }
    return true;
}

bool XlsxWorkbook::failWith(QString* error, const QString& reason)
{
    discard();
    return WorkbookFile::fail(error, WorkbookFile::writeFailure(path_, reason));
}

void XlsxWorkbook::discard()
{
    sheets_.clear();
    book_.reset();
    if (state_ != State::Fresh) {
        QFile::remove(part_);
    }
    state_ = State::Failed;
}

bool XlsxWorkbook::addSheet(QString* error)
{
    if (!ready(error)) {
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book_.get(), nullptr);
    if (!sheet) {
        return failWith(error, libraryReason(LXW_ERROR_CREATING_TMPFILE));
    }
    sheets_.push_back({sheet, 0, {}});
    return true;
}

bool XlsxWorkbook::writeRow(const QList<WorkbookCell>& cells, QString* error)
{
    if (!ready(error) || (sheets_.empty() && !addSheet(error))) {
        return false;
    }
    Sheet& sheet = sheets_.back();
    if (sheet.rows >= LXW_ROW_MAX || cells.size() > LXW_COL_MAX) {
        return failWith(error, libraryReason(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE));
    }
    const lxw_row_t row = sheet.rows++;
    errno = 0;
    for (int column = 0; column < cells.size(); ++column) {
        const WorkbookCell& cell = cells.at(column);
        const QStringView text = WorkbookText::cellText(cell.text);
        if (text.isEmpty()) {
            continue;
        }
        double value = 0;
        lxw_error written = LXW_NO_ERROR;
        if (!cell.isText && WorkbookText::number(text, &value)) {
            written = worksheet_write_number(sheet.sheet, row, lxw_col_t(column), value, nullptr);
        } else {
            utf8_ = text.toUtf8();
            written = worksheet_write_string(sheet.sheet, row, lxw_col_t(column), utf8_.constData(), nullptr);
        }
        if (written != LXW_NO_ERROR) {
            return failWith(error, libraryReason(written));
        }
        sheet.fit.note(column, text);
    }
    // The library does not check its writes of finished rows to the sheet's temporary file: a full
    // disk would give a workbook that silently lacks rows.
    if (sheet.sheet->optimize_tmpfile && std::ferror(sheet.sheet->optimize_tmpfile)) {
        return failWith(error, systemReason(errno));
    }
    return true;
}

bool XlsxWorkbook::finish(QString* error)
{
    if (!ready(error) || (sheets_.empty() && !addSheet(error))) {
        return false;
    }
    for (const Sheet& sheet : sheets_) {
        const std::vector<int>& widths = sheet.fit.widths();
        for (size_t column = 0; column < widths.size(); ++column) {
            if (widths[column] > 0) {
                worksheet_set_column(sheet.sheet, lxw_col_t(column), lxw_col_t(column), widths[column],
                                     nullptr);
            }
        }
    }
    // Closing copies each sheet's rows into one more temporary file before packing them, again without
    // checking its writes: room for the largest sheet and the packed file is made sure of first, and
    // the packed sheets are checked against the rows afterwards.
    std::vector<qint64> stored;
    qint64 largest = 0;
    qint64 total = 0;
    for (const Sheet& sheet : sheets_) {
        FILE* rows = sheet.sheet->optimize_tmpfile;
        if (rows && (std::fflush(rows) != 0 || std::ferror(rows))) {
            return failWith(error, systemReason(errno));
        }
        stored.push_back(storedRows(sheet.sheet));
        largest = std::max(largest, stored.back());
        total += stored.back();
    }
    const qint64 available = QStorageInfo(QString::fromLocal8Bit(tempDir_)).bytesAvailable();
    if (available >= 0 && available < largest + total / 2 + kSpareBytes) {
        return failWith(error, QStringLiteral("磁盘空间不足"));
    }
    sheets_.clear();
    // Closing writes the file and frees the workbook, whatever the outcome.
    const lxw_error closed = workbook_close(book_.release());
    if (closed != LXW_NO_ERROR) {
        return failWith(error, libraryReason(closed));
    }
    QHash<QString, quint64> members;
    if (!zipMemberSizes(part_, &members)) {
        return failWith(error, libraryReason(LXW_ERROR_ZIP_BAD_ZIP_FILE));
    }
    for (size_t i = 0; i < stored.size(); ++i) {
        // A sheet holds its rows and the XML around them; one shorter lost some on the way.
        if (members.value(QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1)) <
            quint64(stored[i] + kSheetXml)) {
            return failWith(error, systemReason(0));
        }
    }
    if (!WorkbookFile::publish(part_, path_, error)) {
        state_ = State::Failed;
        return false;
    }
    state_ = State::Done;
    return true;
}
