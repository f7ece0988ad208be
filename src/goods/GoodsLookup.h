#pragma once

#include "store/OrderDatabase.h"

#include <QString>

// Finds the goods a scanned barcode stands for. The label of a goods carries its own barcode; a
// variant's label carries an assist barcode or the goods' barcode followed by the
// variant's code.
namespace GoodsLookup {

enum class Outcome
{
    Found,
    NotFound,
    // A statement failed; the error says why.
    Failed
};

struct Result
{
    Outcome outcome = Outcome::NotFound;
    OrderDatabase::ScannedGoods goods;
    QString error;
};

// The own barcode first, then an assist barcode, then every split into goods barcode and
// variant code, the longest goods barcode first. The first match wins.
Result find(OrderDatabase& orderDb, const QString& barcode);

} // namespace GoodsLookup
