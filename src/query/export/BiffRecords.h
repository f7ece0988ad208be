#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

class QIODevice;

// Records of the Excel 97-2003 workbook stream: a 2-byte id, a 2-byte length and the body, all
// numbers little-endian.
namespace Biff {

constexpr qsizetype kMaxBody = 8224; // longer data goes on in Continue records
constexpr quint16 kXfCell = 15;      // the cell format every cell uses
constexpr int kMaxRows = 65536;
constexpr int kMaxColumns = 256;

enum Id : quint16
{
    Eof = 0x000A,
    Font = 0x0031,
    Window1 = 0x003D,
    Continue = 0x003C,
    Codepage = 0x0042,
    DefColWidth = 0x0055,
    ColInfo = 0x007D,
    BoundSheet = 0x0085,
    DbCell = 0x00D7,
    Xf = 0x00E0,
    Sst = 0x00FC,
    LabelSst = 0x00FD,
    ExtSst = 0x00FF,
    Dimensions = 0x0200,
    Number = 0x0203,
    Row = 0x0208,
    Index = 0x020B,
    Window2 = 0x023E,
    Style = 0x0293,
    Bof = 0x0809,
};

void put8(QByteArray& out, quint8 value);
void put16(QByteArray& out, quint16 value);
void put32(QByteArray& out, quint32 value);
void putDouble(QByteArray& out, double value);
// A whole record: header and body.
void putRecord(QByteArray& out, quint16 id, QByteArrayView body);

// The records of the workbook globals before the sheet list: version, code page, window, fonts,
// cell formats and the normal style.
QByteArray globalsHead();
// The sheet list entry of a sheet whose BOF record is at streamOffset.
QByteArray boundSheet(quint32 streamOffset, const QString& name);
QByteArray bof(bool worksheet);
QByteArray eof();
// The sheet's window settings; the first sheet is the one selected when the file opens.
QByteArray window2(bool firstSheet);

} // namespace Biff

// Writes records to a device, or only counts their bytes when there is none; keeps the position in
// the stream and the first write error.
class RecordOut
{
public:
    explicit RecordOut(QIODevice* device = nullptr);

    void record(quint16 id, QByteArrayView body);
    void raw(QByteArrayView bytes);
    quint64 position() const { return position_; }
    bool ok() const { return ok_; }

private:
    QIODevice* device_;
    quint64 position_ = 0;
    bool ok_ = true;
};
