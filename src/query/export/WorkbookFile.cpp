#include "query/export/WorkbookFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace WorkbookFile {

namespace {

std::filesystem::path nativePath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// The renamed file must hold its data even after a power cut right after the export.
bool syncToDisk(const QString& path, QString* reason)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    if (!synced) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
    }
    ::close(fd);
    return synced;
#else
    Q_UNUSED(path);
    Q_UNUSED(reason);
    return true;
#endif
}

} // namespace

QString partPath(const QString& path)
{
    return path + QStringLiteral(".part");
}

QString writeFailure(const QString& path, const QString& reason)
{
    return QStringLiteral("无法写入文件:") + path + QStringLiteral(" (") + reason + QLatin1Char(')');
}

bool fail(QString* error, const QString& text)
{
    if (error) {
        *error = text;
    }
    return false;
}

bool publish(const QString& part, const QString& path, QString* error)
{
    QString reason;
    if (!syncToDisk(part, &reason)) {
        QFile::remove(part);
        return fail(error, writeFailure(path, reason));
    }
    // A plain rename replaces the old file in one step: there is never a moment without one.
    std::error_code code;
    std::filesystem::rename(nativePath(part), nativePath(path), code);
    if (code) {
        QFile::remove(part);
        return fail(error, writeFailure(path, QString::fromLocal8Bit(code.message())));
    }
    return true;
}

} // namespace WorkbookFile
