#include "query/QueryCondition.h"

#include <QDateTime>

namespace {

struct SearchColumn
{
    const char* column;
    bool hasFuzzy;
    const char* emptyMessage;
};

// By search type position 1 to 9.
const SearchColumn kSearchColumns[] = {
    {"PostID", false, "请输入快递单号!"},
    {"TradeNO", true, "请输入订单号!"},
    {"NickName", true, "请输入客户网名!"},
    {"SndTo", true, "请输入收件人姓名!"},
    {"GoodsList", true, "请输入货品名称!"},
    {"ShopName", true, "请输入店铺名称!"},
    {"Name", true, "请输入物流方式!"},
    {"G_Trade_TradeList.CustomerID", false, "请输入用户ID!"},
    {"G_Trade_TradeList.Tel", true, "请输入电话号码!"},
};

// By weight type position 1 to 3; the difference is worked out in the statement, so searching
// by it changes nothing in the database.
const char* const kWeightExpressions[] = {"GoodsWeight", "PackagedWeight", "(PackagedWeight-GoodsWeight)"};

const char kCustomerIdNotWhole[] = "用户ID必须是整数!";
const char kWeightNotNumber[] = "请输入大于0 的数!";
const char kReversedRange[] = "起始重量必须小于终止中重量!";

class Builder
{
public:
    Builder(OrderDatabase::Dialect dialect, OrderDatabase::TradeFilter* filter)
        : m_dialect(dialect)
        , m_filter(filter)
    {
    }

    // " and column = ?" or, fuzzy, " and column like ? escape '\'" finding the value anywhere.
    void match(const QString& column, const QString& value, bool fuzzy)
    {
        if (fuzzy) {
            m_filter->sql += QStringLiteral(" and ") + column + QStringLiteral(" like ? escape '\\'");
            m_filter->values << QLatin1Char('%') + OrderDatabase::literalLikePattern(m_dialect, value) +
                                    QLatin1Char('%');
        } else {
            m_filter->sql += QStringLiteral(" and ") + column + QStringLiteral(" = ?");
            m_filter->values << value;
        }
    }

    void add(const QString& sql, const QVariantList& values)
    {
        m_filter->sql += sql;
        m_filter->values << values;
    }

    // Shipped on the day To, or between the start of From and the end of To. The server compares
    // dates, the embedded file the texts "yyyy-MM-dd HH:mm:ss" along its index.
    void dates(const QDate& from, const QDate& to)
    {
        const QDateTime start(from, QTime(0, 0, 0));
        const QDateTime end(to, QTime(23, 59, 59));
        if (m_dialect == OrderDatabase::Dialect::Embedded) {
            const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
            add(QStringLiteral(" and (SndTime between ? and ?)"),
                {start.toString(format), end.toString(format)});
        } else if (from == to) {
            add(QStringLiteral(" and datediff(day,SndTime,?)=0"), {QDateTime(to, QTime(0, 0, 0))});
        } else {
            add(QStringLiteral(" and (SndTime between ? and ?)"), {start, end});
        }
    }

private:
    OrderDatabase::Dialect m_dialect;
    OrderDatabase::TradeFilter* m_filter;
};

bool refuse(QString* message, const char* text)
{
    if (message) {
        *message = QString::fromUtf8(text);
    }
    return false;
}

} // namespace

bool QueryCondition::build(const QueryFilters& filters, OrderDatabase::Dialect dialect,
                           OrderDatabase::TradeFilter* filter, QString* message)
{
    *filter = {};
    Builder builder(dialect, filter);
    if (filters.searchType >= 1 && filters.searchType <= SearchType::kLast) {
        const SearchColumn& search = kSearchColumns[filters.searchType - 1];
        if (filters.value.isEmpty()) {
            return refuse(message, search.emptyMessage);
        }
        if (filters.searchType == SearchType::kCustomerId) {
            bool whole = false;
            const qlonglong id = filters.value.trimmed().toLongLong(&whole);
            if (!whole) {
                return refuse(message, kCustomerIdNotWhole);
            }
            builder.add(QStringLiteral(" and G_Trade_TradeList.CustomerID = ?"), {id});
        } else {
            builder.match(QString::fromLatin1(search.column), filters.value,
                          filters.fuzzy && search.hasFuzzy);
        }
    }
    builder.dates(filters.from, filters.to);
    if (!filters.shop.isEmpty() && filters.shopEnabled) {
        builder.match(QStringLiteral("ShopName"), filters.shop, filters.fuzzy);
    }
    if (!filters.logistic.isEmpty() && filters.logisticEnabled) {
        builder.match(QStringLiteral("Name"), filters.logistic, filters.fuzzy);
    }
    if (!filters.operatorName.isEmpty()) {
        builder.match(QStringLiteral("SndOperator"), filters.operatorName, filters.fuzzy);
    }
    if (filters.weightType >= 1 && filters.weightType <= int(std::size(kWeightExpressions)) &&
        !filters.weightFrom.isEmpty() && !filters.weightTo.isEmpty()) {
        bool fromOk = false;
        bool toOk = false;
        const qlonglong from = filters.weightFrom.toLongLong(&fromOk);
        const qlonglong to = filters.weightTo.toLongLong(&toOk);
        if (!fromOk || !toOk) {
            return refuse(message, kWeightNotNumber);
        }
        if (to < from) {
            return refuse(message, kReversedRange);
        }
        const QString weight = QString::fromLatin1(kWeightExpressions[filters.weightType - 1]);
        if (from == to) {
            builder.add(QStringLiteral(" and ") + weight + QStringLiteral(" = ?"), {from});
        } else {
            builder.add(QStringLiteral(" and (") + weight + QStringLiteral(" >= ? and ") + weight +
                            QStringLiteral(" <= ?)"),
                        {from, to});
        }
    }
    return true;
}
