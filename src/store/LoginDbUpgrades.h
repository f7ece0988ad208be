#pragma once

#include <QSqlDatabase>

// Brings login.db files written by older releases to the current layout. Each step runs in one
// transaction, so a failed step leaves the file as it was and is tried again at the next start.
namespace LoginDbUpgrades {

// At login window creation: a Version below 2013120122 gains the columns MultiPostID and
// ChkCalcWeightOnce of the option row (both 0). No Version table or row: nothing changes.
bool addMultiWaybillColumns(QSqlDatabase& db);

// At start: an option row without the statement time-out column gains it (30 seconds).
bool addStatementTimeoutColumn(QSqlDatabase& db);

// At main window construction: a Scale row with ComNumber 9 (the layout before serial speeds were
// stored) gains BaudRate on ScaleTypel and the Version table (2013070101).
bool addBaudRates(QSqlDatabase& db);

// At every start, after the file was opened or created: the option table without the weight guard
// columns gains them (both guards off, 20 g). No option table: nothing changes.
bool addWeightGuardColumns(QSqlDatabase& db);

} // namespace LoginDbUpgrades
