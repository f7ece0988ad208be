#include "store/OrderDatabaseFailure.h"

#include <QRegularExpression>

namespace OrderDatabaseFailure {
namespace {

bool mentions(const QString& text, const char* words)
{
    return text.contains(QLatin1String(words), Qt::CaseInsensitive);
}

// The name a pattern's first group caught, or nothing.
QString named(const QString& text, const QRegularExpression& pattern)
{
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

Failure classify(const QString& databaseError)
{
    // SQLite's texts, then the same causes as SQL Server words them.
    static const QRegularExpression missingTable(
        QStringLiteral("(?:no such table: |Invalid object name ')([^'\\s]+)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression outsideCodePage(
        QStringLiteral("text outside the server's code page: (.+)$"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression missingProcedure(
        QStringLiteral("Could not find stored procedure '([^']+)'"),
        QRegularExpression::CaseInsensitiveOption);

    if (mentions(databaseError, "database is locked") ||
        mentions(databaseError, "database table is locked") ||
        mentions(databaseError, "Lock request time out") || mentions(databaseError, "deadlocked on lock")) {
        return {Cause::Locked, {}};
    }
    if (mentions(databaseError, "Timeout expired") || mentions(databaseError, "Query timeout")) {
        return {Cause::TimedOut, {}};
    }
    if (const QString characters = named(databaseError, outsideCodePage); !characters.isEmpty()) {
        return {Cause::Unconvertible, characters};
    }
    if (mentions(databaseError, "could not be converted") ||
        mentions(databaseError, "converting characters")) {
        return {Cause::Unconvertible, {}};
    }
    if (const QString table = named(databaseError, missingTable); !table.isEmpty()) {
        return {Cause::MissingTable, table};
    }
    if (const QString procedure = named(databaseError, missingProcedure); !procedure.isEmpty()) {
        return {Cause::MissingProcedure, procedure};
    }
    if (mentions(databaseError, "readonly database") ||
        mentions(databaseError, "unable to open database file")) {
        return {Cause::ReadOnly, {}};
    }
    if (mentions(databaseError, "file is not a database") ||
        mentions(databaseError, "disk image is malformed")) {
        return {Cause::Damaged, {}};
    }
    return {};
}

QString describe(const Failure& failure)
{
    switch (failure.cause) {
    case Cause::Locked:
        return QStringLiteral("订单数据库正被其他程序占用");
    case Cause::MissingTable:
        return QStringLiteral("订单数据库中没有数据表") + failure.object;
    case Cause::MissingProcedure:
        return QStringLiteral("订单数据库中没有存储过程") + failure.object;
    case Cause::ReadOnly:
        return QStringLiteral("订单数据库文件或其所在文件夹不可写");
    case Cause::Damaged:
        return QStringLiteral("订单数据库文件已损坏或不是数据库文件");
    case Cause::TimedOut:
        return QStringLiteral("订单数据库未在规定时间内应答");
    case Cause::Unconvertible:
        return failure.object.isEmpty()
                   ? QStringLiteral("订单数据库的字符集容不下其中的文字")
                   : QStringLiteral("订单数据库的字符集中没有\"") + failure.object + QStringLiteral("\"");
    case Cause::Unknown:
        break;
    }
    return {};
}

} // namespace OrderDatabaseFailure
