#pragma once

#include "store/SqlConnection.h"
#include "store/StationSettings.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

// A login.db with the scale tables as the program ships them (or an older layout), in a file of
// the test's own.
class ScaleLoginDb
{
    SqlConnection m_connection; // first made, last gone: the settings below use it

public:
    // `typeCount` rows of ScaleTypel are written and listed in Scale.ScaleNumber.
    ScaleLoginDb(const QString& path, int typeCount = 5, const QString& firstName = QStringLiteral("VarnikC"))
        : m_connection(QStringLiteral("QSQLITE"), QStringLiteral("scale-login"))
    {
        const QStringList names{firstName, QStringLiteral("VarnikA1"), QStringLiteral("VarnikB"),
                                QStringLiteral("手动输入"), QStringLiteral("VarnikD")};
        m_ok = openSqliteFile(m_connection, path, nullptr) &&
               exec("create table Initialization(ID integer primary key, Com int, ScaleType int)") &&
               exec("create table Scale(ID int, ComNumber int, ScaleNumber int)") &&
               exec("create table ScaleTypel(ID integer primary key, ScaleName varchar(50), "
                    "ScaleRange varchar(20), BaudRate varchar(20))") &&
               exec("insert into Initialization(ID, Com, ScaleType) values(1, 1, 1)") &&
               exec("insert into Scale(ID, ComNumber, ScaleNumber) values(1, 20, ?)", {typeCount});
        for (int i = 0; m_ok && i < typeCount; ++i) {
            m_ok = exec("insert into ScaleTypel(ID, ScaleName, ScaleRange, BaudRate) values(?, ?, '30', ?)",
                        {i + 1, names.value(i), i == 1 ? QStringLiteral("1200") : QStringLiteral("9600")});
        }
        settings.setDatabase(db());
    }

    bool isOk() const { return m_ok; }
    QSqlDatabase& db() { return m_connection.db(); }

    bool exec(const char* sql, const QVariantList& values = {}) { return run(sql, values).isActive(); }

    // The first column of the first row; invalid when there is none.
    QVariant value(const char* sql, const QVariantList& values = {})
    {
        QSqlQuery query = run(sql, values);
        return query.next() ? query.value(0) : QVariant();
    }

    StationSettings settings;

private:
    QSqlQuery run(const char* sql, const QVariantList& values)
    {
        QSqlQuery query(db());
        query.prepare(QString::fromUtf8(sql));
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        query.exec();
        return query;
    }

    bool m_ok = false;
};
