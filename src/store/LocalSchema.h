#pragma once

#include <QSqlDatabase>
#include <QString>

// The current layout of login.db with the rows a new station starts from.
namespace LocalSchema {

// The Version the current layout carries; files below it are upgraded at start.
inline constexpr char kCurrentVersion[] = "2013120122";
// ScaleTypel row of the manual-entry type: weights are typed, no reader runs.
inline constexpr int kManualScaleTypeId = 4;

// Creates every table of login.db and its shipped rows; serverIp goes into server row 3.
bool createLoginTables(QSqlDatabase& db, const QString& serverIp, QString* error);

} // namespace LocalSchema
