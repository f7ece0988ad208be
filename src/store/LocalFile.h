#pragma once

#include "store/SqlConnection.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

// Creates the tables and rows of a new local file; returns false with a reason.
using LocalFileCreator = std::function<bool(QSqlDatabase&, QString*)>;
// Writes a new file at partPath, which exists already: empty and readable by its owner only.
using FileBuilder = std::function<bool(const QString& partPath, QString* error)>;

// The files a station keeps in its data folder are made so that a start killed at any moment
// leaves either no file or a whole one, and are kept from other users' eyes: they hold passwords.
namespace LocalFile {

// An existing file that holds nothing worth keeping: empty, or a database without a single table
// (what a start killed while making it leaves).
bool isBlank(const QString& path);

// What build does when a file that is not blank is already at the path.
enum class Existing
{
    Refuse, // fails with "文件已存在:" and the path
    Keep    // leaves it there and reports success without building
};

// Builds a file complete under "<path>.part" and renames it into place, holding "<path>.lock"
// meanwhile so that two starts on one folder build it once. A blank file at the path is replaced;
// what a killed build left beside it is removed first. On failure nothing new is left behind.
bool build(const QString& path, Existing existing, const FileBuilder& builder, QString* error);

// Copies source to target the same way; a file already at target is kept. A source with a journal
// still beside it (an unfinished write) is not copied.
bool copyInto(const QString& source, const QString& target, QString* error);

// Makes a file of the running user (and its journals) readable and writable by its owner only when
// other users may read or write it; true when it had to.
bool tightenToOwner(const QString& path);

} // namespace LocalFile

// Opens the SQLite file at path. A missing or blank file is built first (tables and rows by create,
// see LocalFile::build). An existing file that cannot be read as a database, or lacks one of
// requiredTables, is refused with the reason and left as it is: it may be somebody's data.
bool openLocalFile(SqlConnection& connection, const QString& path, const QStringList& requiredTables,
                   const LocalFileCreator& create, QString* error);
