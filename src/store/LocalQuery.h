#pragma once

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

// Short statements on a local file (login.db, Postage.db), values bound in order.
namespace LocalQuery {

// The first row, or nullopt when there is none or the statement failed.
std::optional<QSqlRecord> firstRow(QSqlDatabase& db, const QString& sql, const QVariantList& values = {});
// The first column of every row.
QStringList column(QSqlDatabase& db, const QString& sql, const QVariantList& values = {});
// A statement without rows; false when it failed.
bool exec(QSqlDatabase& db, const QString& sql, const QVariantList& values = {}, QString* error = nullptr);

} // namespace LocalQuery
