#include "store/DemoOrderData.h"

#include "store/EmbeddedOrderSchema.h"
#include "store/SqlConnection.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
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

// ---------------------------------------------------------------------------------------------
// The shop's fixed lists.

// Province | postcode prefix | city:district,district | ... — as an order system stores them:
// municipalities repeat their name as the city.
const char* const kPlaces[] = {
    "北京市|10|北京市:东城区,西城区,朝阳区,海淀区,丰台区",
    "天津市|30|天津市:和平区,河西区,南开区,滨海新区",
    "上海市|20|上海市:黄浦区,徐汇区,浦东新区,闵行区,静安区",
    "重庆市|40|重庆市:渝中区,江北区,沙坪坝区,九龙坡区",
    "河北省|05|石家庄市:长安区,桥西区,裕华区|唐山市:路北区,路南区|保定市:竞秀区,莲池区",
    "山西省|03|太原市:小店区,迎泽区,杏花岭区|大同市:平城区,云冈区",
    "辽宁省|11|沈阳市:和平区,沈河区,皇姑区|大连市:中山区,西岗区,甘井子区",
    "吉林省|13|长春市:朝阳区,南关区,宽城区|吉林市:船营区,昌邑区",
    "黑龙江省|15|哈尔滨市:道里区,南岗区,香坊区|齐齐哈尔市:龙沙区,建华区",
    "江苏省|21|南京市:玄武区,秦淮区,江宁区,鼓楼区|苏州市:姑苏区,吴中区,昆山市|无锡市:梁溪区,滨湖区",
    "浙江省|31|杭州市:上城区,西湖区,余杭区,萧山区|宁波市:海曙区,鄞州区|温州市:鹿城区,瓯海区",
    "安徽省|23|合肥市:蜀山区,包河区,庐阳区|芜湖市:镜湖区,鸠江区",
    "福建省|35|福州市:鼓楼区,台江区,仓山区|厦门市:思明区,湖里区|泉州市:丰泽区,晋江市",
    "江西省|33|南昌市:东湖区,西湖区,红谷滩区|赣州市:章贡区,南康区",
    "山东省|25|济南市:历下区,市中区,槐荫区|青岛市:市南区,市北区,黄岛区|烟台市:芝罘区,莱山区",
    "河南省|45|郑州市:中原区,二七区,金水区|洛阳市:西工区,洛龙区",
    "湖北省|43|武汉市:江岸区,武昌区,洪山区|宜昌市:西陵区,伍家岗区",
    "湖南省|41|长沙市:芙蓉区,天心区,岳麓区|株洲市:天元区,芦淞区",
    "广东省|51|广州市:天河区,越秀区,海珠区,番禺区|深圳市:福田区,南山区,宝安区,龙岗区|东莞市:南城街道,"
    "东城街道",
    "海南省|57|海口市:龙华区,美兰区|三亚市:吉阳区,天涯区",
    "四川省|61|成都市:锦江区,青羊区,武侯区,成华区|绵阳市:涪城区,游仙区",
    "贵州省|55|贵阳市:南明区,云岩区,观山湖区|遵义市:红花岗区,汇川区",
    "云南省|65|昆明市:五华区,盘龙区,官渡区|大理白族自治州:大理市,祥云县",
    "陕西省|71|西安市:新城区,碑林区,雁塔区|宝鸡市:渭滨区,金台区",
    "甘肃省|73|兰州市:城关区,七里河区,安宁区|天水市:秦州区,麦积区",
    "青海省|81|西宁市:城东区,城中区,城西区|海东市:乐都区,平安区",
    "台湾省|99|台北市:中正区,大安区|高雄市:前镇区,苓雅区",
    "内蒙古自治区|01|呼和浩特市:新城区,回民区,赛罕区|包头市:昆都仑区,青山区",
    "广西壮族自治区|53|南宁市:青秀区,兴宁区,西乡塘区|桂林市:秀峰区,象山区",
    "西藏自治区|85|拉萨市:城关区,堆龙德庆区|日喀则市:桑珠孜区",
    "宁夏回族自治区|75|银川市:兴庆区,金凤区,西夏区|石嘴山市:大武口区",
    "新疆维吾尔自治区|83|乌鲁木齐市:天山区,沙依巴克区,新市区|喀什地区:喀什市,疏附县",
    "香港特别行政区|99|香港岛:中西区,湾仔区,东区|九龙:油尖旺区,深水埗区",
    "澳门特别行政区|99|澳门半岛:花地玛堂区,大堂区|氹仔:嘉模堂区",
};

// Far regions cost more to reach.
const char* const kRemoteProvinces[] = {"新疆维吾尔自治区", "西藏自治区",    "青海省", "宁夏回族自治区",
                                        "甘肃省",           "内蒙古自治区",  "海南省", "台湾省",
                                        "香港特别行政区",   "澳门特别行政区"};

struct CatalogGoods
{
    const char* name;
    const char* unit;
    double weight; // grams per article; 0 = never weighed
    double price;
    bool multiSpec;
    const char* specs; // multi: the variants, "|" between them; single: the GoodsSpec text
};

const CatalogGoods kCatalog[] = {
    {"纯棉圆领T恤", "件", 180, 59, true, "白色 M|白色 L|黑色 M|黑色 L"},
    {"不锈钢保温杯", "个", 320, 79, true, "350ml 银色|500ml 银色|500ml 玫红"},
    {"蓝牙耳机", "副", 85, 129, true, "黑色|白色"},
    {"手机保护壳", "个", 35, 19.9, true, "透明|磨砂黑|樱花粉"},
    {"帆布双肩包", "个", 650, 139, true, "藏青|卡其"},
    {"运动袜", "双", 45, 9.9, true, "白色 均码|灰色 均码"},
    {"陶瓷马克杯", "个", 380, 35, false, "350ml"},
    {"竹制砧板", "块", 900, 49, false, "大号"},
    {"乳胶枕", "个", 1600, 199, false, "60x40cm"},
    {"加厚浴巾", "条", 520, 45, true, "浅灰|米白"},
    {"USB数据线", "根", 40, 15, true, "1米|2米"},
    {"无线鼠标", "个", 95, 69, false, "静音版"},
    {"机械键盘", "个", 1050, 299, true, "青轴|茶轴|红轴"},
    {"桌面台灯", "台", 1200, 159, false, "护眼款"},
    {"收纳箱", "个", 1350, 39, true, "小号|中号|大号"},
    {"绿茶礼盒", "盒", 560, 168, false, "250g"},
    {"坚果大礼包", "盒", 1480, 128, false, "1.2kg装"},
    {"手工红糖", "袋", 530, 25, false, "500g"},
    {"槐花蜂蜜", "瓶", 0, 68, false, "500g"},
    {"挂耳咖啡", "盒", 0, 59, true, "中度烘焙|深度烘焙"},
    {"香薰蜡烛", "个", 0, 49, false, "200g"},
    {"儿童绘本", "套", 760, 88, false, "全6册"},
    {"中性笔", "盒", 210, 24, true, "黑色 12支|蓝色 12支"},
    {"线圈笔记本", "本", 260, 12.5, false, "A5"},
    {"瑜伽垫", "张", 1100, 89, true, "紫色 6mm|蓝色 8mm"},
    {"计数跳绳", "根", 150, 19, false, "成人款"},
    {"洗脸巾", "包", 230, 16.8, false, "80抽"},
    {"竹炭牙刷", "支", 18, 9.9, true, "软毛|中毛"},
    {"珍珠发夹", "个", 12.5, 15, false, "单个装"},
    {"羊毛围巾", "条", 210, 159, true, "驼色|酒红|深灰"},
};

// Goods whose stock runs short in the demo shop: goods name and variant ("" for the goods itself).
const char* const kShortStock[][2] = {{"机械键盘", "红轴"}, {"乳胶枕", ""}, {"羊毛围巾", "酒红"}};

const char* const kStaff[] = {"王晓峰", "李秀兰", "张建国", "刘芳", "陈志强", "杨丽华", "赵磊", "周敏"};

struct Package
{
    const char* name;
    int weight;
};
const Package kPackages[] = {{"小号纸箱", 120}, {"中号纸箱", 260}, {"大号纸箱", 480},
                             {"快递袋", 20},    {"气泡信封", 15},  {"编织袋", 60}};
enum PackageIndex
{
    SmallBox,
    MiddleBox,
    LargeBox,
    Bag,
    BubbleEnvelope
};

const char* const kShops[] = {"青枝家居旗舰店", "木棉数码专营店", "南山食品小铺"};

struct Logistic
{
    const char* name;
    const char* tel;
    double firstFee; // yuan for the first kilogram
    double stepFee;  // yuan for each further kilogram started
};
const Logistic kLogistics[] = {{"青禾快递", "0555-5550101", 8, 4},
                               {"远帆速运", "0555-5550102", 12, 6},
                               {"鹭岛物流", "0555-5550103", 10, 3.5},
                               {"星桥快运", "0555-5550104", 9.5, 4},
                               {"千里驿递", "0555-5550105", 15, 8}};

const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴",   "周",  "徐",
                                 "孙", "马", "朱", "胡", "郭", "何", "高", "林", "罗",   "郑",  "梁",
                                 "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹", "欧阳", "司马"};
const char* const kGivenNames[] = {"伟", "芳", "娜", "秀", "敏", "静", "丽", "强", "磊", "军", "洋", "勇",
                                   "艳", "杰", "娟", "涛", "明", "超", "霞", "平", "刚", "桂", "英", "华",
                                   "玉", "兰", "萍", "红", "鹏", "飞", "宇", "浩", "凯", "婷", "雪", "琳",
                                   "晨", "欣", "佳", "怡", "子", "涵", "俊", "博", "文", "辉", "建", "志"};
const char* const kNickWords[] = {"xiao", "mei", "da",   "bao",  "tian", "yu",
                                  "le",   "an",  "qing", "feng", "yun",  "zhi"};
const char* const kNickPhrases[] = {"爱吃鱼的猫", "快乐小熊",   "阳光下的向日葵", "追风少年", "安静的树",
                                    "小小橙子",   "海边的贝壳", "一只胖兔子",     "夏天的风", "云朵棉花糖"};
const int kMobilePrefixes[] = {3, 5, 8, 9};
const char* const kRoads[] = {"中山", "人民", "解放", "建设", "和平", "长江", "黄河", "新华", "文化",
                              "光明", "东风", "胜利", "青年", "学院", "幸福", "花园", "滨江", "迎宾"};
const char* const kRoadKinds[] = {"路", "街", "大道", "东路", "西路", "南路", "北路"};
const char* const kEstates[] = {"阳光", "金色", "翠苑", "锦绣", "华府",
                                "碧水", "香樟", "望江", "书香", "紫荆"};
const char* const kEstateKinds[] = {"花园", "小区", "家园", "公寓", "新村"};
const char* const kSellerNotes[] = {
    "加急",     "赠送小样一份",       "顾客要求周末送达",         "已电话确认地址",     "发票随货",
    "换货补发", "老客户，包装仔细些", "缺货已沟通，先发有货部分", "地址已改，以此为准", "备注'易碎'轻放"};
// Buyers write Chinese, English and quotes of both kinds; the station shows them as they are.
const char* const kBuyerNotes[] = {"请尽快发货，谢谢！",
                                   "不要放发票",
                                   "周末不在家，请送到门卫",
                                   "请在包裹上写\"易碎\"",
                                   "It's a gift, please don't include the price",
                                   "颜色要'深一点'的",
                                   "包装好一点，送人的",
                                   "麻烦发\"青禾快递\"",
                                   "100%好评_谢谢",
                                   "快递放小区驿站",
                                   "O'Neil 收，电话联系"};

// Status of a trade and how often the shop has it, per thousand trades.
struct StatusShare
{
    int status;
    int perThousand;
};
const StatusShare kStatusShares[] = {{5, 560}, {8, 200}, {1, 30}, {2, 40}, {3, 30},
                                     {4, 40},  {6, 40},  {7, 30}, {11, 30}};

constexpr qint64 kMainWaybillBase = 4300000000LL;
constexpr qint64 kExtraWaybillBase = 9800000000LL;
constexpr int kSecondsPerDay = 86400;

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

// Removes a half-written file unless the run got through.
class PartialFileGuard
{
public:
    explicit PartialFileGuard(const QString& path)
        : m_path(path)
    {
    }
    ~PartialFileGuard()
    {
        if (!m_done) {
            QFile::remove(m_path);
            QFile::remove(m_path + QStringLiteral("-journal"));
        }
    }
    PartialFileGuard(const PartialFileGuard&) = delete;
    PartialFileGuard& operator=(const PartialFileGuard&) = delete;
    void keep() { m_done = true; }

private:
    QString m_path;
    bool m_done = false;
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

} // namespace

bool createDemoOrderDatabase(const QString& path, const DemoOrderOptions& options, QString* error)
{
    return createDemoOrderDatabase(path, options, nullptr, error);
}

bool createDemoOrderDatabase(const QString& path, const DemoOrderOptions& options, DemoOrderSummary* summary,
                             QString* error)
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
    // Created exclusively, readable by its owner only: the file holds the shop's logins.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        message = QFileInfo::exists(path) ? QStringLiteral("文件已存在:") + path
                                          : QStringLiteral("无法创建文件:") + path + QStringLiteral(" (") +
                                                file.errorString() + QLatin1Char(')');
        return false;
    }
    PartialFileGuard guard(path);
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.close();

    {
        SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("demo-order-db"));
        if (!openSqliteFile(connection, path, &message)) {
            return false;
        }
        QSqlDatabase& db = connection.db();
        // Generation runs with the journal in memory and without syncs; the finished file gets the
        // safe settings back.
        if (!execAll(db,
                     {"PRAGMA journal_mode = MEMORY", "PRAGMA synchronous = OFF",
                      "PRAGMA cache_size = -65536", "PRAGMA temp_store = MEMORY"},
                     &message)) {
            return false;
        }
        if (!db.transaction()) {
            message = db.lastError().text();
            return false;
        }
        DemoShopWriter writer(db, options);
        if (!createEmbeddedOrderTables(db, &message) || !writer.write(&message) ||
            !createEmbeddedOrderIndexes(db, &message)) {
            db.rollback();
            return false;
        }
        if (!db.commit()) {
            message = db.lastError().text();
            return false;
        }
        if (!execAll(db, {"PRAGMA journal_mode = DELETE", "PRAGMA synchronous = FULL", "ANALYZE"},
                     &message)) {
            return false;
        }
        if (summary && !countSummary(db, summary, &message)) {
            return false;
        }
    }
    guard.keep();
    return true;
}
