#pragma once

#include <QByteArrayView>
#include <QString>

// A pseudo-terminal standing in for a scale cable: the reader opens devicePath() like any serial
// port, and what is written here arrives there. Raw line settings, so CR and LF pass unchanged.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isOpen() const { return m_master >= 0; }
    QString errorString() const { return m_error; }
    QString devicePath() const { return m_devicePath; }

    // Sends the bytes to the reader's side. False when the line is closed or its queue is full
    // (nobody reads); what did not fit is dropped, as a scale's bytes are.
    bool write(QByteArrayView bytes);

    // The far end goes away, as when the cable is pulled.
    void close();

private:
    int m_master = -1;
    QString m_devicePath;
    QString m_error;
};
