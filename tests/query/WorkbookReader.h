#pragma once

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

// Reads a workbook back with Python's xlrd from Debian, a reader this project did not write: per
// sheet its row count and its first three and last two rows, each cell as [value, kind], kind 1
// for text and 2 for a number. An empty array when the file could not be read.
inline QJsonArray readWorkbook(const QString& path)
{
    static const char script[] = R"(
import json, sys, xlrd
book = xlrd.open_workbook(sys.argv[1])
sheets = []
for sheet in book.sheets():
    picked = sorted(set(list(range(min(3, sheet.nrows))) + list(range(max(0, sheet.nrows - 2), sheet.nrows))))
    row = {str(r): [[c.value, c.ctype] for c in sheet.row(r)] for r in picked}
    row["nrows"] = sheet.nrows
    sheets.append(row)
print(json.dumps(sheets))
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromLatin1(script), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning("xlrd: %s", python.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

// The texts of one row read back; numbers as xlrd gives them.
inline QStringList rowTexts(const QJsonArray& sheets, int sheet, int row)
{
    QStringList texts;
    for (const QJsonValue& cell : sheets.at(sheet).toObject().value(QString::number(row)).toArray()) {
        const QJsonValue value = cell.toArray().at(0);
        texts << (value.isString() ? value.toString() : QString::number(value.toDouble(), 'g', 15));
    }
    return texts;
}

inline QList<int> rowKinds(const QJsonArray& sheets, int sheet, int row)
{
    QList<int> kinds;
    for (const QJsonValue& cell : sheets.at(sheet).toObject().value(QString::number(row)).toArray()) {
        kinds << cell.toArray().at(1).toInt();
    }
    return kinds;
}
