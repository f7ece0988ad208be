#pragma once

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

// Short statements on a local file (login.db, Postage.db), values bound in order. Each returns
// false, with the reason in *error (when given), when the statement failed; a statement that ran
// but found nothing is a success with an empty result.
namespace LocalQuery {

// *row is left empty when there is no row.
bool firstRow(QSqlDatabase& db, const QString& sql, const QVariantList& values,
              std::optional<QSqlRecord>* row, QString* error);
// The first column of every row.
bool column(QSqlDatabase& db, const QString& sql, const QVariantList& values, QStringList* result,
            QString* error);
// A statement without rows; *changedRows (when given) is the number of rows it changed.
bool exec(QSqlDatabase& db, const QString& sql, const QVariantList& values = {}, QString* error = nullptr,
          int* changedRows = nullptr);

} // namespace LocalQuery
