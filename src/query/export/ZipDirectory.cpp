#include "query/export/ZipDirectory.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>

namespace {

constexpr quint32 kEndSignature = 0x06054b50;
constexpr quint32 kEntrySignature = 0x02014b50;
constexpr qint64 kEndSize = 22;
constexpr qint64 kMaxComment = 0xFFFF;
constexpr qsizetype kEntrySize = 46;

quint16 u16(const QByteArray& data, qsizetype at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

quint32 u32(const QByteArray& data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

} // namespace

bool zipMemberSizes(const QString& path, QHash<QString, quint64>* sizes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < kEndSize) {
        return false;
    }
    // The end record is last, after a comment of at most 64 kB.
    const qint64 tailSize = std::min(file.size(), kEndSize + kMaxComment);
    if (!file.seek(file.size() - tailSize)) {
        return false;
    }
    const QByteArray tail = file.read(tailSize);
    qsizetype end = tail.size() - kEndSize;
    while (end >= 0 && u32(tail, end) != kEndSignature) {
        --end;
    }
    if (end < 0) {
        return false;
    }
    const quint32 directorySize = u32(tail, end + 12);
    const quint32 directoryOffset = u32(tail, end + 16);
    if (!file.seek(directoryOffset)) {
        return false;
    }
    const QByteArray directory = file.read(directorySize);
    if (directory.size() != qsizetype(directorySize)) {
        return false;
    }
    for (qsizetype at = 0; at + kEntrySize <= directory.size();) {
        if (u32(directory, at) != kEntrySignature) {
            return false;
        }
        const quint16 nameSize = u16(directory, at + 28);
        const qsizetype next = at + kEntrySize + nameSize + u16(directory, at + 30) + u16(directory, at + 32);
        if (next > directory.size()) {
            return false;
        }
        sizes->insert(QString::fromUtf8(directory.mid(at + kEntrySize, nameSize)), u32(directory, at + 24));
        at = next;
    }
    return true;
}
