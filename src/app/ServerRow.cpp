#include "app/ServerRow.h"

#include "store/LocalQuery.h"

#include <QSqlQuery>
#include <QVariant>

std::optional<ServerSettings> ServerRow::read(QSqlDatabase& loginDb, QString* error)
{
    std::optional<QSqlRecord> row;
    if (!LocalQuery::firstRow(
            loginDb, QStringLiteral("select ServerIP, DataBase, UserName, PassWord from server where ID = 3"),
            {}, &row, error)) {
        return std::nullopt;
    }
    if (!row) {
        return ServerSettings{};
    }
    return ServerSettings{row->value(0).toString(), row->value(1).toString(), row->value(2).toString(),
                          row->value(3).toString()};
}

bool ServerRow::write(QSqlDatabase& loginDb, const ServerSettings& settings)
{
    const QVariantList values = {settings.serverIp, settings.dataBase, settings.userName, settings.passWord};
    QSqlQuery update(loginDb);
    update.prepare(QStringLiteral("update server set ServerIP = ?, DataBase = ?, UserName = ?, PassWord = ? "
                                  "where ID = 3"));
    for (const QVariant& value : values) {
        update.addBindValue(value);
    }
    if (!update.exec()) {
        return false;
    }
    if (update.numRowsAffected() == 1) {
        return true;
    }
    // A file that lost its row 3 gets it back, so the saved settings are really there at the next start.
    return LocalQuery::exec(loginDb,
                            QStringLiteral("insert into server (ID, ServerIP, DataBase, UserName, PassWord) "
                                           "values (3, ?, ?, ?, ?)"),
                            values);
}
