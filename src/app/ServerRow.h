#pragma once

#include "store/ServerSettings.h"

#include <QSqlDatabase>

#include <optional>

// Row 3 of the server table in login.db.
namespace ServerRow {

// Empty settings when the file has no row 3; nullopt, with the reason in *error, when the
// statement failed.
std::optional<ServerSettings> read(QSqlDatabase& loginDb, QString* error = nullptr);
// Stores the values in row 3, adding the row when the file has none; false when the write failed.
bool write(QSqlDatabase& loginDb, const ServerSettings& settings);

} // namespace ServerRow
