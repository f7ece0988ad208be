#include "postage/RuleBook.h"

#include "base/Transaction.h"
#include "postage/PostageText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace RuleBook {

namespace {

bool failed(const QSqlQuery& query, QString* error)
{
    if (error) {
        *error = query.lastError().text();
    }
    return false;
}

bool failed(const QSqlDatabase& db, QString* error)
{
    if (error) {
        *error = db.lastError().text();
    }
    return false;
}

// A stored number as the editor's boxes show it (1000, 12.5); a text column is shown as it is.
QString boxText(const QVariant& value)
{
    if (value.isNull()) {
        return QString();
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (ok && value.metaType().id() != QMetaType::QString) {
        return PostageText::number(number);
    }
    return value.toString();
}

} // namespace

bool styleBindings(QSqlDatabase& db, QList<StyleBinding>* bindings, QString* error)
{
    bindings->clear();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("select SndStyle, Style from SndStyle_Form group by SndStyle, Style"))) {
        return failed(query, error);
    }
    while (query.next()) {
        if (const std::optional<RuleStyle> style = PostageStyle::fromCode(query.value(1).toInt())) {
            bindings->append(StyleBinding{query.value(0).toString(), *style});
        }
    }
    return true;
}

bool boundStyleCount(QSqlDatabase& db, const QString& express, int* count, QString* error)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("select count(distinct Style) from SndStyle_Form where SndStyle = ? "
                                 "and Style in (1, 2, 3)"));
    query.addBindValue(express);
    if (!query.exec() || !query.next()) {
        return failed(query, error);
    }
    *count = query.value(0).toInt();
    return true;
}

bool hasBinding(QSqlDatabase& db, const QString& express, RuleStyle style, bool* has, QString* error)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("select 1 from SndStyle_Form where SndStyle = ? and Style = ? limit 1"));
    query.addBindValue(express);
    query.addBindValue(PostageStyle::code(style));
    if (!query.exec()) {
        return failed(query, error);
    }
    *has = query.next();
    return true;
}

bool deleteAllRules(QSqlDatabase& db, const QString& express, RuleStyle style, QString* error)
{
    Transaction transaction(db);
    if (!transaction.isOpen()) {
        return failed(db, error);
    }
    QSqlQuery query(db);
    query.prepare(QStringLiteral("delete from %1 where Express = ?").arg(PostageStyle::table(style)));
    query.addBindValue(express);
    if (!query.exec()) {
        return failed(query, error);
    }
    query.prepare(QStringLiteral("delete from SndStyle_Form where SndStyle = ? and Style = ?"));
    query.addBindValue(express);
    query.addBindValue(PostageStyle::code(style));
    if (!query.exec()) {
        return failed(query, error);
    }
    return transaction.commit() || failed(db, error);
}

bool ruleSummaries(QSqlDatabase& db, const QString& express, RuleStyle style, QList<RuleSummary>* rules,
                   QString* error)
{
    rules->clear();
    QString columns = QStringLiteral("RuleIndex, Province, EndWeight");
    if (style != RuleStyle::Normal) {
        columns += QStringLiteral(", City, Town");
    }
    if (style == RuleStyle::Special1) {
        columns += QStringLiteral(", Adr");
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("select %1 from %2 where Express = ? order by RuleIndex, Express, Province, "
                                 "EndWeight, rowid")
                      .arg(columns, PostageStyle::table(style)));
    query.addBindValue(express);
    if (!query.exec()) {
        return failed(query, error);
    }
    bool open = false;
    RuleSummary group;
    QString previousProvince;
    while (query.next()) {
        const QString ruleIndex = query.value(0).toString();
        if (open && ruleIndex != group.ruleIndex) {
            rules->append(group);
            open = false;
        }
        if (!open) {
            group = RuleSummary();
            group.ruleIndex = ruleIndex;
            open = true;
        }
        const QString province = query.value(1).toString();
        if (style == RuleStyle::Normal) {
            if (province != previousProvince || group.region.isEmpty()) {
                group.region += province + QLatin1Char(';');
            }
        } else {
            group.region = province;
            group.city = query.value(3).toString();
            group.town = query.value(4).toString();
            if (style == RuleStyle::Special1) {
                group.adr = query.value(5).toString();
            }
        }
        previousProvince = province;
        const double end = query.value(2).toDouble();
        if (end > group.largestEndWeight) {
            group.largestEndWeight = end;
        }
    }
    if (query.lastError().isValid()) {
        return failed(query, error);
    }
    if (open) {
        rules->append(group);
    }
    return true;
}

QString rangeText(const RuleSummary& rule)
{
    return QStringLiteral("0~") + PostageText::number(rule.largestEndWeight) + QStringLiteral("克");
}

bool loadRule(QSqlDatabase& db, const QString& express, RuleStyle style, const RuleSummary& rule,
              LoadedRule* loaded, QString* error)
{
    *loaded = LoadedRule();
    const QString table = PostageStyle::table(style);
    // A normal rule repeats its brackets for each of its provinces; the first province's copy is read.
    const QString firstProvince = PostageText::listElements(rule.region).value(0, rule.region);

    QSqlQuery query(db);
    query.setForwardOnly(true);
    QString sql =
        QStringLiteral("select EndWeight, BeginChargeWeight, BeginChargeFee, DetaWeight, DetaFee from %1 "
                       "where Express = ? and RuleIndex = ?")
            .arg(table);
    if (style == RuleStyle::Normal) {
        sql += QStringLiteral(" and Province = ?");
    }
    query.prepare(sql + QStringLiteral(" order by StartWeight, rowid"));
    query.addBindValue(express);
    query.addBindValue(rule.ruleIndex);
    if (style == RuleStyle::Normal) {
        query.addBindValue(firstProvince);
    }
    if (!query.exec()) {
        return failed(query, error);
    }
    for (int row = 0; row < kBracketRows && query.next(); ++row) {
        loaded->rows[row] =
            BracketTexts{boxText(query.value(0)), boxText(query.value(1)), boxText(query.value(2)),
                         boxText(query.value(3)), boxText(query.value(4))};
    }
    if (query.lastError().isValid()) {
        return failed(query, error);
    }

    if (style == RuleStyle::Normal) {
        query.prepare(QStringLiteral("select Province from rule where Express = ? and RuleIndex = ? "
                                     "order by Express, Province, rowid"));
        query.addBindValue(express);
        query.addBindValue(rule.ruleIndex);
        if (!query.exec()) {
            return failed(query, error);
        }
        while (query.next()) {
            const QString province = query.value(0).toString();
            if (!loaded->checkedProvinces.contains(province)) {
                loaded->checkedProvinces.append(province);
            }
        }
        loaded->provinceText = PostageText::listText(loaded->checkedProvinces);
        return true;
    }

    loaded->provinceText = rule.region;
    loaded->checkedProvinces = PostageText::listElements(rule.region);
    const QString adrColumn = style == RuleStyle::Special1 ? QStringLiteral(", Adr") : QString();
    query.prepare(QStringLiteral("select Typle, City, Town%1 from %2 where Express = ? and RuleIndex = ? "
                                 "order by Express, Province, rowid limit 1")
                      .arg(adrColumn, table));
    query.addBindValue(express);
    query.addBindValue(rule.ruleIndex);
    if (!query.exec()) {
        return failed(query, error);
    }
    if (query.next()) {
        const int typle = query.value(0).toInt();
        // The level code says which of the city and county lists the rule names.
        const bool hasCity =
            style == RuleStyle::Special1 ? (typle == 2 || typle == 4) : (typle == 1 || typle == 3);
        const bool hasTown =
            style == RuleStyle::Special1 ? (typle == 3 || typle == 4) : (typle == 2 || typle == 3);
        if (hasCity) {
            loaded->city = query.value(1).toString();
        }
        if (hasTown) {
            loaded->town = query.value(2).toString();
        }
        if (style == RuleStyle::Special1) {
            loaded->adr = query.value(3).toString();
        }
    }
    if (query.lastError().isValid()) {
        return failed(query, error);
    }
    return true;
}

bool deleteRule(QSqlDatabase& db, const QString& express, RuleStyle style, const RuleSummary& rule,
                QString* error)
{
    const QString table = PostageStyle::table(style);
    Transaction transaction(db);
    if (!transaction.isOpen()) {
        return failed(db, error);
    }
    QSqlQuery query(db);
    query.prepare(QStringLiteral("delete from %1 where Express = ? and RuleIndex = ?").arg(table));
    query.addBindValue(express);
    query.addBindValue(rule.ruleIndex);
    if (!query.exec()) {
        return failed(query, error);
    }
    query.prepare(QStringLiteral("select 1 from %1 where Express = ? limit 1").arg(table));
    query.addBindValue(express);
    if (!query.exec()) {
        return failed(query, error);
    }
    if (!query.next()) {
        query.finish();
        query.prepare(QStringLiteral("delete from SndStyle_Form where SndStyle = ? and Style = ?"));
        query.addBindValue(express);
        query.addBindValue(PostageStyle::code(style));
        if (!query.exec()) {
            return failed(query, error);
        }
    }
    query.finish();
    return transaction.commit() || failed(db, error);
}

} // namespace RuleBook
