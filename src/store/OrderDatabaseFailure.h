#pragma once

#include <QString>

// What a failed statement of the order database means for the operator. The database gives its
// reason in English (SQLite, or SQL Server through ODBC); the station names the known causes in
// its own words, so that nobody resets working connection settings over a locked or damaged file.
namespace OrderDatabaseFailure {

enum class Cause
{
    Unknown,
    Locked,           // another program holds a lock longer than the station waits for it
    MissingTable,     // a table the statement names is not in the database
    MissingProcedure, // a stored procedure the station calls is not in the database
    ReadOnly,         // the file, or the folder its journal goes to, may not be written
    Damaged,          // the file is no database, or a damaged one
    TimedOut,         // the server did not answer within the statement time-out
    Unconvertible,    // a text holds characters the server's code page does not have
};

struct Failure
{
    Cause cause = Cause::Unknown;
    QString object; // the missing table or procedure, or the characters the server cannot take
};

Failure classify(const QString& databaseError);

// The cause in the operator's words, as in "订单数据库中没有数据表G_Stock_Spec"; empty when unknown.
QString describe(const Failure& failure);

} // namespace OrderDatabaseFailure
