#include "scale/ScaleRecording.h"

#include "scale/ScaleFrames.h"

#include <QFile>
#include <QSaveFile>

std::optional<RecordedChunk> ByteChunker::add(qint64 ms, char byte)
{
    std::optional<RecordedChunk> closed;
    if (m_open && (ms - m_lastMs > kJoinMs || ms - m_open->ms > kLongestChunkMs)) {
        closed = std::move(m_open);
        m_open.reset();
    }
    if (!m_open) {
        m_open = RecordedChunk{ms, {}};
    }
    m_open->bytes.append(byte);
    m_lastMs = ms;
    return closed;
}

std::optional<RecordedChunk> ByteChunker::finish()
{
    std::optional<RecordedChunk> closed = std::move(m_open);
    m_open.reset();
    return closed;
}

RawByteHistory::RawByteHistory(qint64 spanMs)
    : m_spanMs(spanMs)
{
}

void RawByteHistory::add(qint64 ms, char byte)
{
    if (auto closed = m_chunker.add(ms, byte)) {
        keep(std::move(*closed));
    }
    while (!m_chunks.empty() && (ms - m_chunks.front().ms > m_spanMs || byteCount() > kMaxBytes)) {
        m_bytes -= m_chunks.front().bytes.size();
        m_chunks.pop_front();
    }
}

void RawByteHistory::keep(RecordedChunk chunk)
{
    m_bytes += chunk.bytes.size();
    m_chunks.push_back(std::move(chunk));
}

QList<RecordedChunk> RawByteHistory::chunks() const
{
    QList<RecordedChunk> all(m_chunks.begin(), m_chunks.end());
    if (const RecordedChunk* open = m_chunker.open()) {
        all.append(*open);
    }
    return all;
}

void RawByteHistory::clear()
{
    m_chunker.finish();
    m_chunks.clear();
    m_bytes = 0;
}

namespace ScaleRecording {

namespace {

bool fail(QString* error, const QString& text)
{
    if (error) {
        *error = text;
    }
    return false;
}

} // namespace

QByteArray header()
{
    return QByteArrayLiteral("# zelvo-scale 称重记录: 毫秒<TAB>字节\n");
}

QByteArray line(const RecordedChunk& chunk, qint64 originMs)
{
    return QByteArray::number(chunk.ms - originMs) + '\t' + ScaleFrames::escape(chunk.bytes).toLatin1() +
           '\n';
}

bool save(const QString& path, const QList<RecordedChunk>& chunks, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(error, file.errorString());
    }
    const qint64 origin = chunks.isEmpty() ? 0 : chunks.first().ms;
    QByteArray text = header();
    for (const RecordedChunk& chunk : chunks) {
        text += line(chunk, origin);
    }
    if (file.write(text) != text.size() || !file.commit()) {
        return fail(error, file.errorString());
    }
    return true;
}

bool load(const QString& path, QList<RecordedChunk>* chunks, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(error, path + QStringLiteral(": ") + file.errorString());
    }
    chunks->clear();
    int number = 0;
    qint64 previous = 0;
    while (!file.atEnd()) {
        ++number;
        QByteArray text = file.readLine();
        if (text.endsWith('\n')) {
            text.chop(1);
        }
        if (text.isEmpty() || text.startsWith('#')) {
            continue;
        }
        const qsizetype tab = text.indexOf('\t');
        bool ok = false;
        const qint64 ms = tab > 0 ? text.left(tab).toLongLong(&ok) : 0;
        const auto bytes = ok ? ScaleFrames::unescape(QString::fromLatin1(text.mid(tab + 1))) : std::nullopt;
        if (!bytes || ms < previous) {
            return fail(error, QStringLiteral("%1 第%2行不是称重记录").arg(path).arg(number));
        }
        previous = ms;
        chunks->append(RecordedChunk{ms, *bytes});
    }
    return true;
}

} // namespace ScaleRecording
