#pragma once

#include "store/ServerSettings.h"
#include "store/SqlConnection.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <memory>
#include <optional>

// The shop's order database: a SQL Server reached through ODBC and FreeTDS, or an embedded SQLite
// file standing in for it. Every statement the station sends is a method here with bound values.
class OrderDatabase
{
public:
    enum class Dialect
    {
        SqlServer,
        Embedded
    };

    // How long a login to SQL Server may take before it counts as unreachable.
    static constexpr int kLoginTimeoutSeconds = 5;

    OrderDatabase();
    ~OrderDatabase();
    OrderDatabase(const OrderDatabase&) = delete;
    OrderDatabase& operator=(const OrderDatabase&) = delete;

    // Opens the connection described by the server row. A relative embedded path is taken from
    // dataFolder. Any earlier connection is closed first.
    bool open(const ServerSettings& settings, const QString& dataFolder, QString* error);
    void close();
    bool isOpen() const;
    Dialect dialect() const { return m_dialect; }
    // The last statement's failure, for messages and tests.
    QString lastError() const { return m_lastError; }

    static bool isEmbedded(const ServerSettings& settings);
    static QString embeddedPath(const ServerSettings& settings, const QString& dataFolder);
    // The ODBC connection string for a SQL Server: ServerIP may be host, host,port or host\instance.
    static QString odbcConnectionString(const ServerSettings& settings);

    struct LoginUser
    {
        int groupId = 0;
        bool blocked = false;
    };
    // The user row for this name and password; nullopt when none matches or the query failed
    // (lastError tells which).
    std::optional<LoginUser> findLoginUser(const QString& userName, const QString& password);

    QStringList staffNames();
    QStringList packageNames();
    QStringList shopNames();
    QStringList logisticNames();

    struct ProcedureResult
    {
        bool ran = false; // false: the call itself failed
        QString result;   // bResult of the procedure
    };
    ProcedureResult tradeStockOutCheck(const QString& tradeId);
    bool tradeStockOut(const QString& tradeId, const QString& operatorName);
    ProcedureResult tradeOver(const QString& tradeId, const QString& packer, const QString& package,
                              int weightGrams, double postage, const QString& operatorName);

    // --- Station: trade lookup, ship procedure, additional waybills (OrderDatabaseStation.cpp) ---

    // --- Goods weighing (OrderDatabaseGoods.cpp) ---

    // A forward-only query with the values bound in order; nullopt (and lastError) when it fails.
    std::optional<QSqlQuery> select(const QString& sql, const QVariantList& values = {});
    // A statement without rows; false (and lastError) when it fails.
    bool execute(const QString& sql, const QVariantList& values = {});
    QSqlDatabase& db();

private:
    QStringList firstColumn(const QString& sql);
    ProcedureResult runProcedureBatch(const QString& batch, const QVariantList& values);

    std::unique_ptr<SqlConnection> m_connection;
    Dialect m_dialect = Dialect::SqlServer;
    QString m_lastError;
};
