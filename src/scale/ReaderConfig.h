#pragma once

#include <QString>

// What a scale reader is created with. The main window and the scale settings always pass
// parity 'N', 8 data bits and 1 stop bit.
struct ReaderConfig
{
    int scaleTypeIndex = 0;
    // 1 = COM1; 0 = no port chosen.
    int portNumber = 0;
    // The serial device that port number stands for on this machine.
    QString device;
    int baudRate = 9600;
    // Kilograms; the decoder's upper limit.
    double scaleRange = 0.0;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;
};
