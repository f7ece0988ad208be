#include "goods/GoodsLookup.h"

namespace GoodsLookup {

namespace {

Result outcomeOf(OrderDatabase& orderDb, bool ran, const std::optional<OrderDatabase::ScannedGoods>& goods)
{
    Result result;
    if (!ran) {
        result.outcome = Outcome::Failed;
        result.error = orderDb.lastError();
    } else if (goods) {
        result.outcome = Outcome::Found;
        result.goods = *goods;
    }
    return result;
}

} // namespace

Result find(OrderDatabase& orderDb, const QString& barcode)
{
    std::optional<OrderDatabase::ScannedGoods> goods;
    Result result = outcomeOf(orderDb, orderDb.goodsByBarCode(barcode, &goods), goods);
    if (result.outcome != Outcome::NotFound) {
        return result;
    }
    result = outcomeOf(orderDb, orderDb.goodsByAssistBarCode(barcode, &goods), goods);
    if (result.outcome != Outcome::NotFound) {
        return result;
    }
    for (qsizetype head = barcode.size() - 1; head >= 1; --head) {
        result =
            outcomeOf(orderDb, orderDb.goodsBySpecCode(barcode.left(head), barcode.mid(head), &goods), goods);
        if (result.outcome != Outcome::NotFound) {
            return result;
        }
    }
    return result;
}

} // namespace GoodsLookup
