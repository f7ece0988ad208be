#include "query/export/SharedStrings.h"

#include "query/export/BiffRecords.h"

#include <QHash>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr int kHeaderBytes = 3; // character count and option byte
constexpr quint32 kMaxBuckets = 128;
constexpr quint32 kMinPerBucket = 8;

// The text as the table stores it: count, option byte (bit 0: 16-bit characters), characters.
void encode(QStringView text, QByteArray& out)
{
    out.clear();
    bool wide = false;
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) {
            wide = true;
            break;
        }
    }
    Biff::put16(out, quint16(text.size()));
    Biff::put8(out, wide ? 1 : 0);
    if (wide) {
        out.reserve(kHeaderBytes + text.size() * 2);
        for (const QChar c : text) {
            Biff::put16(out, c.unicode());
        }
    } else {
        out.resize(kHeaderBytes + text.size());
        char* data = out.data() + kHeaderBytes;
        for (const QChar c : text) {
            *data++ = char(c.unicode());
        }
    }
}

qsizetype encodedSize(const char* entry)
{
    const quint16 chars = qFromLittleEndian<quint16>(entry);
    return kHeaderBytes + qsizetype(chars) * ((entry[2] & 1) ? 2 : 1);
}

} // namespace

bool SharedStrings::add(QStringView text, quint32* index)
{
    encode(text, scratch_);
    const size_t hash = qHash(QByteArrayView(scratch_));
    // At most three quarters full keeps probing short.
    if (slots_.empty() || offsets_.size() * 4 >= slots_.size() * 3) {
        grow();
    }
    const quint32 found = find(scratch_, hash);
    const size_t mask = slots_.size() - 1;
    if (found != 0) {
        *index = found - 1;
    } else {
        if (quint64(blob_.size()) + quint64(scratch_.size()) > std::numeric_limits<quint32>::max()) {
            return false;
        }
        size_t slot = hash & mask;
        while (slots_[slot] != 0) {
            slot = (slot + 1) & mask;
        }
        offsets_.push_back(quint32(blob_.size()));
        blob_.append(scratch_);
        slots_[slot] = quint32(offsets_.size());
        *index = quint32(offsets_.size() - 1);
    }
    ++references_;
    return true;
}

quint32 SharedStrings::find(QByteArrayView encoded, size_t hash) const
{
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
        const char* entry = blob_.constData() + offsets_[slots_[slot] - 1];
        if (encodedSize(entry) == encoded.size() && std::memcmp(entry, encoded.data(), encoded.size()) == 0) {
            return slots_[slot];
        }
    }
    return 0;
}

void SharedStrings::grow()
{
    const size_t size = std::max<size_t>(1024, slots_.size() * 2);
    std::vector<quint32> table(size, 0);
    const size_t mask = size - 1;
    for (quint32 i = 0; i < count(); ++i) {
        const char* entry = blob_.constData() + offsets_[i];
        size_t slot = qHash(QByteArrayView(entry, encodedSize(entry))) & mask;
        while (table[slot] != 0) {
            slot = (slot + 1) & mask;
        }
        table[slot] = i + 1;
    }
    slots_.swap(table);
}

void SharedStrings::write(RecordOut& out) const
{
    if (offsets_.empty()) {
        return;
    }
    const quint32 texts = count();
    const quint32 perBucket = std::max(kMinPerBucket, (texts + kMaxBuckets - 1) / kMaxBuckets);
    QByteArray ext;
    Biff::put16(ext, quint16(perBucket));

    QByteArray body;
    body.reserve(Biff::kMaxBody);
    Biff::put32(body, references_);
    Biff::put32(body, texts);
    quint16 id = Biff::Sst;
    const auto flush = [&]() {
        out.record(id, body);
        body.clear();
        id = Biff::Continue;
    };
    for (quint32 i = 0; i < texts; ++i) {
        const char* entry = blob_.constData() + offsets_[i];
        const quint16 chars = qFromLittleEndian<quint16>(entry);
        const char option = entry[2];
        const int unit = (option & 1) ? 2 : 1;
        // The header and the first character stay together in one record.
        if (Biff::kMaxBody - body.size() < kHeaderBytes + unit) {
            flush();
        }
        if (i % perBucket == 0) {
            const quint32 offset = quint32(4 + body.size());
            Biff::put32(ext, quint32(out.position()) + offset);
            Biff::put16(ext, quint16(offset));
            Biff::put16(ext, 0);
        }
        body.append(entry, kHeaderBytes);
        const char* data = entry + kHeaderBytes;
        qsizetype left = chars;
        while (left > 0) {
            const qsizetype fit = (Biff::kMaxBody - body.size()) / unit;
            if (fit == 0) {
                // The rest of the characters go on in a Continue record that repeats the option byte.
                flush();
                body.append(option);
                continue;
            }
            const qsizetype take = std::min(fit, left);
            body.append(data, take * unit);
            data += take * unit;
            left -= take;
        }
    }
    flush();
    out.record(Biff::ExtSst, ext);
}
