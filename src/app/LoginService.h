#pragma once

#include "app/LoginContext.h"

#include <QString>

class OrderDatabase;
class StationSettings;

// The login against the order database's user table.
namespace LoginService {

inline constexpr char kDatabaseAccessFailed[] = "数据库访问失败,请重新设置数据库参数!";

// The password as the user table stores it: for the database "wdgj31" the Base64 text of the GBK
// bytes of the typed password, otherwise the typed text; an empty password stays empty.
QString storedPasswordForm(const QString& typed, const QString& dataBase);

enum class Outcome
{
    DatabaseUnreachable,
    DatabaseUnreadable, // connected, but the user table could not be read
    EmptyUserName,
    WrongCredentials,
    Disabled,
    LoggedIn
};

struct Result
{
    Outcome outcome = Outcome::DatabaseUnreachable;
    QString message;             // what the operator is shown; empty on a plain success
    bool rememberFailed = false; // logged in, but the login could not be kept as the default
};

// What the operator is told when the user table cannot be read: the cause where the database's
// reason names a known one, otherwise kDatabaseAccessFailed.
QString unreadableMessage(const QString& databaseError);

// Opens the order database from the context's server values and checks the user. On success the
// context holds the operator and group, and the login becomes the login window's preset (when the
// settings are given).
Result logIn(OrderDatabase& orderDb, StationSettings* settings, LoginContext& context,
             const QString& userName, const QString& typedPassword);

} // namespace LoginService
