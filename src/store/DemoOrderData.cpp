#include "store/DemoOrderData.h"

#include "base/Transaction.h"

#include "store/DemoShopCatalog.h"
#include "store/EmbeddedOrderSchema.h"
#include "store/LocalFile.h"
#include "store/SqlConnection.h"

#include <QDate>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

using namespace DemoShopCatalog;

// ---------------------------------------------------------------------------------------------
// Deterministic random numbers (splitmix64): the same seed gives the same shop on every platform.

class DemoRandom
{
public:
    explicit DemoRandom(quint64 seed)
        : m_state(seed)
    {
    }
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<quint64>(n)); }
    // lo .. hi, both included
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T, std::size_t N> const T& pick(const T (&items)[N])
    {
        return items[below(static_cast<int>(N))];
    }

private:
    quint64 m_state;
};

// ---------------------------------------------------------------------------------------------
// The lists, unpacked once per run.

struct City
{
    QString name;
    QStringList districts;
};

struct Province
{
    QString name;
    QString zipPrefix;
    std::vector<City> cities;
    bool remote = false;
};

std::vector<Province> loadPlaces()
{
    std::vector<Province> places;
    for (const char* line : kPlaces) {
        const QStringList parts = QString::fromUtf8(line).split(QLatin1Char('|'));
        Province province;
        province.name = parts.at(0);
        province.zipPrefix = parts.at(1);
        for (int i = 2; i < parts.size(); ++i) {
            const QStringList city = parts.at(i).split(QLatin1Char(':'));
            province.cities.push_back(City{city.at(0), city.at(1).split(QLatin1Char(','))});
        }
        for (const char* remote : kRemoteProvinces) {
            province.remote = province.remote || province.name == QString::fromUtf8(remote);
        }
        places.push_back(province);
    }
    return places;
}

// One sellable unit: a goods variant, or a goods without variants (SpecID 0).
struct StockUnit
{
    int goodsId = 0;
    int specId = 0;
    QString text; // as the trade's goods list names it
    double weight = 0;
    double price = 0;
    QString unit;
    bool shortOfStock = false;
};

struct CatalogIndex
{
    std::vector<StockUnit> units;
    std::vector<std::vector<int>> unitsOfGoods; // per goods index: indexes into units
};

QString ean13(const QString& twelveDigits)
{
    int sum = 0;
    for (int i = 0; i < 12; ++i) {
        sum += (twelveDigits.at(i).unicode() - '0') * (i % 2 == 0 ? 1 : 3);
    }
    return twelveDigits + QString::number((10 - sum % 10) % 10);
}

QString goodsBarcode(int goodsId)
{
    return ean13(QStringLiteral("69235100%1").arg(goodsId, 4, 10, QLatin1Char('0')));
}

QString assistBarcode(int goodsId, int specId)
{
    return ean13(QStringLiteral("2100%1%2")
                     .arg(goodsId, 4, 10, QLatin1Char('0'))
                     .arg(specId, 4, 10, QLatin1Char('0')));
}

bool isShort(const QString& goods, const QString& spec)
{
    for (const auto& entry : kShortStock) {
        if (goods == QString::fromUtf8(entry[0]) && spec == QString::fromUtf8(entry[1])) {
            return true;
        }
    }
    return false;
}

// "yyyy-MM-dd HH:mm:ss" of local seconds counted from the Julian day epoch. The shop's clock is
// plain local time; formatting by hand keeps a million trades fast.
QString stamp(qint64 localSeconds)
{
    const QDate date = QDate::fromJulianDay(localSeconds / kSecondsPerDay);
    const int secondOfDay = static_cast<int>(localSeconds % kSecondsPerDay);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year(), date.month(), date.day(),
                  secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    return QString::fromLatin1(text);
}

QString shortest(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

struct Person
{
    QString name;
    QString nick;
    QString tel;
    int province = 0;
    int city = 0;
    int district = 0;
    QString street;
};

struct TradeLine
{
    int unit = 0; // index into the sellable units
    int count = 0;
};

struct LogEntry
{
    QString operatorName;
    QString detail;
    QString time;
};

// One trade as it goes into the file.
struct DemoTrade
{
    int tradeId = 0;
    QString tradeNo;
    int shopId = 0;
    QVariantList row; // G_Trade_TradeList values, in the order of the insert statement
    std::vector<TradeLine> lines;
    std::vector<LogEntry> log;
    bool pending = false; // its goods are still to be taken out of stock
    bool viaInterface = false;
};

// ---------------------------------------------------------------------------------------------

class DemoShopWriter
{
public:
    DemoShopWriter(QSqlDatabase& db, const DemoOrderOptions& options)
        : m_db(db)
        , m_options(options)
        , m_random(options.seed)
        , m_places(loadPlaces())
    {
        const QDateTime reference =
            (options.reference.isValid() ? options.reference : QDateTime::currentDateTime()).toLocalTime();
        m_referenceSeconds =
            reference.date().toJulianDay() * kSecondsPerDay + reference.time().msecsSinceStartOfDay() / 1000;
        m_customers = options.trades / 3 + 20;
    }

    bool write(QString* error)
    {
        return writeConfiguration(error) && writeCatalog(error) && writeCustomers(error) &&
               writeTrades(error) && writeStock(error);
    }

private:
    static bool fail(const QSqlQuery& query, QString* error)
    {
        *error = query.lastError().text();
        return false;
    }

    bool prepare(QSqlQuery& query, const char* statement, QString* error)
    {
        return query.prepare(QString::fromUtf8(statement)) || fail(query, error);
    }

    // Runs a prepared statement with the values given, in placeholder order.
    template <typename Values> static bool bindAndRun(QSqlQuery& query, const Values& values, QString* error)
    {
        int i = 0;
        for (const QVariant& value : values) {
            query.bindValue(i++, value);
        }
        return query.exec() || fail(query, error);
    }
    static bool run(QSqlQuery& query, std::initializer_list<QVariant> values, QString* error)
    {
        return bindAndRun(query, values, error);
    }
    static bool run(QSqlQuery& query, const QVariantList& values, QString* error)
    {
        return bindAndRun(query, values, error);
    }

    bool writeConfiguration(QString* error)
    {
        QSqlQuery query(m_db);
        if (!prepare(query, "insert into G_Cfg_StaffList (Name) values (?)", error)) {
            return false;
        }
        for (const char* name : kStaff) {
            if (!run(query, {QString::fromUtf8(name)}, error)) {
                return false;
            }
        }
        if (!prepare(query, "insert into G_Cfg_PackageList (PackageName, PackageWeight) values (?, ?)",
                     error)) {
            return false;
        }
        for (const Package& package : kPackages) {
            if (!run(query, {QString::fromUtf8(package.name), package.weight}, error)) {
                return false;
            }
        }
        if (!prepare(query, "insert into G_Cfg_ShopList (ShopName) values (?)", error)) {
            return false;
        }
        for (const char* shop : kShops) {
            if (!run(query, {QString::fromUtf8(shop)}, error)) {
                return false;
            }
        }
        if (!prepare(query, "insert into G_Cfg_LogisticList (Name, Tel, Remark) values (?, ?, ?)", error)) {
            return false;
        }
        for (const Logistic& logistic : kLogistics) {
            if (!run(query,
                     {QString::fromUtf8(logistic.name), QString::fromLatin1(logistic.tel),
                      QStringLiteral("首重%1元，续重%2元/公斤")
                          .arg(shortest(logistic.firstFee), shortest(logistic.stepFee))},
                     error)) {
                return false;
            }
        }
        if (!prepare(query,
                     "insert into G_Sys_UserList (UserName, PWD, GroupID, bBlockUp) values (?, ?, ?, ?)",
                     error)) {
            return false;
        }
        using namespace DemoLogins;
        if (!run(query, {QString::fromLatin1(kAdminName), QString::fromLatin1(kAdminPassword), 0, 0},
                 error) ||
            !run(query, {QString::fromLatin1(kOperatorName), QString::fromLatin1(kOperatorPassword), 1, 0},
                 error) ||
            !run(query, {QString::fromLatin1(kDisabledName), QString::fromLatin1(kDisabledPassword), 1, 1},
                 error)) {
            return false;
        }
        // Row 54: whether the barcode check must have been done before the stock is taken out.
        if (!prepare(query, "insert into G_Cfg_Sys (RecID, CfgName, CfgValue) values (?, ?, ?)", error)) {
            return false;
        }
        return run(query, {1, QStringLiteral("公司名称"), QStringLiteral("演示商店")}, error) &&
               run(query, {54, QStringLiteral("出库前须条码检验"), QStringLiteral("0")}, error);
    }

    bool writeCatalog(QString* error)
    {
        QSqlQuery goods(m_db);
        QSqlQuery spec(m_db);
        QSqlQuery assist(m_db);
        if (!prepare(
                goods,
                "insert into G_Goods_GoodsList (GoodsID, GoodsNO, GoodsName, GoodsSpec, Weight, BarCode, "
                "bMultiSpec, Price) values (?, ?, ?, ?, ?, ?, ?, ?)",
                error) ||
            !prepare(
                spec,
                "insert into G_Goods_GoodsSpec (SpecID, GoodsID, SpecName, SpecCode) values (?, ?, ?, ?)",
                error) ||
            !prepare(assist, "insert into G_GOods_AssistBarCode (BarCode, GoodsID, SpecID) values (?, ?, ?)",
                     error)) {
            return false;
        }
        int specId = 0;
        int goodsId = 0;
        for (const CatalogGoods& item : kCatalog) {
            ++goodsId;
            const QString name = QString::fromUtf8(item.name);
            const QString specs = QString::fromUtf8(item.specs);
            std::vector<int> units;
            if (!run(goods,
                     {goodsId, QStringLiteral("G%1").arg(goodsId, 4, 10, QLatin1Char('0')), name,
                      item.multiSpec ? QStringLiteral("") : specs, item.weight, goodsBarcode(goodsId),
                      item.multiSpec ? 1 : 0, item.price},
                     error)) {
                return false;
            }
            if (!item.multiSpec) {
                units.push_back(static_cast<int>(m_catalog.units.size()));
                m_catalog.units.push_back(
                    StockUnit{goodsId, 0, name + QLatin1Char('(') + specs + QLatin1Char(')'), item.weight,
                              item.price, QString::fromUtf8(item.unit), isShort(name, QString())});
            } else {
                const QStringList specNames = specs.split(QLatin1Char('|'));
                for (int i = 0; i < specNames.size(); ++i) {
                    ++specId;
                    // Product barcode followed by the variant code is what the label of a
                    // variant carries.
                    const QString code = QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'));
                    if (!run(spec, {specId, goodsId, specNames.at(i), code}, error)) {
                        return false;
                    }
                    // Every other variant also carries a label of its own.
                    if (specId % 2 == 1 &&
                        !run(assist, {assistBarcode(goodsId, specId), goodsId, specId}, error)) {
                        return false;
                    }
                    units.push_back(static_cast<int>(m_catalog.units.size()));
                    m_catalog.units.push_back(
                        StockUnit{goodsId, specId,
                                  name + QLatin1Char('(') + specNames.at(i) + QLatin1Char(')'), item.weight,
                                  item.price, QString::fromUtf8(item.unit), isShort(name, specNames.at(i))});
                }
            }
            m_catalog.unitsOfGoods.push_back(units);
        }
        m_demand.assign(m_catalog.units.size(), 0);
        return true;
    }

    QString personName(DemoRandom& random)
    {
        QString name =
            QString::fromUtf8(random.pick(kSurnames)) + QString::fromUtf8(random.pick(kGivenNames));
        if (random.chance(70)) {
            name += QString::fromUtf8(random.pick(kGivenNames));
        }
        return name;
    }

    QString street(DemoRandom& random)
    {
        QString text = QString::fromUtf8(random.pick(kRoads)) + QString::fromUtf8(random.pick(kRoadKinds)) +
                       QString::number(random.between(1, 999)) + QStringLiteral("号");
        if (random.chance(75)) {
            text += QString::fromUtf8(random.pick(kEstates)) + QString::fromUtf8(random.pick(kEstateKinds)) +
                    QStringLiteral("%1栋%2单元%3室")
                        .arg(random.between(1, 32))
                        .arg(random.between(1, 4))
                        .arg(random.between(1, 33) * 100 + random.between(1, 4));
        } else {
            text += QString::fromUtf8(random.pick(kEstates)) +
                    QStringLiteral("大厦%1层").arg(random.between(2, 40));
        }
        return text;
    }

    // A customer is made from the seed and the customer's number alone, so a trade can recall it
    // without keeping every customer in memory.
    Person customer(int customerId)
    {
        DemoRandom random((quint64(m_options.seed) << 32) ^ (quint64(customerId) * 0x2545F4914F6CDD1DULL));
        Person person;
        person.name = personName(random);
        switch (random.below(3)) {
        case 0:
            person.nick = QString::fromUtf8(random.pick(kNickWords)) +
                          QString::fromUtf8(random.pick(kNickWords)) + QLatin1Char('_') +
                          QString::number(random.between(1970, 2005));
            break;
        case 1:
            person.nick =
                QString::fromUtf8(random.pick(kNickPhrases)) + QString::number(random.between(1, 999));
            break;
        default:
            person.nick = QStringLiteral("tb%1").arg(random.between(10000000, 99999999));
            break;
        }
        person.tel = QStringLiteral("1%1%2")
                         .arg(random.pick(kMobilePrefixes))
                         .arg(static_cast<qint64>(random.next() % 1000000000ULL), 9, 10, QLatin1Char('0'));
        placeAndStreet(random, &person);
        return person;
    }

    void placeAndStreet(DemoRandom& random, Person* person)
    {
        person->province = random.below(static_cast<int>(m_places.size()));
        const Province& province = m_places[person->province];
        person->city = random.below(static_cast<int>(province.cities.size()));
        person->district = random.below(static_cast<int>(province.cities[person->city].districts.size()));
        person->street = street(random);
    }

    QString zip(const Person& person) const
    {
        return m_places[person.province].zipPrefix +
               QStringLiteral("%1").arg(person.city + 1, 2, 10, QLatin1Char('0')) + QStringLiteral("00");
    }

    bool writeCustomers(QString* error)
    {
        QSqlQuery query(m_db);
        if (!prepare(
                query,
                "insert into G_Customer_CustomerList (CustomerID, CustomerName, Tel, Province, City, Town, "
                "Adr, Zip) values (?, ?, ?, ?, ?, ?, ?, ?)",
                error)) {
            return false;
        }
        for (int id = 1; id <= m_customers; ++id) {
            const Person person = customer(id);
            const Province& province = m_places[person.province];
            const City& city = province.cities[person.city];
            if (!run(query,
                     {id, person.name, person.tel, province.name, city.name,
                      city.districts.at(person.district), person.street, zip(person)},
                     error)) {
                return false;
            }
        }
        return true;
    }

    int pickStatus(int tradeId)
    {
        // The first trades show every status once, so even a tiny shop has them all.
        static constexpr int kFirst[] = {5, 1, 2, 3, 4, 6, 7, 8, 11};
        if (tradeId <= static_cast<int>(std::size(kFirst))) {
            return kFirst[tradeId - 1];
        }
        int roll = m_random.below(1000);
        for (const StatusShare& share : kStatusShares) {
            if (roll < share.perThousand) {
                return share.status;
            }
            roll -= share.perThousand;
        }
        return 5;
    }

    double postage(int logistic, bool remote, int grams)
    {
        const Logistic& company = kLogistics[logistic];
        const double first = company.firstFee + (remote ? 10 : 0);
        const double step = company.stepFee * (remote ? 2 : 1);
        const int started = grams <= 1000 ? 0 : (grams - 1000 + 999) / 1000;
        return first + started * step;
    }

    int packageFor(double goodsGrams)
    {
        if (goodsGrams < 100) {
            return m_random.chance(50) ? Bag : BubbleEnvelope;
        }
        if (goodsGrams < 1000) {
            return SmallBox;
        }
        return goodsGrams < 3000 ? MiddleBox : LargeBox;
    }

    QString extraWaybill() { return QStringLiteral("YT%1").arg(kExtraWaybillBase + m_extraWaybills++); }

    // One to three goods lines; the same unit drawn twice becomes one line with the counts added.
    std::vector<TradeLine> pickLines()
    {
        std::vector<TradeLine> lines;
        const int roll = m_random.below(100);
        const int lineCount = roll < 70 ? 1 : (roll < 92 ? 2 : 3);
        for (int i = 0; i < lineCount; ++i) {
            const auto& units =
                m_catalog.unitsOfGoods[m_random.below(static_cast<int>(m_catalog.unitsOfGoods.size()))];
            const int unit = units[m_random.below(static_cast<int>(units.size()))];
            const int countRoll = m_random.below(100);
            const int count = countRoll < 75 ? 1 : (countRoll < 93 ? 2 : m_random.between(3, 5));
            auto same = std::find_if(lines.begin(), lines.end(),
                                     [unit](const TradeLine& line) { return line.unit == unit; });
            if (same != lines.end()) {
                same->count += count;
            } else {
                lines.push_back(TradeLine{unit, count});
            }
        }
        return lines;
    }

    // The further waybills of a trade sent as several parcels; a shipped trade may already have sent
    // its first one, whose weight is then part of the trade's parcel weight.
    QString severalParcelsRemark(bool shipped, int* packagedGrams)
    {
        const int extra = m_random.between(1, 3);
        QString numbers = QStringLiteral("分箱发货:");
        for (int i = 0; i < extra; ++i) {
            numbers += QStringLiteral("附加单号") + extraWaybill();
            if (shipped && i == 0 && m_random.chance(50)) {
                const int parcel = m_random.between(300, 2500);
                numbers +=
                    QStringLiteral("已发货(仅算1个首重，单票重量：%1kg)").arg(shortest(parcel / 1000.0));
                *packagedGrams += parcel;
            }
            numbers += QLatin1Char(';');
        }
        return numbers;
    }

    QString someOperator()
    {
        return QString::fromLatin1(m_random.chance(80) ? DemoLogins::kOperatorName : DemoLogins::kAdminName);
    }

    DemoTrade composeTrade(int tradeId)
    {
        const QVariant null;
        DemoTrade trade;
        trade.tradeId = tradeId;
        const int status = pickStatus(tradeId);
        const bool afterShipping = status == 6 || status == 7 || status == 8;
        const int customerId = 1 + m_random.below(m_customers);
        const Person buyer = customer(customerId);
        Person consignee = buyer;
        if (m_random.chance(12)) { // a present, or sent to the office
            consignee.name = personName(m_random);
            placeAndStreet(m_random, &consignee);
        }
        const Province& province = m_places[consignee.province];
        const City& city = province.cities[consignee.city];
        const int logistic = m_random.below(static_cast<int>(std::size(kLogistics)));
        trade.shopId = 1 + m_random.below(static_cast<int>(std::size(kShops)));

        trade.lines = pickLines();
        double goodsGrams = 0;
        QStringList goodsList;
        for (const TradeLine& line : trade.lines) {
            const StockUnit& unit = m_catalog.units[line.unit];
            goodsGrams += unit.weight * line.count;
            goodsList.append(unit.text + QLatin1Char('*') + QString::number(line.count));
        }

        // The trade came in within the last six weeks; shipped ones left hours to days later.
        qint64 tradeSeconds = m_referenceSeconds - m_random.between(120, 42 * kSecondsPerDay);
        qint64 sentSeconds = 0;
        if (afterShipping) {
            tradeSeconds = m_referenceSeconds - m_random.between(4 * 3600, 42 * kSecondsPerDay);
            const qint64 latest = std::min<qint64>(60 * 3600, m_referenceSeconds - tradeSeconds - 60);
            sentSeconds = tradeSeconds + m_random.between(20 * 60, static_cast<int>(latest));
        }
        const QString tradeTime = stamp(tradeSeconds);
        trade.tradeNo = QStringLiteral("T") + tradeTime.left(10).remove(QLatin1Char('-')) +
                        QStringLiteral("%1").arg(tradeId, 7, 10, QLatin1Char('0'));
        // Waybills are printed once a trade has been reviewed.
        QVariant postId = null;
        if (status != 1 && status != 2) {
            postId = QStringLiteral("YT%1").arg(kMainWaybillBase + qint64(tradeId) * 10 + m_random.below(10));
        }

        const bool stockedOut = afterShipping || (status == 5 && m_random.chance(15));
        trade.pending = !stockedOut;
        const double tradeGoodsWeight =
            (status == 11 || (!afterShipping && m_random.chance(10))) ? 0 : goodsGrams;
        double estimate = 0;
        if (status == 11 || m_random.chance(15)) {
            estimate = goodsGrams > 0 ? std::ceil(goodsGrams / 50) * 50 + 100 : m_random.between(3, 40) * 50;
        }

        QString remark;
        if (m_random.chance(20)) {
            remark = QString::fromUtf8(m_random.pick(kSellerNotes));
        }
        int packagedGrams = 0;
        QVariant picker = null;
        QVariant packer = null;
        QVariant packageName = null;
        QVariant sndTime = null;
        const Package& package = kPackages[packageFor(goodsGrams)];
        if (afterShipping) {
            // Goods never weighed leave the parcel weight to the scale alone.
            packagedGrams = goodsGrams == 0
                                ? m_random.between(200, 3000)
                                : static_cast<int>(goodsGrams) + package.weight + m_random.between(-20, 40);
            packagedGrams = std::max(packagedGrams, 30);
            picker = QString::fromUtf8(m_random.pick(kStaff));
            packer = QString::fromUtf8(m_random.pick(kStaff));
            packageName = QString::fromUtf8(package.name);
            sndTime = stamp(sentSeconds);
        } else if (status == 5 && m_random.chance(20)) {
            picker = QString::fromUtf8(m_random.pick(kStaff));
        }
        const bool severalParcels =
            (afterShipping || status == 11) ? m_random.chance(5) : (status == 5 && m_random.chance(1));
        if (severalParcels) {
            const QString numbers = severalParcelsRemark(afterShipping, &packagedGrams);
            remark = remark.isEmpty() ? numbers : remark + QLatin1Char(' ') + numbers;
        }
        const double fee = afterShipping ? postage(logistic, province.remote, packagedGrams) : 0;
        const QVariant buyerNote =
            m_random.chance(30) ? QVariant(QString::fromUtf8(m_random.pick(kBuyerNotes))) : null;

        trade.row = {tradeId,
                     trade.tradeNo,
                     postId,
                     consignee.name,
                     buyer.nick,
                     buyer.nick,
                     province.name,
                     city.name,
                     city.districts.at(consignee.district),
                     consignee.street,
                     zip(consignee),
                     consignee.tel,
                     status,
                     stockedOut ? 1 : 0,
                     buyerNote,
                     remark.isEmpty() ? null : QVariant(remark),
                     tradeGoodsWeight,
                     packagedGrams,
                     fee,
                     picker,
                     packer, // SndOperator: the packer ships
                     sndTime,
                     goodsList.join(QLatin1Char(';')),
                     logistic + 1,
                     trade.shopId,
                     customerId,
                     estimate,
                     tradeTime,
                     packer,
                     packageName};

        // The trade log as the order system keeps it.
        if (status == 2) {
            trade.log.push_back(LogEntry{QStringLiteral("系统"), QStringLiteral("订单递交"), tradeTime});
        }
        if (stockedOut) {
            const qint64 outSeconds =
                afterShipping ? sentSeconds - m_random.between(60, 900) : tradeSeconds + 60;
            trade.log.push_back(LogEntry{someOperator(), QStringLiteral("订单出库"), stamp(outSeconds)});
        }
        if (afterShipping) {
            trade.log.push_back(LogEntry{
                someOperator(),
                QStringLiteral("订单发货,包裹重量%1克,邮资%2元").arg(packagedGrams).arg(shortest(fee)),
                sndTime.toString()});
        }
        // Trades still waiting for review came in through the shop platform's interface.
        trade.viaInterface = status == 1 || status == 2 || m_random.chance(2);
        return trade;
    }

    struct TradeStatements
    {
        explicit TradeStatements(QSqlDatabase& db)
            : trade(db)
            , line(db)
            , log(db)
            , bill(db)
            , billGoods(db)
        {
        }
        QSqlQuery trade;
        QSqlQuery line;
        QSqlQuery log;
        QSqlQuery bill;
        QSqlQuery billGoods;
    };

    bool prepare(TradeStatements& statements, QString* error)
    {
        return prepare(
                   statements.trade,
                   "insert into G_Trade_TradeList (TradeID, TradeNO, PostID, SndTo, TradeNick, NickName, "
                   "Province, City, Town, Adr, Zip, Tel, TradeStatus, bStockOut, CustomerRemark, Remark, "
                   "GoodsWeight, PackagedWeight, Postage, Picker, SndOperator, SndTime, GoodsList, "
                   "LogisticID, ShopID, CustomerID, estimateWeight, TradeTime, Packer, PackageName) "
                   "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                   "?, ?, ?)",
                   error) &&
               prepare(statements.line,
                       "insert into G_Trade_GoodsList (TradeID, GoodsID, SpecID, SellCount, Unit, Price) "
                       "values (?, ?, ?, ?, ?, ?)",
                       error) &&
               prepare(statements.log,
                       "insert into G_Trade_Log (TradeID, Operator, LogDetail, LogTime) values (?, ?, ?, ?)",
                       error) &&
               prepare(statements.bill,
                       "insert into G_API_TradeList (TradeID, RawTradeNO, ShopID) values (?, ?, ?)", error) &&
               prepare(statements.billGoods,
                       "insert into G_API_TradeGoods (BillID, GoodsID, SellCount) values (?, ?, ?)", error);
    }

    bool insertTrade(const DemoTrade& trade, TradeStatements& statements, QString* error)
    {
        if (!run(statements.trade, trade.row, error)) {
            return false;
        }
        for (const TradeLine& line : trade.lines) {
            const StockUnit& unit = m_catalog.units[line.unit];
            if (!run(statements.line,
                     {trade.tradeId, unit.goodsId, unit.specId, line.count, unit.unit, unit.price}, error)) {
                return false;
            }
        }
        for (const LogEntry& entry : trade.log) {
            if (!run(statements.log, {trade.tradeId, entry.operatorName, entry.detail, entry.time}, error)) {
                return false;
            }
        }
        if (trade.viaInterface) {
            if (!run(statements.bill, {trade.tradeId, trade.tradeNo, trade.shopId}, error)) {
                return false;
            }
            const QVariant billId = statements.bill.lastInsertId();
            for (const TradeLine& line : trade.lines) {
                if (!run(statements.billGoods, {billId, m_catalog.units[line.unit].goodsId, line.count},
                         error)) {
                    return false;
                }
            }
        }
        return true;
    }

    bool writeTrades(QString* error)
    {
        TradeStatements statements(m_db);
        if (!prepare(statements, error)) {
            return false;
        }
        for (int tradeId = 1; tradeId <= m_options.trades; ++tradeId) {
            const DemoTrade trade = composeTrade(tradeId);
            if (!insertTrade(trade, statements, error)) {
                return false;
            }
            if (trade.pending) {
                for (const TradeLine& line : trade.lines) {
                    m_demand[line.unit] += line.count;
                }
            }
        }
        return true;
    }

    // Stock covers every trade still to be taken out, with room to spare, except a few goods that
    // have run short.
    bool writeStock(QString* error)
    {
        QSqlQuery query(m_db);
        if (!prepare(query, "insert into G_Stock_Spec (GoodsID, SpecID, Stock) values (?, ?, ?)", error)) {
            return false;
        }
        for (std::size_t i = 0; i < m_catalog.units.size(); ++i) {
            const StockUnit& unit = m_catalog.units[i];
            const qint64 stock = unit.shortOfStock
                                     ? m_random.between(0, 2)
                                     : m_demand[i] + m_random.between(20, 200) + m_demand[i] / 5;
            if (!run(query, {unit.goodsId, unit.specId, stock}, error)) {
                return false;
            }
        }
        return true;
    }

    QSqlDatabase& m_db;
    const DemoOrderOptions& m_options;
    DemoRandom m_random;
    const std::vector<Province> m_places;
    CatalogIndex m_catalog;
    std::vector<qint64> m_demand; // per stock unit: articles still to be taken out
    qint64 m_referenceSeconds = 0;
    int m_customers = 0;
    qint64 m_extraWaybills = 1;
};

bool countSummary(QSqlDatabase& db, DemoOrderSummary* summary, QString* error)
{
    auto scalar = [&](const char* statement, qint64* out) {
        QSqlQuery query(db);
        if (!query.exec(QString::fromLatin1(statement)) || !query.next()) {
            *error = query.lastError().text();
            return false;
        }
        *out = query.value(0).toLongLong();
        return true;
    };
    return scalar("select count(*) from G_Trade_TradeList", &summary->trades) &&
           scalar("select count(*) from G_Trade_TradeList where TradeStatus = 5", &summary->readyToShip) &&
           scalar("select count(*) from G_Trade_TradeList where TradeStatus = 8", &summary->shipped) &&
           scalar("select count(*) from G_Trade_GoodsList", &summary->goodsLines) &&
           scalar("select count(*) from G_Goods_GoodsList", &summary->goods) &&
           scalar("select count(*) from G_Goods_GoodsSpec", &summary->specs) &&
           scalar("select count(*) from G_Customer_CustomerList", &summary->customers) &&
           scalar("select count(*) from G_Trade_Log", &summary->logLines);
}

bool execAll(QSqlDatabase& db, std::initializer_list<const char*> statements, QString* error)
{
    QSqlQuery query(db);
    for (const char* statement : statements) {
        if (!query.exec(QString::fromLatin1(statement))) {
            *error = query.lastError().text();
            return false;
        }
    }
    return true;
}

// Writes the shop into the empty file at path.
bool writeDemoShop(const QString& path, const DemoOrderOptions& options, DemoOrderSummary* summary,
                   QString* error)
{
    SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("demo-order-db"));
    if (!openSqliteFile(connection, path, error)) {
        return false;
    }
    QSqlDatabase& db = connection.db();
    // Generation runs with the journal in memory and without syncs; the finished file gets the
    // safe settings back. It is made under a temporary name, so a crash meanwhile costs nothing.
    if (!execAll(db,
                 {"PRAGMA journal_mode = MEMORY", "PRAGMA synchronous = OFF", "PRAGMA cache_size = -65536",
                  "PRAGMA temp_store = MEMORY"},
                 error)) {
        return false;
    }
    {
        Transaction transaction(db);
        if (!transaction.isOpen()) {
            *error = transaction.beginError();
            return false;
        }
        DemoShopWriter writer(db, options);
        if (!createEmbeddedOrderTables(db, error) || !writer.write(error) ||
            !createEmbeddedOrderIndexes(db, error) || !transaction.commit(error)) {
            return false;
        }
    }
    if (!execAll(db, {"PRAGMA journal_mode = DELETE", "PRAGMA synchronous = FULL", "ANALYZE"}, error)) {
        return false;
    }
    return !summary || countSummary(db, summary, error);
}

bool makeDemoOrderDatabase(const QString& path, const DemoOrderOptions& options, DemoOrderSummary* summary,
                           LocalFile::Existing existing, QString* error)
{
    QString ignored;
    QString& message = error ? *error : ignored;
    if (path.isEmpty()) {
        message = QStringLiteral("未指定订单数据库文件");
        return false;
    }
    if (options.trades < 0 || options.trades > kDemoMaxTrades) {
        message = QStringLiteral("订单数量必须在0到%1之间").arg(kDemoMaxTrades);
        return false;
    }
    // Readable by its owner only: the file holds the shop's logins.
    return LocalFile::build(
        path, existing,
        [&](const QString& part, QString* e) { return writeDemoShop(part, options, summary, e); }, &message);
}

} // namespace

bool createDemoOrderDatabase(const QString& path, const DemoOrderOptions& options, QString* error)
{
    return createDemoOrderDatabase(path, options, nullptr, error);
}

bool createDemoOrderDatabase(const QString& path, const DemoOrderOptions& options, DemoOrderSummary* summary,
                             QString* error)
{
    return makeDemoOrderDatabase(path, options, summary, LocalFile::Existing::Refuse, error);
}

bool provideDemoOrderDatabase(const QString& path, const DemoOrderOptions& options, QString* error)
{
    return makeDemoOrderDatabase(path, options, nullptr, LocalFile::Existing::Keep, error);
}
