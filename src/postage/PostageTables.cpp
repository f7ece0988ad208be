#include "postage/PostageTables.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {
const char* const kStatements[] = {
    "create table if not exists rule (Express text, Province text, RuleIndex text, "
    "StartWeight real, EndWeight real, BeginChargeWeight integer, BeginChargeFee real, "
    "DetaWeight integer, DetaFee real)",
    "create table if not exists rule1 (Express text, Province text, City text null, Town text null, "
    "Typle integer, Adr text, RuleIndex text, StartWeight real, EndWeight real, "
    "BeginChargeWeight integer, BeginChargeFee real, DetaWeight integer, DetaFee real)",
    "create table if not exists rule2 (Express text, Province text, City text null, Town text null, "
    "Typle integer, RuleIndex text, StartWeight real, EndWeight real, "
    "BeginChargeWeight integer, BeginChargeFee real, DetaWeight integer, DetaFee real)",
    "create table if not exists SndStyle_Form (SndStyle text, Style integer)",
    "create index if not exists rule_express on rule (Express, Province)",
    "create index if not exists rule1_express on rule1 (Express, Typle)",
    "create index if not exists rule2_express on rule2 (Express, Typle)",
    "create index if not exists rule_index on rule (RuleIndex)",
    "create index if not exists rule1_index on rule1 (RuleIndex)",
    "create index if not exists rule2_index on rule2 (RuleIndex)",
};
} // namespace

bool createPostageTables(QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    for (const char* statement : kStatements) {
        if (!query.exec(QString::fromLatin1(statement))) {
            if (error) {
                *error = query.lastError().text();
            }
            return false;
        }
    }
    return true;
}
