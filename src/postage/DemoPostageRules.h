#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Fills the rule tables of a new Postage.db with rules for the demo shop's express companies:
// normal rules by zone covering every province, special-2 rules for the provincial capitals and a
// few districts, special-1 rules for campus addresses, all with brackets up to 30 kg. A company
// that already has rules of a style keeps them. Everything is written in one transaction.
bool fillDemoPostageRules(QSqlDatabase& postageDb, const QStringList& expressNames, QString* error);
