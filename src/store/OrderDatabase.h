#pragma once

#include "store/ServerSettings.h"
#include "store/SqlConnection.h"

#include <QElapsedTimer>
#include <QList>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class Transaction;

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

    // How long a login to SQL Server may take before it counts as unreachable, the lookup of a
    // named instance included.
    static constexpr int kLoginTimeoutSeconds = 5;
    // How long one statement may take when the station's option row says nothing else.
    static constexpr int kDefaultStatementTimeoutSeconds = 30;
    // After a statement ran out of time, the further statements of the same action fail at once
    // for this long instead of waiting on the server again; the next action opens it anew.
    static constexpr int kPauseAfterTimeoutMs = 1000;
    // The file in the data folder where failed connections and statements that ran out of time
    // leave the driver's reason.
    static constexpr char kLogFileName[] = "OrderDatabase.log";

    OrderDatabase();
    ~OrderDatabase();
    OrderDatabase(const OrderDatabase&) = delete;
    OrderDatabase& operator=(const OrderDatabase&) = delete;

    // Opens the connection described by the server row. A relative embedded path is taken from
    // dataFolder. Any earlier connection is closed first. The settings are kept for reopenIfLost().
    bool open(const ServerSettings& settings, const QString& dataFolder, QString* error);
    // Each statement on SQL Server ends with a time-out after this many seconds (0: never);
    // takes effect at the next open().
    void setStatementTimeout(int seconds) { m_statementTimeout = seconds; }
    int statementTimeout() const { return m_statementTimeout; }
    // The station's user, sent in the login so that the server's sessions name their station.
    void setStationUser(const QString& user) { m_stationUser = user; }
    void close();
    bool isOpen() const;
    Dialect dialect() const { return m_dialect; }
    // The last statement's failure, for messages and tests.
    QString lastError() const { return m_lastError; }

    static bool isEmbedded(const ServerSettings& settings);
    static QString embeddedPath(const ServerSettings& settings, const QString& dataFolder);
    // The ODBC connection string for a SQL Server: ServerIP may be host (port 1433), host,port or
    // host\instance. Empty, with the reason in *error, when a value cannot be written into it.
    static QString odbcConnectionString(const ServerSettings& settings, const QString& applicationName = {},
                                        QString* error = nullptr);
    // The name a station's sessions carry on the server.
    static QString applicationName(const QString& stationUser);

    struct LoginUser
    {
        int groupId = 0;
        bool blocked = false;
    };
    // The user row for this name and password, empty when none matches. False (and lastError)
    // when the statement failed: the user table could not be read, which is no wrong password.
    bool findLoginUser(const QString& userName, const QString& password, std::optional<LoginUser>* user);

    QStringList staffNames();
    QStringList packageNames();
    QStringList shopNames();
    QStringList logisticNames();

    // A procedure that ran gives its bResult: "1" or its own refusal. A call that failed, or a
    // database error inside the procedure, leaves ran false with the database's reason in error.
    struct ProcedureResult
    {
        bool ran = false;
        QString result;
        QString error;
    };
    ProcedureResult tradeStockOutCheck(const QString& tradeId);
    bool tradeStockOut(const QString& tradeId, const QString& operatorName);
    ProcedureResult tradeOver(const QString& tradeId, const QString& packer, const QString& package,
                              int weightGrams, double postage, const QString& operatorName);
    // The refusal G_TradeOver gives for these values; empty when it takes them. Asked before the
    // stock is taken out, so that a parcel the procedure would refuse leaves the trade untouched.
    static QString tradeOverRefusal(int weightGrams, double postage);

    // --- Station: trade lookup, ship procedure, additional waybills (OrderDatabaseStation.cpp) ---

    // A trade as the station reads it. Number columns stay text as the database gives them; the
    // station converts them where it uses them. PostID, PackagedWeight and Postage are read on the
    // additional-waybill path only.
    struct StationTrade
    {
        QString sndTo, tradeNick, name, province, city, town, adr, tel, postId, tradeId, tradeNo;
        int tradeStatus = 0;
        bool stockOut = false;
        QString customerRemark, remark, goodsWeight, packagedWeight, postage;
    };
    struct TradeGoodsLine
    {
        QString goodsId;
        QString specId;
        QString sellCount;
        QString unit;
    };
    struct GoodsRecord
    {
        QString goodsName, weight, goodsSpec;
    };
    // Each returns false (and lastError) when the statement failed; "nothing found" is an empty
    // optional or list.
    bool findStationTrade(const QString& scan, bool byTradeNo, std::optional<StationTrade>* trade);
    // The first trade of status 5, 6, 7, 8 or 11 whose remark holds "附加单号" + scan and that
    // accept() takes; the scan's own "%", "_" and "[" match only themselves.
    bool findAdditionalWaybillTrade(const QString& scan,
                                    const std::function<bool(const StationTrade&)>& accept,
                                    std::optional<StationTrade>* trade);
    bool tradeGoodsLines(const QString& tradeId, QList<TradeGoodsLine>* lines);
    bool goodsRecord(const QString& goodsId, std::optional<GoodsRecord>* record);
    bool goodsSpecName(const QString& specId, std::optional<QString>* specName);
    bool packageWeight(const QString& packageName, std::optional<QString>* weight);
    // CfgValue of G_Cfg_Sys row 54 (barcode check before stock-out); empty when there is no row.
    bool barcodeCheckSetting(QString* value);

    // A write that applies only while the trade is as the station read it: Unchanged when another
    // station got there first and the statement changed nothing.
    enum class GuardedWrite
    {
        Written,
        Unchanged,
        Failed // lastError tells why
    };
    // The picker and the goods weight, written only while the trade still waits with status 5.
    GuardedWrite setTradePicker(const QString& tradeId, const QString& picker);
    GuardedWrite setTradeGoodsWeight(const QString& tradeId, double goodsWeight);
    // The totals and remark of a trade after one more parcel, written only while its remark is still
    // readRemark: each parcel marks its number there, so a parcel another station shipped meanwhile
    // shows as a changed remark.
    GuardedWrite updateAdditionalWaybill(const QString& tradeId, qint64 packagedWeight, double postage,
                                         const QString& readRemark, const QString& remark);
    // On the embedded file, the station's writes on a trade and G_TradeOver run as one unit of work
    // (*unit, rolled back unless committed), so a second station waits and then finds the trade
    // closed. On SQL Server *unit stays empty: the order system's procedures keep their own
    // transactions, and each statement is guarded on its own. False (lastError) when the unit could
    // not begin.
    bool beginTradeClosing(std::unique_ptr<Transaction>* unit);
    bool addTradeLog(const QString& tradeId, const QString& operatorName, const QString& detail);

    // A statement that failed because the connection is gone (or ran out of time) marks it lost;
    // reopenIfLost() opens it again from the settings open() was given, as every statement does
    // first by itself. Nothing to do when it is fine.
    bool connectionLost() const { return m_lost; }
    bool reopenIfLost(QString* error);
    // Statements sent through this object, for the benchmarks.
    quint64 statementCount() const { return m_statements; }

    // --- Goods weighing (OrderDatabaseGoods.cpp) ---

    // A goods record found for a scanned barcode, every column as text as the database gives it.
    struct ScannedGoods
    {
        QString goodsId, goodsName, weight, goodsSpec;
    };
    // Each returns false (and lastError) when the statement failed; no match is an empty optional.
    // By the goods' own barcode.
    bool goodsByBarCode(const QString& barCode, std::optional<ScannedGoods>* goods);
    // By an assist barcode; the variant's name stands as GoodsSpec.
    bool goodsByAssistBarCode(const QString& barCode, std::optional<ScannedGoods>* goods);
    // A multi-variant goods by its own barcode and the code of one of its variants.
    bool goodsBySpecCode(const QString& barCode, const QString& specCode, std::optional<ScannedGoods>* goods);
    // The unit weight in grams of one goods record.
    bool setGoodsWeight(const QString& goodsId, double grams);
    bool goodsWeight(const QString& goodsId, std::optional<QString>* weight);

    // --- Query tab: search, paging and export of shipped trades (OrderDatabaseQuery.cpp) ---

    // The filters of one search: fragments " and …" with a "?" for each value, appended to the
    // fixed joins of the trade, customer, shop and logistics tables.
    struct TradeFilter
    {
        QString sql;
        QVariantList values;
    };
    // One found trade: the 21 fields of the result list's columns 1 to 22 without the weight
    // difference (TradeID … Tel), as text, and the three numbers the sums are taken of.
    struct FoundTrade
    {
        QStringList fields;
        double goodsWeight = 0;
        double packagedWeight = 0;
        double postage = 0;
    };
    // A like pattern finding the text literally in this dialect: "%", "_", the escape character
    // "\" and on SQL Server "[" match only themselves. Used with " escape '\\'".
    static QString literalLikePattern(Dialect dialect, const QString& value);
    bool countTrades(const TradeFilter& filter, qint64* total);
    // pageSize trades in TradeID order after the first offset ones. total, the count of the filter,
    // lets the embedded file choose between walking the trades in order and sorting those found.
    bool tradePage(const TradeFilter& filter, int pageSize, qint64 offset, qint64 total,
                   QList<FoundTrade>* trades);
    // Every trade of the filter in TradeID order, handed to take one by one; take returns false to
    // stop early. total, the count of the filter, chooses the embedded file's way as for a page.
    // False (and lastError) when the statement failed.
    bool eachTrade(const TradeFilter& filter, qint64 total,
                   const std::function<bool(const FoundTrade&)>& take);

    // A forward-only query with the values bound in order; nullopt (and lastError) when it fails.
    // The caller reads it; prefer rows(), which leaves the connection free at once.
    std::optional<QSqlQuery> select(const QString& sql, const QVariantList& values = {});
    // Every row of a statement's first result set, read to the end; false (and lastError) when it
    // fails.
    bool rows(const QString& sql, const QVariantList& values, QList<QSqlRecord>* records);
    // A statement without rows; false (and lastError) when it fails.
    bool execute(const QString& sql, const QVariantList& values = {});
    QSqlDatabase& db();

    // --- Administrator maintenance commands (OrderDatabaseMaintenance.cpp) ---

    // Trades of status '11' whose goods weight is 0 take their estimated weight as goods weight.
    // False (lastError, the database's own text) when the statement failed.
    bool copyEstimatedGoodsWeight();
    // Deletes every trade of status 2 with its log lines, goods lines and interface records, all or
    // nothing: a failure leaves every trade as it was. False (lastError) when it failed.
    bool clearTradesAwaitingReview();

private:
    // What one statement gave, every result read to its end.
    struct Outcome
    {
        QList<QSqlRecord> rows; // of the first select, or of the first that has resultColumn
        bool found = false;     // such a select came back
        qint64 rowsAffected = -1;
    };
    // Runs a statement and reads every result to its end, so that the connection is free for the
    // next statement. On SQL Server it goes as one request with its values; a lost connection is
    // opened again first, once.
    bool run(const QString& sql, const QVariantList& values, Outcome* outcome,
             const QString& resultColumn = {});
    bool runEmbedded(const QString& sql, const QVariantList& values, Outcome* outcome,
                     const QString& resultColumn);
    // Makes sure the connection is there, opening a lost one again; false (lastError) when not.
    bool ready();
    // The values as they are bound: an empty text is sent as an empty text, never as NULL. False
    // (lastError) when a text holds a character a Chinese code page cannot take.
    bool boundValues(const QVariantList& values, QVariantList* bound);
    // Forgets a connection that may be stuck in a statement; the next statement opens it again.
    void dropConnection();
    void writeLog(const QString& what) const;
    QStringList firstColumn(const QString& sql);
    void useLargeReadCache();
    qint64 lastTradeId();
    GuardedWrite guardedUpdate(const QString& sql, const QVariantList& values);
    ProcedureResult runProcedureBatch(const QString& batch, const QVariantList& values);
    // Notes why a statement failed; the failed query is already finished. A time-out, a broken
    // link or a probe that no longer gets through marks the connection lost.
    void noteFailure(const QString& error, const QString& sqlState = {});
    // Counts a procedure run on the embedded file; false (connection lost) when the file is not
    // open and cannot be opened again.
    bool embeddedReady();
    // Notes the failure of an embedded procedure that did not run, as for any statement.
    ProcedureResult embeddedOutcome(ProcedureResult outcome);

    std::unique_ptr<SqlConnection> m_connection;
    Dialect m_dialect = Dialect::SqlServer;
    int m_statementTimeout = kDefaultStatementTimeoutSeconds;
    QString m_stationUser;
    QString m_lastError;
    // Where open() last connected to, kept for reopenIfLost(); close() forgets it.
    std::optional<std::pair<ServerSettings, QString>> m_openedWith;
    bool m_lost = false;
    // Running since the last statement that ran out of time.
    QElapsedTimer m_timedOut;
    quint64 m_statements = 0;
};
