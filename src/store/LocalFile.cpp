#include "store/LocalFile.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlError>
#include <QSqlQuery>

#include <optional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// How long a start waits for another one that is building the same file.
constexpr int kBuildWaitMs = 60000;
constexpr int kLockPollMs = 200;
constexpr int kEmptyLockMs = 1000;
const char* const kJournalSuffixes[] = {"-journal", "-wal", "-shm"};

bool fail(QString* error, const QString& text)
{
    if (error) {
        *error = text;
    }
    return false;
}

void removeWithJournals(const QString& path)
{
    QFile::remove(path);
    for (const char* suffix : kJournalSuffixes) {
        QFile::remove(path + QLatin1String(suffix));
    }
}

// The names of the tables in the database, or nullopt with the reason when it cannot be read.
std::optional<QStringList> tableNames(QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("select name from sqlite_master where type = 'table'"))) {
        fail(error, query.lastError().text());
        return std::nullopt;
    }
    QStringList names;
    while (query.next()) {
        names << query.value(0).toString();
    }
    return names;
}

// Written data and the rename survive a power cut, not only a killed process.
void syncToDisk(const QString& path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path);
#endif
}

bool publish(const QString& part, const QString& path, QString* error)
{
    syncToDisk(part);
    // Only a blank file can be here (build holds the lock); its journals cannot belong to the new one.
    removeWithJournals(path);
    if (QFileInfo::exists(path) || !QFile::rename(part, path)) {
        removeWithJournals(part);
        return fail(error, QStringLiteral("无法创建文件:") + path);
    }
    syncToDisk(QFileInfo(path).absolutePath());
    return true;
}

bool copyBytes(const QString& source, const QString& target, QString* error)
{
    QFile in(source);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly)) {
        return fail(error, QStringLiteral("无法读取文件:") + source + QStringLiteral(" (") +
                               in.errorString() + QLatin1Char(')'));
    }
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return fail(error, out.errorString());
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            return fail(error, QStringLiteral("无法读取文件:") + source + QStringLiteral(" (") +
                                   in.errorString() + QLatin1Char(')'));
        }
        if (out.write(chunk) != chunk.size()) {
            return fail(error, out.errorString());
        }
    }
    return out.flush() || fail(error, out.errorString());
}

// The lock of a build. One whose process is gone is taken over (QLockFile knows it by the process
// id), and so is one left empty by a process killed before it could write whose it was: a
// running build writes that at once.
bool takeBuildLock(QLockFile& lock, const QString& path, QString* error)
{
    // A lock is never stale by age alone: making a large file may take minutes.
    lock.setStaleLockTime(0);
    const QString lockPath = path + QStringLiteral(".lock");
    QElapsedTimer waited;
    waited.start();
    while (!lock.tryLock(kLockPollMs)) {
        if (lock.error() != QLockFile::LockFailedError) {
            return fail(error, QStringLiteral("无法创建文件:") + path);
        }
        if (waited.elapsed() > kBuildWaitMs) {
            return fail(error, QStringLiteral("另一个程序正在建立文件:") + path);
        }
        qint64 pid = 0;
        QString host;
        QString application;
        const QDateTime made = QFileInfo(lockPath).lastModified();
        if (!lock.getLockInfo(&pid, &host, &application) && made.isValid() &&
            made.msecsTo(QDateTime::currentDateTime()) >= kEmptyLockMs) {
            lock.removeStaleLockFile();
        }
    }
    return true;
}

} // namespace

bool LocalFile::isBlank(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        return false;
    }
    if (info.size() == 0) {
        return true;
    }
    SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("inspect"));
    if (!openSqliteFile(connection, path, nullptr)) {
        return false;
    }
    const auto tables = tableNames(connection.db(), nullptr);
    return tables && tables->isEmpty();
}

bool LocalFile::build(const QString& path, Existing existing, const FileBuilder& builder, QString* error)
{
    // A finished file is kept without a lock: its folder may be one the station may only read.
    if (existing == Existing::Keep && QFileInfo::exists(path) && !isBlank(path)) {
        return true;
    }
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!takeBuildLock(lock, path, error)) {
        return false;
    }
    if (QFileInfo::exists(path) && !isBlank(path)) {
        return existing == Existing::Keep || fail(error, QStringLiteral("文件已存在:") + path);
    }
    const QString part = path + QStringLiteral(".part");
    removeWithJournals(part);
    {
        QFile file(part);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner)) {
            return fail(error, QStringLiteral("无法创建文件:") + path + QStringLiteral(" (") +
                                   file.errorString() + QLatin1Char(')'));
        }
    }
    if (!builder(part, error)) {
        removeWithJournals(part);
        return false;
    }
    return publish(part, path, error);
}

bool LocalFile::copyInto(const QString& source, const QString& target, QString* error)
{
    for (const char* suffix : {"-journal", "-wal"}) {
        if (QFileInfo(source + QLatin1String(suffix)).size() > 0) {
            return fail(error, QStringLiteral("文件有未写完的内容:") + source);
        }
    }
    return build(
        target, Existing::Keep,
        [&source](const QString& part, QString* e) { return copyBytes(source, part, e); }, error);
}

bool LocalFile::tightenToOwner(const QString& path)
{
    const auto tighten = [](const QString& file) {
        const QFileInfo info(file);
#ifdef Q_OS_UNIX
        if (!info.isFile() || info.ownerId() != ::geteuid()) {
            return false;
        }
#else
        if (!info.isFile()) {
            return false;
        }
#endif
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        if (!(info.permissions() & others)) {
            return false;
        }
        return QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    };
    for (const char* suffix : kJournalSuffixes) {
        tighten(path + QLatin1String(suffix));
    }
    return tighten(path);
}

bool openLocalFile(SqlConnection& connection, const QString& path, const QStringList& requiredTables,
                   const LocalFileCreator& create, QString* error)
{
    if (QFileInfo::exists(path + QStringLiteral(".lock"))) {
        // A build killed after its rename left its lock behind; taking it removes it.
        QLockFile leftover(path + QStringLiteral(".lock"));
        leftover.setStaleLockTime(0);
        leftover.tryLock(0);
    }
    if (!QFileInfo::exists(path) || LocalFile::isBlank(path)) {
        const auto builder = [&create](const QString& part, QString* e) {
            SqlConnection building(QStringLiteral("QSQLITE"), QStringLiteral("building"));
            return openSqliteFile(building, part, e) && create(building.db(), e);
        };
        if (!LocalFile::build(path, LocalFile::Existing::Keep, builder, error)) {
            return false;
        }
    }
    QString reason;
    if (!openSqliteFile(connection, path, &reason)) {
        return fail(error, path + QStringLiteral(" 无法打开: ") + reason);
    }
    const auto tables = tableNames(connection.db(), &reason);
    if (!tables) {
        connection.db().close();
        return fail(error, path + QStringLiteral(" 无法读取: ") + reason);
    }
    QStringList missing;
    for (const QString& table : requiredTables) {
        if (!tables->contains(table, Qt::CaseInsensitive)) {
            missing << table;
        }
    }
    if (!missing.isEmpty()) {
        connection.db().close();
        return fail(error, path + QStringLiteral(" 不是完整的配置文件，缺少数据表: ") +
                               missing.join(QStringLiteral(", ")) + QStringLiteral("（文件未改动）"));
    }
    return true;
}
