#pragma once

#include <QByteArray>
#include <QStringView>

#include <vector>

class RecordOut;

// The workbook's table of cell texts: every text is kept once, in the form the file stores it
// (8-bit when all its characters fit, else UTF-16), so that a large export costs about the bytes
// of its distinct texts and two small numbers per text.
class SharedStrings
{
public:
    // The index of text in the table, adding it when it is new; counts one more cell using it.
    // False when the table would outgrow what the file can address.
    bool add(QStringView text, quint32* index);

    quint32 count() const { return quint32(offsets_.size()); }

    // The SST record with its Continue records and the EXTSST record, nothing when the table is
    // empty. The positions EXTSST holds are counted from out's position.
    void write(RecordOut& out) const;

private:
    quint32 find(QByteArrayView encoded, size_t hash) const;
    void grow();

    QByteArray blob_;              // each text: 2-byte length, option byte, characters
    std::vector<quint32> offsets_; // where each text starts in blob_
    std::vector<quint32> slots_;   // hash table of index + 1; 0 is free
    quint32 references_ = 0;
    QByteArray scratch_;
};
