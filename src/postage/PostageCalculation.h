#pragma once

#include <QSqlDatabase>
#include <QString>

#include <map>
#include <memory>
#include <optional>

class QSqlQuery;

// What the search needs of a trade: the express company and the destination as the order system
// stores them ("江苏省", "南京市", "江宁区", the street address).
struct PostageTrade
{
    QString name;
    QString province;
    QString city;
    QString town;
    QString adr;
};

// The rule row that prices a parcel, and where it was found.
struct PostageRuleMatch
{
    bool found = false;
    // 1 to 8: the search step that found the row; its table is rule1 (1-4), rule2 (5-7) or rule (8).
    int step = 0;
    QString table;
    QString ruleIndex;
    // The level code of a special rule (rule1: 4 province+city+county … 1 province only; rule2: 3
    // city and county, 2 county, 1 city); 0 for a normal rule.
    int typle = 0;
    // The address keyword of a special-1 rule that the address contains.
    QString keyword;
    double startWeight = 0;
    double endWeight = 0;
    qint64 beginChargeWeight = 0;
    double beginChargeFee = 0;
    qint64 detaWeight = 0;
    double detaFee = 0;
    // The smallest first weight among all brackets of the matched table and level that cover the
    // destination, whatever their address keywords; the station's overweight warning uses it.
    qint64 minBeginChargeWeight = 0;
};

// Searches rule1 from the finest level down, then rule2, then rule, for the company, destination
// and weight in grams. The rows are read afresh on every search, so a rule saved in the editor
// counts for the next parcel; only the statements stay prepared between searches. Holds statements
// on the connection: destroy it before the connection.
class PostageRuleFinder
{
public:
    explicit PostageRuleFinder(QSqlDatabase& db);
    ~PostageRuleFinder();
    PostageRuleFinder(const PostageRuleFinder&) = delete;
    PostageRuleFinder& operator=(const PostageRuleFinder&) = delete;

    // Returns false with an error when a statement fails or the matched rows hold something that
    // is not a number; a search that finds nothing returns true with found == false.
    bool find(const PostageTrade& trade, int weight, PostageRuleMatch* match, QString* error);

private:
    QSqlQuery* prepared(const QString& sql, QString* error);

    QSqlDatabase& m_db;
    std::map<QString, std::unique_ptr<QSqlQuery>> m_statements;
};

// One search with statements prepared for it alone.
bool FindPostageRule(QSqlDatabase& db, const PostageTrade& trade, int weight, PostageRuleMatch* match,
                     QString* error);

// The fee of a parcel of weight grams: the first-weight fee up to the first weight, then one step
// fee for each started step beyond it. Empty when the step weight would divide by zero (a step
// weight of 0 or less while the weight lies beyond the first weight).
std::optional<double> PostageFee(qint64 weight, qint64 beginChargeWeight, double beginChargeFee,
                                 qint64 detaWeight, double detaFee);

// The fee for a matched row.
std::optional<double> PostageFee(qint64 weight, const PostageRuleMatch& match);
