#pragma once

#include "store/SqlConnection.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>

// Creates the tables and rows of a new local file; returns false with a reason.
using LocalFileCreator = std::function<bool(QSqlDatabase&, QString*)>;

// Opens the SQLite file at path. A missing file is created readable by its owner only (it holds
// passwords) and filled by create; a file that half-failed to be created is removed again. An
// existing file that is not a readable database fails.
bool openLocalFile(SqlConnection& connection, const QString& path, const LocalFileCreator& create,
                   QString* error);
