#pragma once

#include <QSqlDatabase>
#include <QString>

// The rule tables of Postage.db: rule (normal), rule1 (special 1), rule2 (special 2) and the
// binding of express companies to styles, SndStyle_Form. Numbers are stored as numbers so that
// weight brackets compare numerically.
bool createPostageTables(QSqlDatabase& db, QString* error);
