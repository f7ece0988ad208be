#pragma once

#include <QDateTime>
#include <QString>

// Fills a new embedded order database with a realistic shop, for the first start, demos, tests
// and benchmarks.
struct DemoOrderOptions
{
    int trades = 200;
    quint32 seed = 20140106;
    // The moment the shop's history ends (trade and shipping times lie in the weeks before it);
    // invalid means now. Fixing it makes the file the same on every run for a seed.
    QDateTime reference;
};

// The largest shop the generator makes; the waybill numbers it hands out stay at ten digits.
inline constexpr int kDemoMaxTrades = 50000000;

// What a generated file holds.
struct DemoOrderSummary
{
    qint64 trades = 0;
    qint64 readyToShip = 0;
    qint64 shipped = 0;
    qint64 goodsLines = 0;
    qint64 goods = 0;
    qint64 specs = 0;
    qint64 customers = 0;
    qint64 logLines = 0;
};

// The logins the demo shop holds (passwords stored plain: the demo database is not "wdgj31").
namespace DemoLogins {
inline constexpr char kAdminName[] = "admin";
inline constexpr char kAdminPassword[] = "admin";
inline constexpr char kOperatorName[] = "operator";
inline constexpr char kOperatorPassword[] = "1234";
inline constexpr char kDisabledName[] = "former";
inline constexpr char kDisabledPassword[] = "1234";
} // namespace DemoLogins

// Creates the file at path (which must not exist yet, or be blank: see LocalFile::isBlank) with the
// schema and the demo rows. The file appears whole or not at all, even when the process is killed.
bool createDemoOrderDatabase(const QString& path, const DemoOrderOptions& options, QString* error);
bool createDemoOrderDatabase(const QString& path, const DemoOrderOptions& options, DemoOrderSummary* summary,
                             QString* error);

// The demo shop of a data folder: made as above when the file is missing or blank, left as it is
// otherwise.
bool provideDemoOrderDatabase(const QString& path, const DemoOrderOptions& options, QString* error);
