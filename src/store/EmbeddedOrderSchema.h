#pragma once

#include <QSqlDatabase>
#include <QString>

// Creates every table and column of the order database on an embedded (SQLite) file, with the
// indexes a station needs. Safe to call on a file that has them already.
bool createEmbeddedOrderSchema(QSqlDatabase& db, QString* error);
