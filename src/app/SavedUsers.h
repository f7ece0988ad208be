#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

// The user names and passwords remembered on this computer (table Users of login.db), and the
// login preset in the login window.
namespace SavedUsers {

QStringList names(QSqlDatabase& db);
std::optional<QString> passwordOf(QSqlDatabase& db, const QString& name);
// The row ID of this exact pair (an empty password matches only an empty one).
std::optional<int> findPair(QSqlDatabase& db, const QString& name, const QString& password);
// Adds the pair unless it is there already; false when the write failed.
bool savePair(QSqlDatabase& db, const QString& name, const QString& password);
bool remove(QSqlDatabase& db, int id);

struct DefaultLogin
{
    QString userName;
    QString password;
};
std::optional<DefaultLogin> defaultLogin(QSqlDatabase& db);
bool rememberLogin(QSqlDatabase& db, const QString& userName, const QString& password);

} // namespace SavedUsers
