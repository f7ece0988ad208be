#include "postage/PostageRegions.h"

namespace PostageRegions {

const QStringList& provinces()
{
    static const QStringList list = {
        QStringLiteral("北京"),
        QStringLiteral("天津"),
        QStringLiteral("河北省"),
        QStringLiteral("山西省"),
        QStringLiteral("内蒙古自治区"),
        QStringLiteral("辽宁省"),
        QStringLiteral("吉林省"),
        QStringLiteral("黑龙江省"),
        QStringLiteral("上海"),
        QStringLiteral("江苏省"),
        QStringLiteral("浙江省"),
        QStringLiteral("安徽省"),
        QStringLiteral("福建省"),
        QStringLiteral("江西省"),
        QStringLiteral("山东省"),
        QStringLiteral("河南省"),
        QStringLiteral("湖北省"),
        QStringLiteral("湖南省"),
        QStringLiteral("广东省"),
        QStringLiteral("广西壮族自治区"),
        QStringLiteral("海南省"),
        QStringLiteral("重庆"),
        QStringLiteral("四川省"),
        QStringLiteral("贵州省"),
        QStringLiteral("云南省"),
        QStringLiteral("西藏自治区"),
        QStringLiteral("陕西省"),
        QStringLiteral("甘肃省"),
        QStringLiteral("青海省"),
        QStringLiteral("宁夏回族自治区"),
        QStringLiteral("新疆维吾尔自治区"),
        QStringLiteral("台湾省"),
        QStringLiteral("香港特别行政区"),
        QStringLiteral("澳门特别行政区"),
    };
    return list;
}

const std::vector<Region>& regions()
{
    static const std::vector<Region> list = {
        {QStringLiteral("江浙沪"),
         {QStringLiteral("上海"), QStringLiteral("江苏省"), QStringLiteral("浙江省")}},
        {QStringLiteral("华东"),
         {QStringLiteral("上海"), QStringLiteral("江苏省"), QStringLiteral("浙江省"),
          QStringLiteral("安徽省"), QStringLiteral("江西省")}},
        {QStringLiteral("华北"),
         {QStringLiteral("北京"), QStringLiteral("天津"), QStringLiteral("河北省"), QStringLiteral("山西省"),
          QStringLiteral("内蒙古自治区"), QStringLiteral("山东省")}},
        {QStringLiteral("华中"),
         {QStringLiteral("河南省"), QStringLiteral("湖北省"), QStringLiteral("湖南省")}},
        {QStringLiteral("华南"),
         {QStringLiteral("福建省"), QStringLiteral("广东省"), QStringLiteral("广西壮族自治区"),
          QStringLiteral("海南省")}},
        {QStringLiteral("东北"),
         {QStringLiteral("辽宁省"), QStringLiteral("吉林省"), QStringLiteral("黑龙江省")}},
        {QStringLiteral("西北"),
         {QStringLiteral("陕西省"), QStringLiteral("甘肃省"), QStringLiteral("青海省"),
          QStringLiteral("宁夏回族自治区"), QStringLiteral("新疆维吾尔自治区")}},
        {QStringLiteral("西南"),
         {QStringLiteral("重庆"), QStringLiteral("四川省"), QStringLiteral("贵州省"),
          QStringLiteral("云南省"), QStringLiteral("西藏自治区")}},
        {QStringLiteral("港澳台"),
         {QStringLiteral("台湾省"), QStringLiteral("香港特别行政区"), QStringLiteral("澳门特别行政区")}},
    };
    return list;
}

} // namespace PostageRegions
