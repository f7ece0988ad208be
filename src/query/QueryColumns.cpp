#include "query/QueryColumns.h"

#include <algorithm>

namespace {

struct Column
{
    const char* title;
    QueryColumns::Kind kind;
};

using QueryColumns::Kind;
const Column kColumns[QueryColumns::kCount] = {
    {"序号", Kind::Serial},      {"交易ID", Kind::Integer},  {"订单编号", Kind::Text},
    {"客户网名", Kind::Text},    {"收件人姓名", Kind::Text}, {"货品名称", Kind::Text},
    {"发货日期", Kind::Date},    {"交易店铺", Kind::Text},   {"物流方式", Kind::Text},
    {"快递单号", Kind::Text},    {"用户ID", Kind::Integer},  {"姓名", Kind::Text},
    {"省", Kind::Text},          {"市", Kind::Text},         {"区", Kind::Text},
    {"地址", Kind::Text},        {"邮编", Kind::Text},       {"商品重量", Kind::Integer},
    {"包裹重量", Kind::Integer}, {"重量差", Kind::Integer},  {"邮资", Kind::Integer},
    {"发货员", Kind::Text},      {"电话号码", Kind::Text},
};

struct SumName
{
    const char* name;
    const char* unit;
};
const SumName kSumNames[QueryColumns::kSumCount] = {
    {"商品重量", "克"}, {"包裹重量", "克"}, {"重量差", "克"}, {"邮资", "元"}};

} // namespace

namespace QueryColumns {

QString title(int column)
{
    return QString::fromUtf8(kColumns[column].title);
}

Kind kind(int column)
{
    return kColumns[column].kind;
}

SumFlags sumFlags(const QList<bool>& shown)
{
    SumFlags flags{};
    for (int flag = 0; flag < kSumCount; ++flag) {
        const int row = kGoodsWeight - 1 + flag;
        flags[flag] = row < shown.size() && shown[row];
    }
    return flags;
}

bool anySum(const SumFlags& flags)
{
    return std::find(flags.begin(), flags.end(), true) != flags.end();
}

QString number(double value)
{
    return QString::number(value, 'g', 15);
}

QStringList listRow(qint64 serial, const OrderDatabase::FoundTrade& trade)
{
    QStringList row;
    row.reserve(kCount);
    row << QString::number(serial);
    row << trade.fields.mid(0, kDifference - 1);
    row << number(trade.packagedWeight - trade.goodsWeight);
    row << trade.fields.mid(kDifference - 1);
    return row;
}

void Sums::add(const OrderDatabase::FoundTrade& trade)
{
    goodsWeight += trade.goodsWeight;
    packagedWeight += trade.packagedWeight;
    difference += trade.packagedWeight - trade.goodsWeight;
    postage += trade.postage;
}

double Sums::byFlag(int flag) const
{
    const double values[kSumCount] = {goodsWeight, packagedWeight, difference, postage};
    return values[flag];
}

QStringList sumRow(const Sums& sums)
{
    QStringList row;
    row << QStringLiteral("合计");
    for (int column = 1; column < kCount; ++column) {
        row << (column >= kGoodsWeight && column <= kPostage ? number(sums.byFlag(column - kGoodsWeight))
                                                             : QStringLiteral(" "));
    }
    return row;
}

QString rangeText(qint64 first, qint64 last)
{
    return QStringLiteral("第%1至%2 条记录").arg(first).arg(last);
}

QString totalText(const Sums& sums, const SumFlags& flags, qint64 total)
{
    QString text;
    for (int flag = 0; flag < kSumCount; ++flag) {
        if (flags[flag]) {
            text += QString::fromUtf8(kSumNames[flag].name) + QStringLiteral("合计:") +
                    number(sums.byFlag(flag)) + QString::fromUtf8(kSumNames[flag].unit) + QLatin1Char(' ');
        }
    }
    return text + QStringLiteral(" 共查询到%1 条记录").arg(total);
}

} // namespace QueryColumns
