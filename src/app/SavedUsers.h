#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

// The user names and passwords remembered on this computer (table Users of login.db). Each
// returns false, with the reason in *error, when its statement failed.
namespace SavedUsers {

bool names(QSqlDatabase& db, QStringList* names, QString* error);
// *password stays empty when the name is not remembered.
bool passwordOf(QSqlDatabase& db, const QString& name, std::optional<QString>* password, QString* error);
// The row ID of this exact pair (an empty password matches only an empty one); empty when none.
bool findPair(QSqlDatabase& db, const QString& name, const QString& password, std::optional<int>* id,
              QString* error);
// Adds the pair unless it is there already.
bool savePair(QSqlDatabase& db, const QString& name, const QString& password, QString* error);
bool remove(QSqlDatabase& db, int id, QString* error);

} // namespace SavedUsers
