#pragma once

#include <QtGlobal>

// The demo shop's fixed lists: places, goods, staff, packages, shops, express companies, names
// and notes the generator draws from.
namespace DemoShopCatalog {

// Province | postcode prefix | city:district,district | ... — as an order system stores them:
// municipalities repeat their name as the city.
inline constexpr const char* kPlaces[] = {
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
inline constexpr const char* kRemoteProvinces[] = {
    "新疆维吾尔自治区", "西藏自治区", "青海省", "宁夏回族自治区", "甘肃省",
    "内蒙古自治区",     "海南省",     "台湾省", "香港特别行政区", "澳门特别行政区"};

struct CatalogGoods
{
    const char* name;
    const char* unit;
    double weight; // grams per article; 0 = never weighed
    double price;
    bool multiSpec;
    const char* specs; // multi: the variants, "|" between them; single: the GoodsSpec text
};

inline constexpr CatalogGoods kCatalog[] = {
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
inline constexpr const char* kShortStock[][2] = {{"机械键盘", "红轴"}, {"乳胶枕", ""}, {"羊毛围巾", "酒红"}};

inline constexpr const char* kStaff[] = {"王晓峰", "李秀兰", "张建国", "刘芳",
                                         "陈志强", "杨丽华", "赵磊",   "周敏"};

struct Package
{
    const char* name;
    int weight;
};
inline constexpr Package kPackages[] = {{"小号纸箱", 120}, {"中号纸箱", 260}, {"大号纸箱", 480},
                                        {"快递袋", 20},    {"气泡信封", 15},  {"编织袋", 60}};
enum PackageIndex
{
    SmallBox,
    MiddleBox,
    LargeBox,
    Bag,
    BubbleEnvelope
};

inline constexpr const char* kShops[] = {"青枝家居旗舰店", "木棉数码专营店", "南山食品小铺"};

struct Logistic
{
    const char* name;
    const char* tel;
    double firstFee; // yuan for the first kilogram
    double stepFee;  // yuan for each further kilogram started
};
inline constexpr Logistic kLogistics[] = {{"青禾快递", "0555-5550101", 8, 4},
                                          {"远帆速运", "0555-5550102", 12, 6},
                                          {"鹭岛物流", "0555-5550103", 10, 3.5},
                                          {"星桥快运", "0555-5550104", 9.5, 4},
                                          {"千里驿递", "0555-5550105", 15, 8}};

inline constexpr const char* kSurnames[] = {
    "王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱", "胡",   "郭",
    "何", "高", "林", "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹", "欧阳", "司马"};
inline constexpr const char* kGivenNames[] = {
    "伟", "芳", "娜", "秀", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟", "涛",
    "明", "超", "霞", "平", "刚", "桂", "英", "华", "玉", "兰", "萍", "红", "鹏", "飞", "宇", "浩",
    "凯", "婷", "雪", "琳", "晨", "欣", "佳", "怡", "子", "涵", "俊", "博", "文", "辉", "建", "志"};
inline constexpr const char* kNickWords[] = {"xiao", "mei", "da",   "bao",  "tian", "yu",
                                             "le",   "an",  "qing", "feng", "yun",  "zhi"};
inline constexpr const char* kNickPhrases[] = {"爱吃鱼的猫", "快乐小熊",  "阳光下的向日葵", "追风少年",
                                               "安静的树",   "小小橙子",  "海边的贝壳",     "一只胖兔子",
                                               "夏天的风",   "云朵棉花糖"};
inline constexpr int kMobilePrefixes[] = {3, 5, 8, 9};
inline constexpr const char* kRoads[] = {"中山", "人民", "解放", "建设", "和平", "长江",
                                         "黄河", "新华", "文化", "光明", "东风", "胜利",
                                         "青年", "学院", "幸福", "花园", "滨江", "迎宾"};
inline constexpr const char* kRoadKinds[] = {"路", "街", "大道", "东路", "西路", "南路", "北路"};
inline constexpr const char* kEstates[] = {"阳光", "金色", "翠苑", "锦绣", "华府",
                                           "碧水", "香樟", "望江", "书香", "紫荆"};
inline constexpr const char* kEstateKinds[] = {"花园", "小区", "家园", "公寓", "新村"};
inline constexpr const char* kSellerNotes[] = {
    "加急",     "赠送小样一份",       "顾客要求周末送达",         "已电话确认地址",     "发票随货",
    "换货补发", "老客户，包装仔细些", "缺货已沟通，先发有货部分", "地址已改，以此为准", "备注'易碎'轻放"};
// Buyers write Chinese, English and quotes of both kinds; the station shows them as they are.
inline constexpr const char* kBuyerNotes[] = {"请尽快发货，谢谢！",
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
inline constexpr StatusShare kStatusShares[] = {{5, 560}, {8, 200}, {1, 30}, {2, 40}, {3, 30},
                                                {4, 40},  {6, 40},  {7, 30}, {11, 30}};

inline constexpr qint64 kMainWaybillBase = 4300000000LL;
inline constexpr qint64 kExtraWaybillBase = 9800000000LL;
inline constexpr int kSecondsPerDay = 86400;

} // namespace DemoShopCatalog
