#pragma once

#include <QString>

// Fills a new embedded order database with a realistic shop, for the first start, demos, tests
// and benchmarks.
struct DemoOrderOptions
{
    int trades = 200;
    quint32 seed = 20140106;
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

// Creates the file at path (which must not exist yet) with the schema and the demo rows.
bool createDemoOrderDatabase(const QString& path, const DemoOrderOptions& options, QString* error);
