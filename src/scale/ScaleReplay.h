#pragma once

#include "scale/ScaleRecording.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

class PseudoTerminal;

// Plays a recorded scale session onto a line at the pace it was recorded: each chunk goes out
// when as much time has passed since start() as passed after the first chunk of the recording.
// Times are taken from one clock for the whole replay, so delays do not add up.
class ScaleReplay : public QObject
{
    Q_OBJECT

public:
    ScaleReplay(PseudoTerminal& line, QList<RecordedChunk> chunks, QObject* parent = nullptr);

    void start();
    bool isRunning() const { return m_timer.isActive(); }

signals:
    // After the last chunk; the line stays open.
    void finished();

private:
    void sendDue();

    PseudoTerminal& m_line;
    const QList<RecordedChunk> m_chunks;
    qsizetype m_next = 0;
    QElapsedTimer m_clock;
    QTimer m_timer;
};
