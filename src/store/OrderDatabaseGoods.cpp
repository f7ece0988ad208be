// The statements of the goods weighing tab.
#include "store/OrderDatabase.h"

#include <QSqlRecord>
#include <QVariant>

namespace {

// The first row of a goods lookup.
void takeFirstGoods(const QList<QSqlRecord>& rows, std::optional<OrderDatabase::ScannedGoods>* goods)
{
    goods->reset();
    if (rows.isEmpty()) {
        return;
    }
    const QSqlRecord& query = rows.constFirst();
    OrderDatabase::ScannedGoods found;
    found.goodsId = query.value(QStringLiteral("GoodsID")).toString();
    found.goodsName = query.value(QStringLiteral("GoodsName")).toString();
    found.weight = query.value(QStringLiteral("Weight")).toString();
    found.goodsSpec = query.value(QStringLiteral("GoodsSpec")).toString();
    *goods = found;
}

} // namespace

bool OrderDatabase::goodsByBarCode(const QString& barCode, std::optional<ScannedGoods>* goods)
{
    QList<QSqlRecord> found;
    const bool ran =
        rows(QStringLiteral("select G_Goods_GoodsList.GoodsID as GoodsID,GoodsName,Weight,GoodsSpec "
                            "from G_Goods_GoodsList where BarCode=?"),
             {barCode}, &found);
    if (!ran) {
        return false;
    }
    takeFirstGoods(found, goods);
    return true;
}

bool OrderDatabase::goodsByAssistBarCode(const QString& barCode, std::optional<ScannedGoods>* goods)
{
    QList<QSqlRecord> found;
    const bool ran = rows(QStringLiteral("select G_Goods_GoodsList.GoodsID as GoodsID,GoodsName,Weight,"
                                         "G_Goods_GoodsSpec.SpecName as GoodsSpec "
                                         "from G_Goods_GoodsList,G_GOods_AssistBarCode,G_Goods_GoodsSpec "
                                         "where G_GOods_AssistBarCode.BarCode=? "
                                         "and G_GOods_AssistBarCode.GoodsID=G_Goods_GoodsList.GoodsID "
                                         "and G_Goods_GoodsSpec.SpecID=G_GOods_AssistBarCode.SpecID"),
                          {barCode}, &found);
    if (!ran) {
        return false;
    }
    takeFirstGoods(found, goods);
    return true;
}

bool OrderDatabase::goodsBySpecCode(const QString& barCode, const QString& specCode,
                                    std::optional<ScannedGoods>* goods)
{
    QList<QSqlRecord> found;
    const bool ran = rows(QStringLiteral("select G_Goods_GoodsList.GoodsID as GoodsID,GoodsName,Weight,"
                                         "G_Goods_GoodsSpec.SpecName as GoodsSpec "
                                         "from G_Goods_GoodsList,G_Goods_GoodsSpec "
                                         "where G_Goods_GoodsList.GoodsID=G_Goods_GoodsSpec.GoodsID "
                                         "and bMultiSpec=1 and SpecCode=? and G_Goods_GoodsList.BarCode=?"),
                          {specCode, barCode}, &found);
    if (!ran) {
        return false;
    }
    takeFirstGoods(found, goods);
    return true;
}

bool OrderDatabase::setGoodsWeight(const QString& goodsId, double grams)
{
    return execute(QStringLiteral("update G_Goods_GoodsList set Weight=? where GoodsID=?"), {grams, goodsId});
}

bool OrderDatabase::goodsWeight(const QString& goodsId, std::optional<QString>* weight)
{
    QList<QSqlRecord> found;
    const bool ran =
        rows(QStringLiteral("select Weight from G_Goods_GoodsList where GoodsID=?"), {goodsId}, &found);
    if (!ran) {
        return false;
    }
    weight->reset();
    if (!found.isEmpty()) {
        *weight = found.constFirst().value(0).toString();
    }
    return true;
}
