#pragma once

#include <QString>

// The folder of login.db and Postage.db: the program's own folder when it is writable, otherwise
// the per-user data folder. Always ends with a separator.
QString defaultDataFolder();
