#pragma once

#include "scale/ReaderConfig.h"
#include "scale/ScaleRecording.h"
#include "scale/WeightDecoder.h"
#include "scale/WeightStability.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class Prompter;
class TComThread;

// Owns the program's single scale reader and the frame decoder it feeds. Lives on the window
// thread; everything the weight boxes are to show comes out as weightText(), already on that
// thread, so the window only connects it to the boxes.
class ScaleReaderHost : public QObject
{
    Q_OBJECT

public:
    explicit ScaleReaderHost(Prompter& prompter, QObject* parent = nullptr);
    // Asks the reader to stop and waits at most a second, so the program ends even when the
    // reader does not.
    ~ScaleReaderHost() override;
    ScaleReaderHost(const ScaleReaderHost&) = delete;
    ScaleReaderHost& operator=(const ScaleReaderHost&) = delete;

    // Replaces the reader by a new one for this configuration. Why the port did not open,
    // configuration steps that failed and the failure that ends a running reader are told through
    // the prompter. Returns whether the port opened; a reader whose port failed stays in place as
    // one that has ended.
    bool start(const ReaderConfig& config);
    // Stops the reader, waits for its end and forgets it.
    void stopAndWait();
    // Asks the reader to stop without waiting (program end).
    void requestStop();
    // Both do nothing without a reader or once a stop has been requested.
    void suspend();
    void resume();
    // True also when there is no reader: nothing is running that could be suspended.
    bool isStopRequested() const;
    bool hasReader() const { return m_reader != nullptr; }
    bool isSuspended() const;
    const WeightDecoder& decoder() const { return m_decoder; }

    // Whether the weight shown has settled (WeightStability over the frames as they arrive).
    bool isStable() const { return m_stable; }

    // The empty-scale watch: from markParcelShipped() on, the lightest reading of the scale. A
    // negative-weight frame counts as lighter than anything. Without a mark every test passes.
    void markParcelShipped();
    // True when there is no mark, or the scale has read less than `grams` since it.
    bool readBelowSinceMark(double grams) const;

    // The raw bytes of the last ten minutes, with their arrival times on clockMs().
    const RawByteHistory& history() const { return m_history; }
    qint64 clockMs() const { return m_clock.elapsed(); }

signals:
    void weightText(const QString& text);
    void stableChanged(bool stable);
    // Every byte the reader hands over, at its arrival on clockMs().
    void rawByte(qint64 ms, char byte);

private:
    void onByte(char byte);
    void onStatus(const QString& text);
    // The stable mark after a frame, a status or the passing of time.
    void updateStable();

    Prompter& m_prompter;
    WeightDecoder m_decoder;
    std::unique_ptr<TComThread> m_reader;
    QElapsedTimer m_clock;
    RawByteHistory m_history;
    WeightStability m_stability;
    bool m_stable = false;
    // Fires when the frames so far stop making the weight stable (a scale gone silent).
    QTimer m_stableExpiry;
    bool m_watchingEmpty = false;
    double m_lightestSinceMark = 0;
};
