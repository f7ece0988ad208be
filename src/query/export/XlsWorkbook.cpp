#include "query/export/XlsWorkbook.h"

#include "query/export/CompoundFile.h"
#include "query/export/WorkbookFile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace {

constexpr qint64 kCopyChunk = 1 << 20;

QString sheetName(size_t index)
{
    return QStringLiteral("Sheet%1").arg(index + 1);
}

} // namespace

XlsWorkbook::XlsWorkbook(const QString& path)
    : path_(path)
    , part_(WorkbookFile::partPath(path))
    , file_(part_)
{
}

XlsWorkbook::~XlsWorkbook()
{
    if (state_ != State::Done) {
        discard();
    }
}

// The part file is made at the first sheet so that a folder that cannot be written is reported
// before any rows are read for the export.
bool XlsWorkbook::ready(QString* error)
{
    if (state_ == State::Writing) {
        return true;
    }
    if (state_ != State::Fresh) {
        return WorkbookFile::fail(error, WorkbookFile::writeFailure(path_, QStringLiteral("工作簿已结束")));
    }
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return failWith(error, file_.errorString());
    }
    cells_.setFileTemplate(QFileInfo(part_).absolutePath() + QStringLiteral("/.zelvo-cells-XXXXXX"));
    if (!cells_.open()) {
        return failWith(error, cells_.errorString());
    }
    state_ = State::Writing;
    return true;
}

bool XlsWorkbook::failWith(QString* error, const QString& reason)
{
    discard();
    return WorkbookFile::fail(error, WorkbookFile::writeFailure(path_, reason));
}

void XlsWorkbook::discard()
{
    if (file_.isOpen() || state_ != State::Fresh) {
        file_.close();
        QFile::remove(part_);
    }
    cells_.close();
    sheets_.clear();
    state_ = State::Failed;
}

bool XlsWorkbook::addSheet(QString* error)
{
    if (!ready(error)) {
        return false;
    }
    if (!sheets_.empty()) {
        blocks_.clear();
        sheets_.back().close(&blocks_);
        if (!storeCells(blocks_, error)) {
            return false;
        }
    }
    sheets_.emplace_back(cellsSize_);
    return true;
}

bool XlsWorkbook::writeRow(const QList<WorkbookCell>& cells, QString* error)
{
    if (!ready(error) || (sheets_.empty() && !addSheet(error))) {
        return false;
    }
    blocks_.clear();
    QString reason;
    if (!sheets_.back().addRow(cells, strings_, &blocks_, &reason)) {
        return failWith(error, reason);
    }
    return storeCells(blocks_, error);
}

bool XlsWorkbook::storeCells(const QByteArray& blocks, QString* error)
{
    if (blocks.isEmpty()) {
        return true;
    }
    errno = 0;
    if (cells_.write(blocks) != blocks.size()) {
        // The temporary file's own error text says nothing ("Unknown error"); the system's does.
        const int code = errno;
        return failWith(error, code ? QString::fromLocal8Bit(std::strerror(code)) : cells_.errorString());
    }
    cellsSize_ += quint64(blocks.size());
    return true;
}

bool XlsWorkbook::finish(QString* error)
{
    if (!ready(error) || (sheets_.empty() && !addSheet(error))) {
        return false;
    }
    blocks_.clear();
    sheets_.back().close(&blocks_);
    if (!storeCells(blocks_, error) || !writeFile(error)) {
        return false;
    }
    file_.close();
    cells_.close();
    if (!WorkbookFile::publish(part_, path_, error)) {
        state_ = State::Failed;
        return false;
    }
    state_ = State::Done;
    return true;
}

// Globals (formats, sheet list, texts), then the sheets with their cells copied from the store.
bool XlsWorkbook::writeFile(QString* error)
{
    if (!cells_.flush()) {
        return failWith(error, cells_.errorString());
    }
    const QByteArray head = Biff::globalsHead();
    RecordOut counter;
    strings_.write(counter);
    quint64 boundSheets = 0;
    for (size_t i = 0; i < sheets_.size(); ++i) {
        boundSheets += quint64(Biff::boundSheet(0, sheetName(i)).size());
    }
    const quint64 globalsSize = quint64(head.size()) + boundSheets + counter.position() + Biff::eof().size();
    std::vector<quint64> starts;
    quint64 streamSize = globalsSize;
    for (const BiffSheet& sheet : sheets_) {
        starts.push_back(streamSize);
        streamSize += sheet.streamSize();
    }
    if (streamSize > CompoundFile::kMaxStreamSize) {
        return failWith(error, QStringLiteral("工作簿超过 2 GB"));
    }

    const CompoundFile container(streamSize);
    if (file_.write(container.header()) != CompoundFile::kSectorSize) {
        return failWith(error, file_.errorString());
    }
    RecordOut out(&file_);
    out.raw(head);
    for (size_t i = 0; i < sheets_.size(); ++i) {
        out.raw(Biff::boundSheet(quint32(starts[i]), sheetName(i)));
    }
    strings_.write(out);
    out.raw(Biff::eof());
    for (size_t i = 0; i < sheets_.size() && out.ok(); ++i) {
        const BiffSheet& sheet = sheets_[i];
        out.raw(sheet.head(starts[i]));
        if (!copyCells(sheet, out)) {
            return failWith(error, cells_.errorString());
        }
        out.raw(Biff::window2(i == 0));
        out.raw(Biff::eof());
    }
    if (!out.ok()) {
        return failWith(error, file_.errorString());
    }
    if (out.position() != streamSize) {
        // The sheet list would point into the wrong places: better no file than a broken one.
        return failWith(error, QStringLiteral("工作簿长度计算有误"));
    }
    out.raw(container.padding());
    out.raw(container.tail());
    if (!out.ok() || !file_.flush()) {
        return failWith(error, file_.errorString());
    }
    return true;
}

bool XlsWorkbook::copyCells(const BiffSheet& sheet, RecordOut& out)
{
    if (!cells_.seek(qint64(sheet.cellsBegin()))) {
        return false;
    }
    quint64 left = sheet.cellsSize();
    while (left > 0 && out.ok()) {
        const QByteArray chunk = cells_.read(qint64(std::min<quint64>(left, kCopyChunk)));
        if (chunk.isEmpty()) {
            return false;
        }
        out.raw(chunk);
        left -= quint64(chunk.size());
    }
    return true;
}
