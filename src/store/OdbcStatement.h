#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QVariantList>

// A statement sent straight through the ODBC connection behind a Qt ODBC database. Qt's driver
// prepares every statement with bound values, which FreeTDS sends as sp_prepexec and, whenever the
// values are bound again, sp_unprepare: two round trips. Executed directly, a statement with its
// values is one sp_executesql request. Texts go as VARCHAR in the server's code page, and values come
// back as Qt's driver gives them.
namespace OdbcStatement {

struct Result
{
    QList<QSqlRecord> rows; // of the first select, or of the first that has the asked-for column
    bool found = false;     // such a select came back
    qint64 rowsAffected = -1;
};

struct Failure
{
    QString sqlState; // as ODBC reports it, e.g. "HYT00" for a time-out, "08S01" for a lost link
    QString message;  // the driver's and the server's words
};

// Runs sql with the values bound in order, each statement ending after timeoutSeconds (0: never),
// and reads every result to its end, so that the connection is free for the next statement. Column
// values come as Qt's ODBC driver gives them: numbers as numbers (money and decimals as double),
// times as times, the rest as text; null as null. False, with the failure, when any
// part of it fails.
bool run(QSqlDatabase& db, const QString& sql, const QVariantList& values, int timeoutSeconds,
         const QString& resultColumn, Result* result, Failure* failure);

// Gives a Qt query's prepared statement a time-out in seconds (0: none). False, with the reason,
// when the query has no ODBC statement handle or the driver refuses.
bool setTimeout(const QSqlQuery& query, int seconds, QString* error);

} // namespace OdbcStatement
