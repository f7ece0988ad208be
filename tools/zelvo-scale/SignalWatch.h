#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a signal of the event loop, so a command ends through its
// destructors (the reader stopped, the pseudo-terminal closed) instead of being killed. Create it
// before any thread starts: the two signals are blocked for the whole process and read from a
// signalfd.
class SignalWatch : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatch(QObject* parent = nullptr);
    ~SignalWatch() override;
    bool isValid() const { return m_fd >= 0; }

signals:
    void received();

private:
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
