#pragma once

#include <QString>

// Where a workbook is written before it takes the chosen name, and how it gets there: beside the
// chosen file, so that the last step is a rename on the same disk and a failed export leaves the
// file that was there before untouched.
namespace WorkbookFile {

QString partPath(const QString& path);

// "无法写入文件:<path> (<reason>)"
QString writeFailure(const QString& path, const QString& reason);

// Sets error (when given) and returns false.
bool fail(QString* error, const QString& text);

// Puts the written part on disk and renames it onto path, replacing a file already there; on
// failure the part is removed and path is left as it was.
bool publish(const QString& part, const QString& path, QString* error);

} // namespace WorkbookFile
