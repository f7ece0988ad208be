#pragma once

#include "store/ServerSettings.h"

#include <QSqlDatabase>
#include <QString>

// Saving the order database's address and login typed into the connection settings dialog.
namespace ConnectionSettings {

enum class Outcome
{
    EmptyField,
    WriteFailed,
    Saved
};

struct Result
{
    Outcome outcome;
    QString message; // what the operator is shown
};

// Server, database and user may not be empty; the password may. Values are stored as typed and
// take effect at the next start.
Result save(QSqlDatabase& loginDb, const ServerSettings& typed);

} // namespace ConnectionSettings
