#pragma once

#include "scale/ReaderConfig.h"

#include <QSemaphore>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>

class QSerialPort;

// The scale reader: a worker thread that opens and configures the serial port, waits for bytes
// and hands each one to the window thread, handing over the next only after that byte was
// handled.
// It never sends to the scale and never touches a widget: what it has to show comes out as
// signals emitted on the thread the object lives on (the window thread).
class TComThread : public QThread
{
    Q_OBJECT

public:
    struct OpenResult
    {
        bool opened = false;
        // Why the port did not open; empty when it did.
        QString failure;
        // Reports of configuration steps that failed; the reader runs on regardless.
        QStringList configurationReports;
    };

    static const QString& readingText();
    static const QString& unpluggedText();
    static const QString& readErrorText();

    explicit TComThread(const ReaderConfig& config, QObject* parent = nullptr);
    // Asks the loop to stop and waits for it; the loop notices within a fraction of a second.
    ~TComThread() override;
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Starts the thread and returns once the port is open and configured, or failed to open.
    // A reader whose port did not open has ended and counts as stop-requested.
    OpenResult begin();

    void requestStop();
    bool isStopRequested() const { return m_stopRequested.load(); }

    // While suspended the port is still drained, but what arrives is dropped and no status
    // text is shown: the operator is typing into the weight boxes.
    void suspend();
    void resume();
    bool isSuspended() const { return m_suspended.load(); }

    const ReaderConfig& config() const { return m_config; }

signals:
    void byteReceived(char byte);
    void statusText(const QString& text);
    // The error report of the failure that ended the reader; statusText() follows with the text
    // the weight boxes show for it.
    void failed(const QString& report);

protected:
    void run() override;

private:
    bool receive(QSerialPort& port);
    bool handOver(char byte);
    void postStatus(const QString& text);
    void fail(const QSerialPort& port, const char* step, const QString& label, const QString& text);
    void deliverByte(char byte);
    void waitWhileSuspended();

    const ReaderConfig m_config;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_suspended{false};
    std::atomic<bool> m_resumed{false};
    QSemaphore m_opened;
    QSemaphore m_handled;
    OpenResult m_openResult;
};
