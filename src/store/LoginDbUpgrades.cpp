#include "store/LoginDbUpgrades.h"

#include "base/Transaction.h"
#include "store/LocalSchema.h"
#include "store/StationSettings.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace {

// Runs the statements in one transaction; any failure rolls all of them back.
bool runInTransaction(QSqlDatabase& db, const QStringList& statements)
{
    Transaction transaction(db);
    QSqlQuery query(db);
    for (const QString& statement : statements) {
        if (!transaction.isOpen() || !query.exec(statement)) {
            return false;
        }
    }
    query.finish();
    return transaction.commit();
}

bool tableExists(QSqlDatabase& db, const QString& table)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("select 1 from sqlite_master where type = 'table' and name = ?"));
    query.addBindValue(table);
    return query.exec() && query.next();
}

bool hasColumn(QSqlDatabase& db, const QString& table, const QString& column, bool* has)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("select 1 from pragma_table_info(?) where name = ?"));
    query.addBindValue(table);
    query.addBindValue(column);
    if (!query.exec()) {
        return false;
    }
    *has = query.next();
    return true;
}

} // namespace

bool LoginDbUpgrades::addStatementTimeoutColumn(QSqlDatabase& db)
{
    bool has = true;
    if (!hasColumn(db, QStringLiteral("Initialization"),
                   QString::fromLatin1(StationSettingsSchema::kStatementTimeoutColumn), &has)) {
        return false;
    }
    return has || runInTransaction(db, StationSettingsSchema::statementTimeoutColumnUpgrade());
}

bool LoginDbUpgrades::addMultiWaybillColumns(QSqlDatabase& db)
{
    QSqlQuery version(db);
    if (!version.exec(QStringLiteral("select Ver from Version where ID = 1")) || !version.next()) {
        return true;
    }
    const int current = QString::fromLatin1(LocalSchema::kCurrentVersion).toInt();
    if (version.value(0).toString().trimmed().toInt() >= current) {
        return true;
    }
    version.finish();
    return runInTransaction(
        db, QStringList{QStringLiteral("update Version set Ver = '%1' where ID = 1").arg(current)}
                << StationSettingsSchema::multiWaybillColumnsUpgrade());
}

bool LoginDbUpgrades::addBaudRates(QSqlDatabase& db)
{
    QSqlQuery scale(db);
    if (!scale.exec(QStringLiteral("select ComNumber,ScaleNumber from Scale where ID=1")) || !scale.next()) {
        return true;
    }
    if (scale.value(0).toInt() != 9) {
        return true;
    }
    scale.finish();
    QStringList statements = {QStringLiteral("update Scale set ComNumber = 20 where ID = 1"),
                              QStringLiteral("alter table ScaleTypel add column BaudRate varchar(20)"),
                              QStringLiteral("update ScaleTypel set BaudRate = '9600'")};
    if (!tableExists(db, QStringLiteral("Version"))) {
        statements << QStringLiteral("create table Version(ID int PRIMARY KEY, Ver varchar(20))");
    }
    statements << QStringLiteral("insert or ignore into Version (ID, Ver) values (1, '2013070101')")
               << QStringLiteral("update ScaleTypel set BaudRate = '1200' where ScaleName = 'VarnikA1'");
    return runInTransaction(db, statements);
}

bool LoginDbUpgrades::addWeightGuardColumns(QSqlDatabase& db)
{
    QSqlQuery columns(db);
    if (!columns.exec(QStringLiteral("select name from pragma_table_info('Initialization')"))) {
        return false;
    }
    bool hasTable = false;
    while (columns.next()) {
        hasTable = true;
        if (columns.value(0).toString().compare(QLatin1String("ChkStableShip"), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    columns.finish();
    return !hasTable || runInTransaction(db, StationSettingsSchema::weightGuardColumnsUpgrade());
}
