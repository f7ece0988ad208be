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

// A statement's where clause and the values it binds, in order.
struct Condition
{
    QString sql;
    QVariantList values;
};

bool hasAsciiLetter(const QString& text)
{
    for (const QChar c : text) {
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))) {
            return true;
        }
    }
    return false;
}

// The pattern is bound as an expression (+?), not a bare parameter: SQLite recompiles a statement
// each time a bare like pattern is bound, which doubled the cost of every search.
const char kLike[] = " and %1 like +? escape '\\'";

void addContains(Condition* condition, const QString& column, const QString& key)
{
    condition->sql += QString::fromLatin1(kLike).arg(column);
    condition->values.append(QLatin1Char('%') + PostageText::escapeLike(key) + QLatin1Char('%'));
}

// The text just above every text that starts with key: key with its last character moved on by
// one. Empty when there is none.
QString prefixBound(const QString& key)
{
    QList<uint> codes = key.toUcs4();
    if (codes.isEmpty() || codes.last() >= 0x10FFFF) {
        return QString();
    }
    codes.last() = codes.last() == 0xD7FF ? 0xE000 : codes.last() + 1;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(codes.constData()), codes.size());
}

// Normal rules hold one province each and are found by prefix ("江苏" finds "江苏省"). For a key
// without ASCII letters the rows with that prefix lie in one range of the (Express, Province)
// index, which narrows the search before like confirms it.
void addStartsWith(Condition* condition, const QString& column, const QString& key)
{
    const QString bound = prefixBound(key);
    if (!bound.isEmpty() && !hasAsciiLetter(key)) {
        condition->sql += QStringLiteral(" and %1 >= ? and %1 < ?").arg(column);
        condition->values.append(key);
        condition->values.append(bound);
    }
    condition->sql += QString::fromLatin1(kLike).arg(column);
    condition->values.append(PostageText::escapeLike(key) + QLatin1Char('%'));
}

// The city and county tests of one step.
void addKeys(Condition* condition, const SearchStep& step, const Keys& keys)
{
    if (step.city) {
        addContains(condition, QStringLiteral("City"), keys.city);
    }
    if (step.town) {
        addContains(condition, QStringLiteral("Town"), keys.town);
    }
}

void addProvince(Condition* condition, const SearchStep& step, const Keys& keys)
{
    if (step.typle != 0) {
        addContains(condition, QStringLiteral("Province"), keys.province);
    } else {
        addStartsWith(condition, QStringLiteral("Province"), keys.province);
    }
}

// The search of one table: the steps [first, last) of that table in one statement, rows ordered
// by level as the steps go and then as they were stored, so that the first row that passes is the
// row the steps one by one would find. The bracket test comes before the text tests: the indexes
// hold the bracket columns, so rows outside the bracket are passed over without being read.
Condition tableSearch(const SearchStep* first, const SearchStep* last, const QString& express,
                      const Keys& keys, int weight)
{
    Condition condition{QStringLiteral(" where Express = ?"), {express}};
    if (first->typle == 0) {
        condition.sql += QStringLiteral(" and StartWeight < ? and EndWeight >= ?");
        condition.values += {weight, weight};
        addProvince(&condition, *first, keys);
        condition.sql += QStringLiteral(" order by rowid");
        return condition;
    }
    QStringList typles;
    QString levels;
    QVariantList levelValues;
    for (const SearchStep* step = first; step != last; ++step) {
        typles.append(QString::number(step->typle));
        Condition tests;
        addKeys(&tests, *step, keys);
        levels += QStringLiteral(" when %1 then %2")
                      .arg(step->typle)
                      .arg(tests.sql.isEmpty() ? QStringLiteral("1")
                                               : tests.sql.mid(QStringLiteral(" and ").size()));
        levelValues += tests.values;
    }
    condition.sql += QStringLiteral(" and Typle in (%1) and StartWeight < ? and EndWeight >= ?")
                         .arg(typles.join(QStringLiteral(", ")));
    condition.values += {weight, weight};
    addProvince(&condition, *first, keys);
    condition.sql += QStringLiteral(" and (case Typle") + levels + QStringLiteral(" else 0 end)");
    condition.values += levelValues;
    condition.sql += QStringLiteral(" order by Typle desc, rowid");
    return condition;
}

// The companion statement of a step: its region and level over every bracket, whatever the
// address keywords, smallest first weight first.
Condition companion(const SearchStep& step, const QString& express, const Keys& keys)
{
    Condition condition{QStringLiteral(" where Express = ?"), {express}};
    if (step.typle != 0) {
        condition.sql += QStringLiteral(" and Typle = ?");
        condition.values.append(step.typle);
    }
    addProvince(&condition, step, keys);
    addKeys(&condition, step, keys);
    condition.sql += QStringLiteral(" order by BeginChargeWeight limit 1");
    return condition;
}

bool run(QSqlQuery& query, const Condition& condition)
{
    for (int i = 0; i < condition.values.size(); ++i) {
        query.bindValue(i, condition.values.at(i));
    }
    return query.exec();
}

// Leaves a kept statement reset, holding no read lock on the file between parcels.
class FinishOnExit
{
public:
    explicit FinishOnExit(QSqlQuery& query)
        : m_query(query)
    {
    }
    ~FinishOnExit() { m_query.finish(); }
    FinishOnExit(const FinishOnExit&) = delete;
    FinishOnExit& operator=(const FinishOnExit&) = delete;

private:
    QSqlQuery& m_query;
};

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

PostageRuleFinder::PostageRuleFinder(QSqlDatabase& db)
    : m_db(db)
{
}

PostageRuleFinder::~PostageRuleFinder() = default;

QSqlQuery* PostageRuleFinder::prepared(const QString& sql, QString* error)
{
    const auto kept = m_statements.find(sql);
    if (kept != m_statements.end()) {
        return kept->second.get();
    }
    auto query = std::make_unique<QSqlQuery>(m_db);
    query->setForwardOnly(true);
    if (!query->prepare(sql)) {
        fail(error, query->lastError().text());
        return nullptr;
    }
    return m_statements.emplace(sql, std::move(query)).first->second.get();
}

bool PostageRuleFinder::find(const PostageTrade& trade, int weight, PostageRuleMatch* match, QString* error)
{
    *match = PostageRuleMatch();
    const Keys keys{PostageText::provinceKey(trade.province), PostageText::withoutLastCharacter(trade.city),
                    PostageText::withoutLastCharacter(trade.town)};

    // Steps 1-4 read rule1, 5-7 rule2, 8 rule.
    const std::pair<int, int> tables[] = {{0, 4}, {4, 7}, {7, 8}};
    for (const auto& [first, last] : tables) {
        const SearchStep& head = kSteps[first];
        QString select =
            QStringLiteral("select RuleIndex, StartWeight, EndWeight, BeginChargeWeight, BeginChargeFee, "
                           "DetaWeight, DetaFee, ");
        select += head.typle == 0 ? QStringLiteral("0") : QStringLiteral("Typle");
        if (head.address) {
            select += QStringLiteral(", Adr");
        }
        select += QStringLiteral(" from ") + QLatin1String(head.table);
        const Condition condition = tableSearch(&kSteps[first], &kSteps[last], trade.name, keys, weight);
        QSqlQuery* search = prepared(select + condition.sql, error);
        if (!search) {
            return false;
        }
        const FinishOnExit finishSearch(*search);
        if (!run(*search, condition)) {
            return fail(error, search->lastError().text());
        }
        const SearchStep* matched = nullptr;
        QString keyword;
        while (!matched && search->next()) {
            if (head.address) {
                keyword = PostageText::matchedKeyword(search->value(8).toString(), trade.adr);
                if (keyword.isEmpty()) {
                    continue;
                }
            }
            const int typle = search->value(7).toInt();
            for (int s = first; s < last; ++s) {
                if (kSteps[s].typle == typle) {
                    matched = &kSteps[s];
                }
            }
        }
        if (!matched) {
            if (search->lastError().isValid()) {
                return fail(error, search->lastError().text());
            }
            continue;
        }
        if (!readPrices(*search, *matched, match, error)) {
            return false;
        }
        match->typle = matched->typle;
        match->keyword = keyword;

        const Condition smallestCondition = companion(*matched, trade.name, keys);
        QSqlQuery* smallest = prepared(QStringLiteral("select BeginChargeWeight from ") +
                                           QLatin1String(matched->table) + smallestCondition.sql,
                                       error);
        if (!smallest) {
            return false;
        }
        const FinishOnExit finishSmallest(*smallest);
        if (!run(*smallest, smallestCondition)) {
            return fail(error, smallest->lastError().text());
        }
        if (!smallest->next() || !readWhole(smallest->value(0), &match->minBeginChargeWeight)) {
            return fail(error, QStringLiteral("%1 规则的起计重量不是数字").arg(match->table));
        }
        return true;
    }
    return true;
}

bool FindPostageRule(QSqlDatabase& db, const PostageTrade& trade, int weight, PostageRuleMatch* match,
                     QString* error)
{
    PostageRuleFinder finder(db);
    return finder.find(trade, weight, match, error);
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
