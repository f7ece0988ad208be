#include "app/SavedUsers.h"

#include "store/LocalQuery.h"

#include <QVariant>

QStringList SavedUsers::names(QSqlDatabase& db)
{
    return LocalQuery::column(db, QStringLiteral("select Uname from Users order by ID"));
}

std::optional<QString> SavedUsers::passwordOf(QSqlDatabase& db, const QString& name)
{
    const auto row = LocalQuery::firstRow(db, QStringLiteral("select Upsw from Users where Uname=?"), {name});
    if (!row) {
        return std::nullopt;
    }
    return row->value(0).toString();
}

std::optional<int> SavedUsers::findPair(QSqlDatabase& db, const QString& name, const QString& password)
{
    const auto row = LocalQuery::firstRow(
        db, QStringLiteral("select ID from Users where Uname= ? and coalesce(Upsw, '') = ?"),
        {name, password});
    if (!row) {
        return std::nullopt;
    }
    return row->value(0).toInt();
}

bool SavedUsers::savePair(QSqlDatabase& db, const QString& name, const QString& password)
{
    if (findPair(db, name, password)) {
        return true;
    }
    return LocalQuery::exec(db, QStringLiteral("Insert into Users(Uname,Upsw) values(?,?)"),
                            {name, password});
}

bool SavedUsers::remove(QSqlDatabase& db, int id)
{
    return LocalQuery::exec(db, QStringLiteral("delete from Users where ID=?"), {id});
}

std::optional<SavedUsers::DefaultLogin> SavedUsers::defaultLogin(QSqlDatabase& db)
{
    const auto row = LocalQuery::firstRow(
        db, QStringLiteral("select DefaultUserName, DefaultPsw from Initialization where ID = 1"));
    if (!row) {
        return std::nullopt;
    }
    return DefaultLogin{row->value(0).toString(), row->value(1).toString()};
}

bool SavedUsers::rememberLogin(QSqlDatabase& db, const QString& userName, const QString& password)
{
    return LocalQuery::exec(db,
                            QStringLiteral("update Initialization set DefaultUserName = ?, DefaultPsw = ? "
                                           "where ID = 1"),
                            {userName, password});
}
