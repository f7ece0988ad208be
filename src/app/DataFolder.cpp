#include "app/DataFolder.h"

#include "app/ServerRow.h"
#include "store/LocalFile.h"
#include "store/OrderDatabase.h"
#include "store/SqlConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

const char kLoginFile[] = "login.db";
const char kPostageFile[] = "Postage.db";

QString withSeparator(const QString& folder)
{
    const QString path = QDir(folder).absolutePath();
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

// Whether a file can really be made there; the permission bits alone do not tell (an administrator
// writes everywhere, a read-only mount nowhere).
bool canWriteIn(const QString& folder)
{
    QTemporaryFile probe(folder + QStringLiteral(".zelvo-write-test-XXXXXX"));
    return probe.open();
}

// The embedded order database login.db names relative to its folder, if any.
QString relativeOrderDatabase(const QString& loginPath)
{
    SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("program-login"));
    QSqlDatabase& db = connection.db();
    db.setDatabaseName(loginPath);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open()) {
        return {};
    }
    const auto server = ServerRow::read(db);
    if (!server || !OrderDatabase::isEmbedded(*server)) {
        return {};
    }
    const QString path = server->serverIp.mid(int(std::char_traits<char>::length(kEmbeddedPrefix)));
    return QDir::isAbsolutePath(path) ? QString() : path;
}

// The files of the program folder's station, copied to target; login.db last, so that a copy cut
// short is made again at the next start.
bool copyStation(const QString& programFolder, const QString& target, QString* error)
{
    if (!QDir().mkpath(target)) {
        *error = QStringLiteral("无法创建目录:") + target;
        return false;
    }
    const QString loginSource = programFolder + QLatin1String(kLoginFile);
    QStringList names;
    const QString orderDb = relativeOrderDatabase(loginSource);
    if (!orderDb.isEmpty() && QFileInfo::exists(programFolder + orderDb)) {
        names << orderDb;
    }
    if (QFileInfo::exists(programFolder + QLatin1String(kPostageFile))) {
        names << QString::fromLatin1(kPostageFile);
    }
    names << QString::fromLatin1(kLoginFile);
    for (const QString& name : names) {
        const QString to = target + name;
        if (!QDir().mkpath(QFileInfo(to).absolutePath()) ||
            !LocalFile::copyInto(programFolder + name, to, error)) {
            return false;
        }
    }
    return true;
}

} // namespace

DataFolderChoice chooseDataFolder(const QString& programFolder, const QString& perUserFolder)
{
    const QString program = withSeparator(programFolder);
    if (canWriteIn(program)) {
        return {program, {}};
    }
    const QString perUser = withSeparator(perUserFolder);
    if (QFileInfo::exists(perUser + QLatin1String(kLoginFile))) {
        return {perUser, {}};
    }
    const QString unwritable =
        QStringLiteral("程序目录 %1 不能写入，").arg(QDir::toNativeSeparators(program));
    if (!QFileInfo::exists(program + QLatin1String(kLoginFile))) {
        QDir().mkpath(perUser);
        return {perUser,
                unwritable + QStringLiteral("配置文件建立在 %1。").arg(QDir::toNativeSeparators(perUser))};
    }
    QString reason;
    if (!copyStation(program, perUser, &reason)) {
        return {program,
                unwritable + QStringLiteral("配置文件也无法复制到 %1（%2），只能使用程序目录中的文件，"
                                            "设置的更改无法保存。")
                                 .arg(QDir::toNativeSeparators(perUser), reason)};
    }
    return {perUser, unwritable + QStringLiteral("已把其中的配置文件复制到 %1，设置保存在那里。")
                                      .arg(QDir::toNativeSeparators(perUser))};
}

DataFolderChoice chooseDataFolder()
{
    return chooseDataFolder(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}
