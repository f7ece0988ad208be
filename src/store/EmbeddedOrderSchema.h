#pragma once

#include <QSqlDatabase>
#include <QString>

// Creates every table and column of the order database on an embedded (SQLite) file, with the
// indexes a station needs. Safe to call on a file that has them already.
bool createEmbeddedOrderSchema(QSqlDatabase& db, QString* error);

// The two halves of createEmbeddedOrderSchema, for a bulk fill that builds its indexes once the
// rows are in (much faster than keeping them up to date row by row).
bool createEmbeddedOrderTables(QSqlDatabase& db, QString* error);
bool createEmbeddedOrderIndexes(QSqlDatabase& db, QString* error);
