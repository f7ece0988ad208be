#include "scale/ComDeviceMap.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace ComDeviceMap {

QString defaultDevice(int comNumber)
{
    if (comNumber < 1) {
        return {};
    }
    if (comNumber <= 4) {
        return QStringLiteral("/dev/ttyS%1").arg(comNumber - 1);
    }
    if (comNumber <= 12) {
        return QStringLiteral("/dev/ttyUSB%1").arg(comNumber - 5);
    }
    if (comNumber <= 20) {
        return QStringLiteral("/dev/ttyACM%1").arg(comNumber - 13);
    }
    return QStringLiteral("/dev/ttyS%1").arg(comNumber - 1);
}

bool ensureTable(QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral(
            "create table if not exists ComDevice(Com integer primary key, Device varchar(255) not null)"))) {
        if (error) {
            *error = query.lastError().text();
        }
        return false;
    }
    return true;
}

QString device(QSqlDatabase& db, int comNumber)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("select Device from ComDevice where Com = ?"));
    query.addBindValue(comNumber);
    if (query.exec() && query.next()) {
        const QString stored = query.value(0).toString().trimmed();
        if (!stored.isEmpty()) {
            return stored;
        }
    }
    return defaultDevice(comNumber);
}

bool store(QSqlDatabase& db, int comNumber, const QString& device, QString* error)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("insert or replace into ComDevice(Com, Device) values(?, ?)"));
    query.addBindValue(comNumber);
    query.addBindValue(device);
    if (!query.exec()) {
        if (error) {
            *error = query.lastError().text();
        }
        return false;
    }
    return true;
}

} // namespace ComDeviceMap
