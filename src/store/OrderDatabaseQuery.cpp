// The statements of the query tab: count, pages and the unpaged list of shipped trades. Filters
// arrive with their values bound; the weight difference is an expression, never a column.
#include "store/OrderDatabase.h"

#include <QDateTime>
#include <QSqlError>
#include <QVariant>

namespace {

// The result columns, in the order of the list's columns 1 to 22 without the weight difference.
const char kColumns[] =
    " TradeID,TradeNO,NickName,SndTo,GoodsList,SndTime,Name,ShopName,PostID,G_Trade_TradeList.CustomerID as "
    "CustomerID,CustomerName,G_Trade_TradeList.Province as Province,G_Trade_TradeList.City as "
    "City,G_Trade_TradeList.Town as Town ,G_Trade_TradeList.Adr as Adr,G_Trade_TradeList.Zip as "
    "Zip,GoodsWeight,PackagedWeight,Postage,SndOperator,G_Trade_TradeList.Tel as Tel ";

const char kJoins[] =
    "from G_Trade_TradeList,G_Customer_CustomerList,G_Cfg_ShopList,G_Cfg_LogisticList  where "
    "G_Trade_TradeList.CustomerID=G_Customer_CustomerList.CustomerID and "
    "G_Trade_TradeList.ShopID=G_Cfg_ShopList.ShopID and  "
    "G_Trade_TradeList.LogisticID =G_Cfg_LogisticList.LogisticID";

constexpr int kFieldCount = 21;
// The result column of each field in list order: the list shows the shop before the logistics
// company, the column list names them the other way round.
constexpr int kResultColumn[kFieldCount] = {0,  1,  2,  3,  4,  5,  7,  6,  8,  9, 10,
                                            11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
constexpr int kSndTimeField = 5;
constexpr int kGoodsWeightField = 16;
constexpr int kPackagedWeightField = 17;
constexpr int kPostageField = 18;

QString condition(const OrderDatabase::TradeFilter& filter)
{
    return QString::fromLatin1(kJoins) + filter.sql;
}

// The same trades, walked in TradeID order instead of found through an index.
QString conditionInOrder(const OrderDatabase::TradeFilter& filter)
{
    return condition(filter).replace(QStringLiteral("from G_Trade_TradeList,"),
                                     QStringLiteral("from G_Trade_TradeList not indexed,"));
}

// Money and weights as the order system shows them: 12, 12.5 (a server's money type reads 12.0000).
QString numberText(const QVariant& value, double* number)
{
    const QString text = value.toString();
    if (text.isEmpty()) {
        *number = 0;
        return text;
    }
    *number = text.toDouble();
    return QString::number(*number, 'g', 15);
}

OrderDatabase::FoundTrade readFound(const QSqlQuery& query)
{
    OrderDatabase::FoundTrade trade;
    trade.fields.reserve(kFieldCount);
    for (int field = 0; field < kFieldCount; ++field) {
        const QVariant value = query.value(kResultColumn[field]);
        switch (field) {
        case kSndTimeField:
            trade.fields.append(value.typeId() == QMetaType::QDateTime
                                    ? value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                    : value.toString());
            break;
        case kGoodsWeightField:
            trade.fields.append(numberText(value, &trade.goodsWeight));
            break;
        case kPackagedWeightField:
            trade.fields.append(numberText(value, &trade.packagedWeight));
            break;
        case kPostageField:
            trade.fields.append(numberText(value, &trade.postage));
            break;
        default:
            trade.fields.append(value.toString());
        }
    }
    return trade;
}

} // namespace

QString OrderDatabase::literalLikePattern(Dialect dialect, const QString& value)
{
    QString escaped;
    escaped.reserve(value.size() + 8);
    for (const QChar c : value) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_') ||
            (c == QLatin1Char('[') && dialect == Dialect::SqlServer)) {
            escaped += QLatin1Char('\\');
        }
        escaped += c;
    }
    return escaped;
}

bool OrderDatabase::countTrades(const TradeFilter& filter, qint64* total)
{
    *total = 0;
    useLargeReadCache();
    auto query = select(QStringLiteral("select Count(*) as Number ") + condition(filter), filter.values);
    if (!query) {
        return false;
    }
    if (!query->next()) {
        const QString reason = query->lastError().isValid() ? query->lastError().text()
                                                            : QStringLiteral("the count gave no row");
        // Finished before the failure is looked into, which sends a statement of its own.
        query.reset();
        noteFailure(reason);
        return false;
    }
    *total = query->value(0).toLongLong();
    query->finish();
    return true;
}

void OrderDatabase::useLargeReadCache()
{
    // A search reads through much of the file; the default cache of 2 MB would read it page by page.
    if (m_dialect == Dialect::Embedded) {
        execute(QStringLiteral("PRAGMA cache_size = -32768"));
    }
}

qint64 OrderDatabase::lastTradeId()
{
    auto last = select(QStringLiteral("select max(TradeID) from G_Trade_TradeList"));
    return last && last->next() ? last->value(0).toLongLong() : 0;
}

bool OrderDatabase::tradePage(const TradeFilter& filter, int pageSize, qint64 offset, qint64 total,
                              QList<FoundTrade>* trades)
{
    trades->clear();
    QString sql;
    QVariantList values;
    if (m_dialect == Dialect::Embedded) {
        useLargeReadCache();
        const qint64 lastId = lastTradeId();
        // Walking the trades in order reads about (offset + pageSize) × all / total of them before
        // the page is full; the index reads at least the total found and sorts it. The cheaper wins.
        const bool inOrder =
            total > 0 && double(offset + pageSize) * double(lastId) < double(total) * double(total);
        if (inOrder) {
            sql = QStringLiteral("select") + QString::fromLatin1(kColumns) + conditionInOrder(filter) +
                  QStringLiteral(" order by G_Trade_TradeList.TradeID limit ? offset ?");
            values = filter.values;
        } else {
            // Only the keys of the trades found are sorted; the page's rows are read afterwards.
            sql = QStringLiteral("select") + QString::fromLatin1(kColumns) + condition(filter) +
                  QStringLiteral(" and G_Trade_TradeList.TradeID in (select G_Trade_TradeList.TradeID ") +
                  condition(filter) +
                  QStringLiteral(" order by G_Trade_TradeList.TradeID limit ? offset ?)") +
                  QStringLiteral(" order by G_Trade_TradeList.TradeID");
            values = filter.values;
            values << filter.values;
        }
        values << pageSize << offset;
    } else {
        // The rows after the largest TradeID among the first offset ones: no row numbering needed.
        sql = QStringLiteral("select Top (?)") + QString::fromLatin1(kColumns) + condition(filter);
        values << pageSize << filter.values;
        if (offset > 0) {
            sql += QStringLiteral(" and TradeID > (select max(TradeID) from (select Top (?) TradeID ") +
                   condition(filter) + QStringLiteral(" order by  TradeID) as T )");
            values << offset << filter.values;
        }
        sql += QStringLiteral(" order by TradeID");
    }
    auto query = select(sql, values);
    if (!query) {
        return false;
    }
    while (query->next()) {
        trades->append(readFound(*query));
    }
    if (query->lastError().isValid()) {
        const QString reason = query->lastError().text();
        query.reset();
        noteFailure(reason);
        return false;
    }
    return true;
}

bool OrderDatabase::eachTrade(const TradeFilter& filter, qint64 total,
                              const std::function<bool(const FoundTrade&)>& take)
{
    QString sql;
    QVariantList values = filter.values;
    if (m_dialect == Dialect::Embedded) {
        useLargeReadCache();
        // Reading a trade through the index costs about ten reads in order: walk every trade unless
        // those found are fewer than a tenth. Sorting only their keys keeps the memory small.
        if (total * 10 > lastTradeId()) {
            sql = QStringLiteral("select") + QString::fromLatin1(kColumns) + conditionInOrder(filter) +
                  QStringLiteral(" order by G_Trade_TradeList.TradeID");
        } else {
            sql = QStringLiteral("select") + QString::fromLatin1(kColumns) + condition(filter) +
                  QStringLiteral(" and G_Trade_TradeList.TradeID in (select G_Trade_TradeList.TradeID ") +
                  condition(filter) + QStringLiteral(") order by G_Trade_TradeList.TradeID");
            values << filter.values;
        }
    } else {
        sql = QStringLiteral("select") + QString::fromLatin1(kColumns) + condition(filter) +
              QStringLiteral(" order by TradeID");
    }
    auto query = select(sql, values);
    if (!query) {
        return false;
    }
    while (query->next()) {
        if (!take(readFound(*query))) {
            query->finish();
            return true;
        }
    }
    if (query->lastError().isValid()) {
        const QString reason = query->lastError().text();
        query.reset();
        noteFailure(reason);
        return false;
    }
    return true;
}
