#include "scale/ScaleReplay.h"

#include "scale/PseudoTerminal.h"

ScaleReplay::ScaleReplay(PseudoTerminal& line, QList<RecordedChunk> chunks, QObject* parent)
    : QObject(parent)
    , m_line(line)
    , m_chunks(std::move(chunks))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ScaleReplay::sendDue);
}

void ScaleReplay::start()
{
    m_next = 0;
    m_clock.start();
    sendDue();
}

void ScaleReplay::sendDue()
{
    const qint64 origin = m_chunks.isEmpty() ? 0 : m_chunks.first().ms;
    while (m_next < m_chunks.size()) {
        const qint64 due = m_chunks.at(m_next).ms - origin;
        const qint64 now = m_clock.elapsed();
        if (due > now) {
            m_timer.start(static_cast<int>(due - now));
            return;
        }
        // A line nobody reads drops the bytes, as a scale's line would.
        m_line.write(m_chunks.at(m_next).bytes);
        ++m_next;
    }
    emit finished();
}
