#pragma once

#include <QByteArray>
#include <QtGlobal>

// The compound file around the binary workbook: a header sector, the "Workbook" stream in
// consecutive 512-byte sectors, then the allocation table (with its extension sectors when the
// header cannot list all of its sectors) and one directory sector. The caller writes header(),
// then the stream, then padding() and tail().
class CompoundFile
{
public:
    static constexpr quint32 kSectorSize = 512;
    // Shorter streams would belong in the mini stream; the workbook is padded up to this instead.
    static constexpr quint64 kMinStreamSize = 4096;
    // The stream's size must fit the directory's 31 bits.
    static constexpr quint64 kMaxStreamSize = 0x7FFFFE00;

    explicit CompoundFile(quint64 streamSize);

    QByteArray header() const;
    // The zeros after the stream up to the end of its last sector.
    QByteArray padding() const;
    QByteArray tail() const;

private:
    quint64 streamSize_; // as the directory records it
    quint32 streamSectors_;
    quint32 fatSectors_ = 1;
    quint32 difatSectors_ = 0;
    quint64 writtenSize_; // what the caller writes
};
