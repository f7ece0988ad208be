#include "query/export/CompoundFile.h"

#include "query/export/BiffRecords.h"

#include <QString>

#include <algorithm>

namespace {

constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr quint32 kDifatSector = 0xFFFFFFFC;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr quint32 kEntriesPerSector = CompoundFile::kSectorSize / 4;
constexpr quint32 kHeaderFatEntries = 109;
constexpr quint32 kDirectoryEntrySize = 128;

quint32 sectorsFor(quint64 bytes)
{
    return quint32((bytes + CompoundFile::kSectorSize - 1) / CompoundFile::kSectorSize);
}

quint32 ceilDiv(quint32 a, quint32 b)
{
    return (a + b - 1) / b;
}

void putDirectoryEntry(QByteArray& out, const QString& name, quint8 type, quint32 child, quint32 start,
                       quint32 size)
{
    const qsizetype begin = out.size();
    for (const QChar c : name) {
        Biff::put16(out, c.unicode());
    }
    out.append(64 - (out.size() - begin), '\0');
    Biff::put16(out, name.isEmpty() ? 0 : quint16((name.size() + 1) * 2));
    Biff::put8(out, type);
    Biff::put8(out, type == 0 ? 0 : 1); // black: a tree of one node
    Biff::put32(out, kNoStream);
    Biff::put32(out, kNoStream);
    Biff::put32(out, child);
    out.append(16 + 4 + 8 + 8, '\0'); // class id, state bits, creation and change times
    Biff::put32(out, start);
    Biff::put32(out, size);
    Biff::put32(out, 0);
    Q_ASSERT(out.size() - begin == kDirectoryEntrySize);
}

} // namespace

CompoundFile::CompoundFile(quint64 streamSize)
    : streamSize_(std::max(streamSize, kMinStreamSize))
    , streamSectors_(sectorsFor(streamSize_))
    , writtenSize_(streamSize)
{
    // The table maps its own sectors too: grow it until it covers everything.
    for (;;) {
        const quint32 total = streamSectors_ + fatSectors_ + difatSectors_ + 1;
        const quint32 fat = ceilDiv(total, kEntriesPerSector);
        const quint32 difat =
            fat > kHeaderFatEntries ? ceilDiv(fat - kHeaderFatEntries, kEntriesPerSector - 1) : 0;
        if (fat == fatSectors_ && difat == difatSectors_) {
            break;
        }
        fatSectors_ = std::max(fat, fatSectors_);
        difatSectors_ = std::max(difat, difatSectors_);
    }
}

QByteArray CompoundFile::header() const
{
    QByteArray out;
    out.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    out.append(16, '\0');     // class id
    Biff::put16(out, 0x003E); // minor version
    Biff::put16(out, 0x0003); // major version 3: 512-byte sectors
    Biff::put16(out, 0xFFFE); // little-endian
    Biff::put16(out, 9);      // sector size 2^9
    Biff::put16(out, 6);      // mini sector size 2^6
    out.append(6, '\0');
    Biff::put32(out, 0); // directory sectors: not counted in version 3
    Biff::put32(out, fatSectors_);
    Biff::put32(out, streamSectors_ + fatSectors_ + difatSectors_); // first directory sector
    Biff::put32(out, 0);
    Biff::put32(out, quint32(kMinStreamSize));
    Biff::put32(out, kEndOfChain); // no mini table
    Biff::put32(out, 0);
    Biff::put32(out, difatSectors_ ? streamSectors_ + fatSectors_ : kEndOfChain);
    Biff::put32(out, difatSectors_);
    for (quint32 i = 0; i < kHeaderFatEntries; ++i) {
        Biff::put32(out, i < fatSectors_ ? streamSectors_ + i : kFreeSector);
    }
    Q_ASSERT(out.size() == kSectorSize);
    return out;
}

QByteArray CompoundFile::padding() const
{
    return QByteArray(qsizetype(quint64(streamSectors_) * kSectorSize - writtenSize_), '\0');
}

QByteArray CompoundFile::tail() const
{
    const quint32 fatStart = streamSectors_;
    const quint32 difatStart = fatStart + fatSectors_;
    const quint32 directory = difatStart + difatSectors_;
    QByteArray out;
    out.reserve(qsizetype(fatSectors_ + difatSectors_ + 1) * kSectorSize);

    for (quint32 i = 0; i < streamSectors_; ++i) {
        Biff::put32(out, i + 1 < streamSectors_ ? i + 1 : kEndOfChain);
    }
    for (quint32 i = 0; i < fatSectors_; ++i) {
        Biff::put32(out, kFatSector);
    }
    for (quint32 i = 0; i < difatSectors_; ++i) {
        Biff::put32(out, kDifatSector);
    }
    Biff::put32(out, kEndOfChain); // the directory's one sector
    for (quint32 i = directory + 1; i < fatSectors_ * kEntriesPerSector; ++i) {
        Biff::put32(out, kFreeSector);
    }

    // The table sectors the header has no room for, 127 to a sector, each ending with the next.
    quint32 listed = kHeaderFatEntries;
    for (quint32 d = 0; d < difatSectors_; ++d) {
        for (quint32 i = 0; i < kEntriesPerSector - 1; ++i, ++listed) {
            Biff::put32(out, listed < fatSectors_ ? fatStart + listed : kFreeSector);
        }
        Biff::put32(out, d + 1 < difatSectors_ ? difatStart + d + 1 : kEndOfChain);
    }

    putDirectoryEntry(out, QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    putDirectoryEntry(out, QStringLiteral("Workbook"), 2, kNoStream, 0, quint32(streamSize_));
    putDirectoryEntry(out, QString(), 0, kNoStream, 0, 0);
    putDirectoryEntry(out, QString(), 0, kNoStream, 0, 0);
    Q_ASSERT(out.size() == qsizetype(fatSectors_ + difatSectors_ + 1) * kSectorSize);
    return out;
}
