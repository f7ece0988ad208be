#include "postage/DemoPostageRules.h"

#include "base/Transaction.h"
#include "postage/PostageStyles.h"
#include "postage/PostageTables.h"
#include "postage/PostageText.h"
#include "postage/RuleSave.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <vector>

namespace {

// A price zone: its provinces, their capitals (as the city lists hold them) and its prices.
struct Zone
{
    QStringList provinces;
    QStringList capitals;
    double firstFee;
    double stepFee;
};

std::vector<Zone> zones()
{
    auto list = [](const char* text) { return QString::fromUtf8(text).split(QLatin1Char(' ')); };
    return {
        {list("上海 江苏省 浙江省"), list("上海 南京 杭州"), 8, 2},
        {list("北京 天津 河北省 山西省 安徽省 福建省 江西省 山东省 河南省 湖北省 湖南省 广东省"),
         list("北京 天津 石家庄 太原 合肥 福州 南昌 济南 郑州 武汉 长沙 广州"), 10, 5},
        {list("内蒙古自治区 辽宁省 吉林省 黑龙江省 广西壮族自治区 海南省 重庆 四川省 贵州省 云南省 陕西省 "
              "甘肃省 "
              "宁夏回族自治区"),
         list("呼和浩特 沈阳 长春 哈尔滨 南宁 海口 重庆 成都 贵阳 昆明 西安 兰州 银川"), 12, 8},
        {list("西藏自治区 青海省 新疆维吾尔自治区"), list("拉萨 西宁 乌鲁木齐"), 18, 15},
        {list("台湾省 香港特别行政区 澳门特别行政区"), list("台北 香港 澳门"), 30, 20},
    };
}

// Brackets up to 30 kg: the first kilogram at the first fee, then per started kilogram; above
// 10 kg the step fee is a fifth lower.
std::vector<Bracket> brackets(double firstFee, double stepFee)
{
    const qint64 ends[] = {1000, 3000, 5000, 10000, 20000, 30000};
    std::vector<Bracket> list;
    qint64 start = 0;
    for (const qint64 end : ends) {
        const double step = end > 10000 ? stepFee * 0.8 : stepFee;
        list.push_back(Bracket{start, end, 1000, firstFee, 1000, step});
        start = end;
    }
    return list;
}

struct DemoRule
{
    RuleStyle style;
    QStringList provinces; // a normal rule writes its brackets once per province
    QString city;
    QString town;
    QString adr;
    double firstFee;
    double stepFee;
};

int typleOf(const DemoRule& rule)
{
    if (rule.style == RuleStyle::Special1) {
        return rule.city.isEmpty() ? (rule.town.isEmpty() ? 1 : 3) : (rule.town.isEmpty() ? 2 : 4);
    }
    return rule.city.isEmpty() ? 2 : (rule.town.isEmpty() ? 1 : 3);
}

std::vector<DemoRule> demoRules(double surcharge)
{
    std::vector<DemoRule> rules;
    QStringList everyProvince;
    for (const Zone& zone : zones()) {
        everyProvince += zone.provinces;
        rules.push_back(
            {RuleStyle::Normal, zone.provinces, {}, {}, {}, zone.firstFee + surcharge, zone.stepFee});
        // The provincial capitals are a yuan cheaper.
        rules.push_back({RuleStyle::Special2,
                         {PostageText::listText(zone.provinces)},
                         PostageText::listText(zone.capitals),
                         {},
                         {},
                         zone.firstFee + surcharge - 1,
                         zone.stepFee});
        // Campus addresses cost two yuan more.
        rules.push_back({RuleStyle::Special1,
                         {PostageText::listText(zone.provinces)},
                         {},
                         {},
                         QStringLiteral("大学;学院;"),
                         zone.firstFee + surcharge + 2,
                         zone.stepFee});
    }
    rules.push_back({RuleStyle::Special2,
                     {QStringLiteral("浙江省;")},
                     {},
                     QStringLiteral("余杭;萧山;"),
                     {},
                     6 + surcharge,
                     1.5});
    rules.push_back({RuleStyle::Special2,
                     {QStringLiteral("江苏省;")},
                     QStringLiteral("南京;"),
                     QStringLiteral("江宁;"),
                     {},
                     6 + surcharge,
                     1});
    rules.push_back({RuleStyle::Special1,
                     {QStringLiteral("江苏省;")},
                     QStringLiteral("南京;"),
                     QStringLiteral("江宁;"),
                     QStringLiteral("开发区;大学城;"),
                     5 + surcharge,
                     1});
    return rules;
}

bool failed(const QSqlQuery& query, QString* error)
{
    if (error) {
        *error = query.lastError().text();
    }
    return false;
}

} // namespace

bool fillDemoPostageRules(QSqlDatabase& postageDb, const QStringList& expressNames, QString* error)
{
    if (!createPostageTables(postageDb, error)) {
        return false;
    }
    Transaction transaction(postageDb);
    if (!transaction.isOpen()) {
        if (error) {
            *error = postageDb.lastError().text();
        }
        return false;
    }
    QSqlQuery bound(postageDb);
    bound.prepare(QStringLiteral("select 1 from SndStyle_Form where SndStyle = ? and Style = ? limit 1"));
    QSqlQuery bind(postageDb);
    bind.prepare(QStringLiteral("insert into SndStyle_Form (SndStyle, Style) values (?, ?)"));
    QSqlQuery normal(postageDb);
    normal.prepare(QStringLiteral("insert into rule (Express, Province, RuleIndex, StartWeight, EndWeight, "
                                  "BeginChargeWeight, BeginChargeFee, DetaWeight, DetaFee) "
                                  "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery special1(postageDb);
    special1.prepare(
        QStringLiteral("insert into rule1 (Express, Province, City, Town, Typle, Adr, RuleIndex, "
                       "StartWeight, EndWeight, BeginChargeWeight, BeginChargeFee, DetaWeight, "
                       "DetaFee) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery special2(postageDb);
    special2.prepare(QStringLiteral("insert into rule2 (Express, Province, City, Town, Typle, RuleIndex, "
                                    "StartWeight, EndWeight, BeginChargeWeight, BeginChargeFee, DetaWeight, "
                                    "DetaFee) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const auto textOrNull = [](const QString& text) {
        return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
    };

    QDateTime saved(QDate(2014, 1, 6), QTime(9, 0, 0));
    for (int company = 0; company < expressNames.size(); ++company) {
        const QString& express = expressNames.at(company);
        const double surcharge = company % 3;
        bool skip[4] = {false, false, false, false};
        for (const RuleStyle style : {RuleStyle::Normal, RuleStyle::Special1, RuleStyle::Special2}) {
            bound.addBindValue(express);
            bound.addBindValue(PostageStyle::code(style));
            if (!bound.exec()) {
                return failed(bound, error);
            }
            skip[PostageStyle::code(style)] = bound.next();
            bound.finish();
            if (!skip[PostageStyle::code(style)]) {
                bind.addBindValue(express);
                bind.addBindValue(PostageStyle::code(style));
                if (!bind.exec()) {
                    return failed(bind, error);
                }
            }
        }
        for (const DemoRule& rule : demoRules(surcharge)) {
            if (skip[PostageStyle::code(rule.style)]) {
                continue;
            }
            const QString ruleIndex = ruleIndexText(saved);
            saved = saved.addSecs(1);
            for (const QString& province : rule.provinces) {
                for (const Bracket& bracket : brackets(rule.firstFee, rule.stepFee)) {
                    QSqlQuery& insert = rule.style == RuleStyle::Normal     ? normal
                                        : rule.style == RuleStyle::Special1 ? special1
                                                                            : special2;
                    insert.addBindValue(express);
                    insert.addBindValue(province);
                    if (rule.style != RuleStyle::Normal) {
                        insert.addBindValue(textOrNull(rule.city));
                        insert.addBindValue(textOrNull(rule.town));
                        insert.addBindValue(typleOf(rule));
                        if (rule.style == RuleStyle::Special1) {
                            insert.addBindValue(rule.adr);
                        }
                    }
                    insert.addBindValue(ruleIndex);
                    insert.addBindValue(bracket.startWeight);
                    insert.addBindValue(bracket.endWeight);
                    insert.addBindValue(bracket.beginChargeWeight);
                    insert.addBindValue(bracket.beginChargeFee);
                    insert.addBindValue(bracket.detaWeight);
                    insert.addBindValue(bracket.detaFee);
                    if (!insert.exec()) {
                        return failed(insert, error);
                    }
                }
            }
        }
    }
    if (!transaction.commit()) {
        if (error) {
            *error = postageDb.lastError().text();
        }
        return false;
    }
    return true;
}
