#include "postage/PostageTables.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {

// The bracket columns every rule table has. The checks keep them numbers, so that the weight test
// of the postage search compares numbers and never texts.
const char kBracketColumns[] =
    "RuleIndex text, "
    "StartWeight real not null check (typeof(StartWeight) in ('integer', 'real')), "
    "EndWeight real not null check (typeof(EndWeight) in ('integer', 'real')), "
    "BeginChargeWeight integer not null check (typeof(BeginChargeWeight) = 'integer'), "
    "BeginChargeFee real not null check (typeof(BeginChargeFee) in ('integer', 'real')), "
    "DetaWeight integer not null check (typeof(DetaWeight) = 'integer'), "
    "DetaFee real not null check (typeof(DetaFee) in ('integer', 'real'))";

QStringList statements()
{
    const QString bracket = QString::fromLatin1(kBracketColumns);
    return {
        QStringLiteral("create table if not exists rule (Express text, Province text, %1)").arg(bracket),
        QStringLiteral("create table if not exists rule1 (Express text, Province text, City text null, "
                       "Town text null, Typle integer, Adr text, %1)")
            .arg(bracket),
        QStringLiteral("create table if not exists rule2 (Express text, Province text, City text null, "
                       "Town text null, Typle integer, %1)")
            .arg(bracket),
        QStringLiteral("create table if not exists SndStyle_Form (SndStyle text, Style integer)"),
        // The search seeks by company and level (special) or company and province (normal); the
        // bracket columns in the index let it pass over rows outside the bracket without reading them.
        QStringLiteral(
            "create index if not exists rule_search on rule (Express, Province, EndWeight, StartWeight)"),
        QStringLiteral(
            "create index if not exists rule1_search on rule1 (Express, Typle, EndWeight, StartWeight)"),
        QStringLiteral(
            "create index if not exists rule2_search on rule2 (Express, Typle, EndWeight, StartWeight)"),
        // The dialogs load and delete a company's rule by its RuleIndex.
        QStringLiteral("create index if not exists rule_rule_index on rule (Express, RuleIndex)"),
        QStringLiteral("create index if not exists rule1_rule_index on rule1 (Express, RuleIndex)"),
        QStringLiteral("create index if not exists rule2_rule_index on rule2 (Express, RuleIndex)"),
        QStringLiteral("create index if not exists snd_style_form on SndStyle_Form (SndStyle, Style)"),
    };
}

} // namespace

bool createPostageTables(QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    for (const QString& statement : statements()) {
        if (!query.exec(statement)) {
            if (error) {
                *error = query.lastError().text();
            }
            return false;
        }
    }
    return true;
}
