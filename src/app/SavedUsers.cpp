#include "app/SavedUsers.h"

#include "store/LocalQuery.h"

#include <QVariant>

bool SavedUsers::names(QSqlDatabase& db, QStringList* names, QString* error)
{
    return LocalQuery::column(db, QStringLiteral("select Uname from Users order by ID"), {}, names, error);
}

bool SavedUsers::passwordOf(QSqlDatabase& db, const QString& name, std::optional<QString>* password,
                            QString* error)
{
    std::optional<QSqlRecord> row;
    if (!LocalQuery::firstRow(db, QStringLiteral("select Upsw from Users where Uname=?"), {name}, &row,
                              error)) {
        return false;
    }
    password->reset();
    if (row) {
        *password = row->value(0).toString();
    }
    return true;
}

bool SavedUsers::findPair(QSqlDatabase& db, const QString& name, const QString& password,
                          std::optional<int>* id, QString* error)
{
    std::optional<QSqlRecord> row;
    if (!LocalQuery::firstRow(
            db, QStringLiteral("select ID from Users where Uname= ? and coalesce(Upsw, '') = ?"),
            {name, password}, &row, error)) {
        return false;
    }
    id->reset();
    if (row) {
        *id = row->value(0).toInt();
    }
    return true;
}

bool SavedUsers::savePair(QSqlDatabase& db, const QString& name, const QString& password, QString* error)
{
    std::optional<int> id;
    if (!findPair(db, name, password, &id, error)) {
        return false;
    }
    return id || LocalQuery::exec(db, QStringLiteral("Insert into Users(Uname,Upsw) values(?,?)"),
                                  {name, password}, error);
}

bool SavedUsers::remove(QSqlDatabase& db, int id, QString* error)
{
    return LocalQuery::exec(db, QStringLiteral("delete from Users where ID=?"), {id}, error);
}
