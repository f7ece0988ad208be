#pragma once

#include "postage/PostageStyles.h"
#include "postage/RuleDraft.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The reads and deletes behind the rule list and company dialogs. Every function returns false
// with the database's error text when a statement fails.
namespace RuleBook {

// One company and style pair of SndStyle_Form.
struct StyleBinding
{
    QString express;
    RuleStyle style = RuleStyle::Normal;
};

// One saved rule as the rule list shows it: the rows that share a RuleIndex.
struct RuleSummary
{
    QString ruleIndex;
    // Normal: every province of the rule, each followed by ";". Special: the province list text.
    QString region;
    QString city;
    QString town;
    QString adr;
    double largestEndWeight = 0;
};

// A rule loaded for change: the editor's page of its style is filled from it.
struct LoadedRule
{
    std::array<BracketTexts, kBracketRows> rows;
    // The provinces to check in the page's province list.
    QStringList checkedProvinces;
    QString provinceText;
    QString city;
    QString town;
    QString adr;
};

// The pairs of company and style that have rules, grouped as the binding list shows them.
bool styleBindings(QSqlDatabase& db, QList<StyleBinding>* bindings, QString* error);

// How many different styles the company is bound to.
bool boundStyleCount(QSqlDatabase& db, const QString& express, int* count, QString* error);

bool hasBinding(QSqlDatabase& db, const QString& express, RuleStyle style, bool* has, QString* error);

// Deletes every rule of the company in the style's table and the pair's binding, together.
bool deleteAllRules(QSqlDatabase& db, const QString& express, RuleStyle style, QString* error);

// The company's rules of the style, one entry per RuleIndex, in RuleIndex order.
bool ruleSummaries(QSqlDatabase& db, const QString& express, RuleStyle style, QList<RuleSummary>* rules,
                   QString* error);

// The range column of the rule list: "0~" and the largest end weight, then "克".
QString rangeText(const RuleSummary& rule);

// Reads the rule's brackets (of its first province for a normal rule) and region.
bool loadRule(QSqlDatabase& db, const QString& express, RuleStyle style, const RuleSummary& rule,
              LoadedRule* loaded, QString* error);

// Deletes the rule (every province of a normal rule) and, when it was the company's last rule of
// the style, the pair's binding.
bool deleteRule(QSqlDatabase& db, const QString& express, RuleStyle style, const RuleSummary& rule,
                QString* error);

} // namespace RuleBook
