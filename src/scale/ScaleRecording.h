#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <deque>
#include <optional>

// Bytes of the scale that arrived together, and when (milliseconds on the recorder's clock).
struct RecordedChunk
{
    qint64 ms = 0;
    QByteArray bytes;

    bool operator==(const RecordedChunk&) const = default;
};

// Groups the bytes of the line, handed over one at a time, into chunks: a byte that follows the
// previous one closely belongs to its chunk, as long as the chunk stays short, so that a replay
// puts each frame on the line within a few milliseconds of when it came.
class ByteChunker
{
public:
    // A byte this close to the previous one joins its chunk…
    static constexpr qint64 kJoinMs = 2;
    // …unless the chunk began longer ago than this.
    static constexpr qint64 kLongestChunkMs = 20;

    // Returns the chunk this byte closed, if it closed one.
    std::optional<RecordedChunk> add(qint64 ms, char byte);
    // Closes and returns the open chunk, if any.
    std::optional<RecordedChunk> finish();
    // The chunk still open; nullptr when there is none.
    const RecordedChunk* open() const { return m_open ? &*m_open : nullptr; }

private:
    std::optional<RecordedChunk> m_open;
    qint64 m_lastMs = 0;
};

// The raw bytes of the last stretch of time (ten minutes by default), so that what the scale sent
// before a support call can be saved afterwards. Memory stays bounded: chunks older than the span
// go, and so do the oldest ones beyond kMaxBytes (a fast line that never pauses).
class RawByteHistory
{
public:
    static constexpr qint64 kDefaultSpanMs = 10 * 60 * 1000;
    static constexpr qsizetype kMaxBytes = 8 * 1024 * 1024;

    explicit RawByteHistory(qint64 spanMs = kDefaultSpanMs);

    void add(qint64 ms, char byte);
    // Every kept chunk, the open one included, oldest first.
    QList<RecordedChunk> chunks() const;
    qsizetype byteCount() const { return m_bytes + (m_chunker.open() ? m_chunker.open()->bytes.size() : 0); }
    void clear();

private:
    void keep(RecordedChunk chunk);

    const qint64 m_spanMs;
    ByteChunker m_chunker;
    std::deque<RecordedChunk> m_chunks;
    qsizetype m_bytes = 0;
};

// The file of a recorded scale session: a comment line, then one line per chunk, the milliseconds
// since the first chunk, a tab and the bytes in the escapes of the scale simulator (\r, \n, \t, \\,
// \xHH). Plain text, so that support can read it and cut it.
namespace ScaleRecording {

// The first line of a file.
QByteArray header();
// One chunk's line, its time counted from `originMs`.
QByteArray line(const RecordedChunk& chunk, qint64 originMs);

// Writes the chunks, their times counted from the first one.
bool save(const QString& path, const QList<RecordedChunk>& chunks, QString* error);
// Reads a file; lines starting with '#' and empty lines are skipped. Times must not go back.
bool load(const QString& path, QList<RecordedChunk>* chunks, QString* error);

} // namespace ScaleRecording
