#pragma once

#include "store/ServerSettings.h"

#include <QSqlDatabase>

#include <optional>

// Row 3 of the server table in login.db.
namespace ServerRow {

std::optional<ServerSettings> read(QSqlDatabase& loginDb);
// Stores the values in row 3, adding the row when the file has none; false when the write failed.
bool write(QSqlDatabase& loginDb, const ServerSettings& settings);

} // namespace ServerRow
