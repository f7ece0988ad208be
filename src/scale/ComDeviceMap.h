#pragma once

#include <QSqlDatabase>
#include <QString>

// On this system a scale port keeps its number (1 = COM1) and each number stands for a serial
// device. The operator's choices live in login.db, table ComDevice (Com, Device); a number without
// a row uses the default below.
namespace ComDeviceMap {

// COM1-COM4: the built-in ports /dev/ttyS0-3; COM5-COM12: USB-serial adapters /dev/ttyUSB0-7;
// COM13-COM20: USB scales of the modem class /dev/ttyACM0-7; higher numbers /dev/ttyS<n-1>.
// No device for numbers below 1.
QString defaultDevice(int comNumber);

bool ensureTable(QSqlDatabase& db, QString* error);

// The stored device of that number, or its default.
QString device(QSqlDatabase& db, int comNumber);

// Stores the device for that number; the table must exist.
bool store(QSqlDatabase& db, int comNumber, const QString& device, QString* error);

} // namespace ComDeviceMap
