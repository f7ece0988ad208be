#pragma once

#include <QSerialPort>
#include <QString>

// Texts the reader shows about its port. A port is named by its device where there is one,
// otherwise as "COM" + number.
namespace PortMessages {

QString portLabel(int portNumber, const QString& device);

// Why the port did not open, naming the port. `deviceAccessible` tells whether this user may
// read and write the device file: a permission error on an accessible device comes from a lock
// held by another program or left behind.
QString openFailure(const QString& label, QSerialPort::SerialPortError error, bool deviceAccessible);

// The report of a step on the port that failed: a configuration step, or the wait or the read
// that ended the reader.
QString failureReport(const QString& step, const QString& systemText, const QString& label);

// The lock file a serial program leaves for this device: the one that holds the port when it
// exists, otherwise where it would be.
QString lockFileFor(const QString& device);

bool deviceAccessible(const QString& device);

} // namespace PortMessages
