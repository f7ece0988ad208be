#include "query/export/BiffRecords.h"

#include <QIODevice>
#include <QtEndian>

#include <cstring>

namespace Biff {

namespace {

constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kCodepageUtf16 = 1200;
constexpr int kFonts = 4;            // readers expect the fonts 0 to 3 to exist
constexpr int kStyleXfs = 15;        // the style formats 0 to 14 come before the first cell format
constexpr quint16 kFontHeight = 220; // 11 pt in twips

// A short string as fonts and sheet names hold it: 1-byte length, then 8-bit or 16-bit characters.
void putShortString(QByteArray& out, const QString& text)
{
    const QString cut = text.left(255);
    bool wide = false;
    for (const QChar c : cut) {
        wide = wide || c.unicode() > 0xFF;
    }
    put8(out, quint8(cut.size()));
    put8(out, wide ? 1 : 0);
    for (const QChar c : cut) {
        if (wide) {
            put16(out, c.unicode());
        } else {
            put8(out, quint8(c.unicode()));
        }
    }
}

QByteArray font()
{
    QByteArray body;
    put16(body, kFontHeight);
    put16(body, 0);      // plain
    put16(body, 0x7FFF); // automatic colour
    put16(body, 400);    // normal weight
    put16(body, 0);      // no super- or subscript
    put8(body, 0);       // not underlined
    put8(body, 0);       // family: don't care
    put8(body, 0x86);    // GB2312 character set
    put8(body, 0);
    putShortString(body, QStringLiteral("宋体"));
    return body;
}

enum class XfKind
{
    NormalStyle, // style 0, which defines every attribute
    OtherStyle,  // the built-in styles 1 to 14, which leave all attributes to the normal style
    Cell
};

// A format: font 0, number format General, bottom aligned, no borders, automatic colours.
QByteArray xf(XfKind kind)
{
    const bool style = kind != XfKind::Cell;
    QByteArray body;
    put16(body, 0); // font
    put16(body, 0); // number format
    // Locked; a style format has the style bit and no parent, a cell format has style 0 as parent.
    put16(body, style ? 0xFFF5 : 0x0001);
    put8(body, 0x20); // bottom aligned
    put8(body, 0);    // no rotation
    put8(body, 0);    // no indent
    put8(body, kind == XfKind::OtherStyle ? 0xF4 : 0x00);
    put32(body, 0); // no borders
    put32(body, 0);
    put16(body, 0x20C0); // pattern colours: system foreground and background
    return body;
}

} // namespace

void put8(QByteArray& out, quint8 value)
{
    out.append(char(value));
}

void put16(QByteArray& out, quint16 value)
{
    const quint16 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void put32(QByteArray& out, quint32 value)
{
    const quint32 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void putDouble(QByteArray& out, double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const quint64 le = qToLittleEndian(bits);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void putRecord(QByteArray& out, quint16 id, QByteArrayView body)
{
    Q_ASSERT(body.size() <= kMaxBody);
    put16(out, id);
    put16(out, quint16(body.size()));
    out.append(body.data(), body.size());
}

QByteArray bof(bool worksheet)
{
    QByteArray body;
    put16(body, kBiff8);
    put16(body, worksheet ? 0x0010 : 0x0005);
    put16(body, 0x0DBB); // build
    put16(body, 0x07CC); // year
    put32(body, 0);      // file history
    put32(body, 0x06);   // lowest version that reads the file: Excel 97
    QByteArray out;
    putRecord(out, Bof, body);
    return out;
}

QByteArray eof()
{
    QByteArray out;
    putRecord(out, Eof, {});
    return out;
}

QByteArray globalsHead()
{
    QByteArray out = bof(false);
    QByteArray codepage;
    put16(codepage, kCodepageUtf16);
    putRecord(out, Codepage, codepage);

    QByteArray window;
    put16(window, 360); // position and size in twips
    put16(window, 270);
    put16(window, 14940);
    put16(window, 9150);
    put16(window, 0x0038); // scroll bars and sheet tabs shown
    put16(window, 0);      // first sheet active
    put16(window, 0);      // first sheet tab shown
    put16(window, 1);      // one sheet selected
    put16(window, 600);    // tab bar takes 60 % of the width
    putRecord(out, Window1, window);

    const QByteArray fontBody = font();
    for (int i = 0; i < kFonts; ++i) {
        putRecord(out, Font, fontBody);
    }
    putRecord(out, Xf, xf(XfKind::NormalStyle));
    const QByteArray styleXf = xf(XfKind::OtherStyle);
    for (int i = 1; i < kStyleXfs; ++i) {
        putRecord(out, Xf, styleXf);
    }
    putRecord(out, Xf, xf(XfKind::Cell));

    QByteArray style;
    put16(style, 0x8000); // built-in style on format 0
    put8(style, 0);       // "Normal"
    put8(style, 0xFF);
    putRecord(out, Style, style);
    return out;
}

QByteArray boundSheet(quint32 streamOffset, const QString& name)
{
    QByteArray body;
    put32(body, streamOffset);
    put8(body, 0); // visible
    put8(body, 0); // worksheet
    putShortString(body, name);
    QByteArray out;
    putRecord(out, BoundSheet, body);
    return out;
}

QByteArray window2(bool firstSheet)
{
    QByteArray body;
    // Grid, headers, zeros, outline symbols and default grid colour; the first sheet also selected
    // and shown.
    put16(body, firstSheet ? 0x06B6 : 0x00B6);
    put16(body, 0); // top row
    put16(body, 0); // left column
    put16(body, 0x40);
    put16(body, 0);
    put16(body, 0); // zooms: default
    put16(body, 0);
    put16(body, 0);
    put16(body, 0);
    QByteArray out;
    putRecord(out, Window2, body);
    return out;
}

} // namespace Biff

RecordOut::RecordOut(QIODevice* device)
    : device_(device)
{
}

void RecordOut::record(quint16 id, QByteArrayView body)
{
    QByteArray header;
    Biff::put16(header, id);
    Biff::put16(header, quint16(body.size()));
    raw(header);
    raw(body);
}

void RecordOut::raw(QByteArrayView bytes)
{
    position_ += quint64(bytes.size());
    if (device_ && ok_ && !bytes.isEmpty()) {
        ok_ = device_->write(bytes.data(), bytes.size()) == bytes.size();
    }
}
