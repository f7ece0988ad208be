#include "store/LocalFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {

bool fail(QString* error, const QString& text)
{
    if (error) {
        *error = text;
    }
    return false;
}

bool createOwnerOnlyFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return fail(error, file.errorString());
    }
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.remove();
        return fail(error, file.errorString());
    }
    return true;
}

bool isReadableDatabase(QSqlDatabase& db, QString* error)
{
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("select count(*) from sqlite_master")) || !probe.next()) {
        return fail(error, probe.lastError().text());
    }
    return true;
}

} // namespace

bool openLocalFile(SqlConnection& connection, const QString& path, const LocalFileCreator& create,
                   QString* error)
{
    const bool isNew = !QFileInfo::exists(path);
    if (isNew && !createOwnerOnlyFile(path, error)) {
        return false;
    }
    if (!openSqliteFile(connection, path, error) || !isReadableDatabase(connection.db(), error)) {
        connection.db().close();
        if (isNew) {
            QFile::remove(path);
        }
        return false;
    }
    if (isNew && !create(connection.db(), error)) {
        connection.db().close();
        QFile::remove(path);
        return false;
    }
    return true;
}
