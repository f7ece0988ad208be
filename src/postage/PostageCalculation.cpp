#include "postage/PostageCalculation.h"

#include "postage/PostageText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cmath>

namespace {

// One step of the search: which table, which level code, which keys it compares.
struct SearchStep
{
    int step;
    const char* table;
    int typle; // 0: the table has no level code
    bool city;
    bool town;
    bool address;
};

constexpr SearchStep kSteps[] = {
    {1, "rule1", 4, true, true, true},   {2, "rule1", 3, false, true, true},
    {3, "rule1", 2, true, false, true},  {4, "rule1", 1, false, false, true},
    {5, "rule2", 3, true, true, false},  {6, "rule2", 2, false, true, false},
    {7, "rule2", 1, true, false, false}, {8, "rule", 0, false, false, false},
};

struct Keys
{
    QString province;
    QString city;
    QString town;
};

// The where clause shared by the search and its companion statement, without the weight test.
QString regionCondition(const SearchStep& step)
{
    QString sql = QStringLiteral(" where Express = ? and Province like ? escape '\\'");
    if (step.typle != 0) {
        sql += QStringLiteral(" and Typle = ?");
    }
    if (step.city) {
        sql += QStringLiteral(" and City like ? escape '\\'");
    }
    if (step.town) {
        sql += QStringLiteral(" and Town like ? escape '\\'");
    }
    return sql;
}

void bindRegion(QSqlQuery& query, const SearchStep& step, const QString& express, const Keys& keys)
{
    query.addBindValue(express);
    const QString province = PostageText::escapeLike(keys.province);
    // Normal rules hold one province each and are found by prefix ("江苏" finds "江苏省");
    // special rules hold a province list and are found by substring.
    if (step.typle == 0) {
        query.addBindValue(province + QLatin1Char('%'));
    } else {
        query.addBindValue(QLatin1Char('%') + province + QLatin1Char('%'));
        query.addBindValue(step.typle);
    }
    if (step.city) {
        query.addBindValue(QLatin1Char('%') + PostageText::escapeLike(keys.city) + QLatin1Char('%'));
    }
    if (step.town) {
        query.addBindValue(QLatin1Char('%') + PostageText::escapeLike(keys.town) + QLatin1Char('%'));
    }
}

bool readWhole(const QVariant& value, qint64* out)
{
    if (value.isNull()) {
        return false;
    }
    bool ok = false;
    const double asReal = value.toDouble(&ok);
    if (!ok || !std::isfinite(asReal) || std::trunc(asReal) != asReal || std::fabs(asReal) > 9.0e15) {
        return false;
    }
    *out = static_cast<qint64>(asReal);
    return true;
}

bool readReal(const QVariant& value, double* out)
{
    if (value.isNull()) {
        return false;
    }
    bool ok = false;
    const double asReal = value.toDouble(&ok);
    if (!ok || !std::isfinite(asReal)) {
        return false;
    }
    *out = asReal;
    return true;
}

bool fail(QString* error, const QString& text)
{
    if (error) {
        *error = text;
    }
    return false;
}

bool readPrices(const QSqlQuery& query, const SearchStep& step, PostageRuleMatch* match, QString* error)
{
    match->found = true;
    match->step = step.step;
    match->table = QString::fromLatin1(step.table);
    match->ruleIndex = query.value(0).toString();
    if (!readReal(query.value(1), &match->startWeight) || !readReal(query.value(2), &match->endWeight) ||
        !readWhole(query.value(3), &match->beginChargeWeight) ||
        !readReal(query.value(4), &match->beginChargeFee) || !readWhole(query.value(5), &match->detaWeight) ||
        !readReal(query.value(6), &match->detaFee)) {
        return fail(error,
                    QStringLiteral("%1 规则 %2 的重量或资费不是数字").arg(match->table, match->ruleIndex));
    }
    return true;
}

} // namespace

bool FindPostageRule(QSqlDatabase& db, const PostageTrade& trade, int weight, PostageRuleMatch* match,
                     QString* error)
{
    *match = PostageRuleMatch();
    const Keys keys{PostageText::provinceKey(trade.province), PostageText::withoutLastCharacter(trade.city),
                    PostageText::withoutLastCharacter(trade.town)};

    QSqlQuery search(db);
    search.setForwardOnly(true);
    for (const SearchStep& step : kSteps) {
        const QString columns = step.address
                                    ? QStringLiteral("RuleIndex, StartWeight, EndWeight, BeginChargeWeight, "
                                                     "BeginChargeFee, DetaWeight, DetaFee, Adr")
                                    : QStringLiteral("RuleIndex, StartWeight, EndWeight, BeginChargeWeight, "
                                                     "BeginChargeFee, DetaWeight, DetaFee");
        // Rows are examined in the order they were stored, so the first saved of two covering
        // rules wins.
        const QString sql = QStringLiteral("select %1 from %2").arg(columns, QLatin1String(step.table)) +
                            regionCondition(step) +
                            QStringLiteral(" and StartWeight < ? and EndWeight >= ? order by rowid");
        if (!search.prepare(sql)) {
            return fail(error, search.lastError().text());
        }
        bindRegion(search, step, trade.name, keys);
        search.addBindValue(weight);
        search.addBindValue(weight);
        if (!search.exec()) {
            return fail(error, search.lastError().text());
        }
        bool found = false;
        while (search.next()) {
            if (!step.address || PostageText::addressMatches(search.value(7).toString(), trade.adr)) {
                found = true;
                break;
            }
        }
        if (!found) {
            if (search.lastError().isValid()) {
                return fail(error, search.lastError().text());
            }
            continue;
        }
        if (!readPrices(search, step, match, error)) {
            return false;
        }
        search.finish();

        QSqlQuery companion(db);
        companion.setForwardOnly(true);
        if (!companion.prepare(
                QStringLiteral("select BeginChargeWeight from %1").arg(QLatin1String(step.table)) +
                regionCondition(step) + QStringLiteral(" order by BeginChargeWeight limit 1"))) {
            return fail(error, companion.lastError().text());
        }
        bindRegion(companion, step, trade.name, keys);
        if (!companion.exec()) {
            return fail(error, companion.lastError().text());
        }
        if (!companion.next() || !readWhole(companion.value(0), &match->minBeginChargeWeight)) {
            return fail(error, QStringLiteral("%1 规则的起计重量不是数字").arg(match->table));
        }
        return true;
    }
    return true;
}

std::optional<double> PostageFee(qint64 weight, qint64 beginChargeWeight, double beginChargeFee,
                                 qint64 detaWeight, double detaFee)
{
    if (weight > 0 && weight <= beginChargeWeight) {
        return beginChargeFee;
    }
    if (detaWeight <= 0) {
        return std::nullopt;
    }
    const qint64 beyond = weight - beginChargeWeight;
    qint64 steps = beyond / detaWeight;
    if (beyond % detaWeight > 0) {
        ++steps;
    }
    return beginChargeFee + static_cast<double>(steps) * detaFee;
}

std::optional<double> PostageFee(qint64 weight, const PostageRuleMatch& match)
{
    return PostageFee(weight, match.beginChargeWeight, match.beginChargeFee, match.detaWeight, match.detaFee);
}
