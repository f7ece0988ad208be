#include "store/OrderDatabase.h"

#include "store/EmbeddedProcedures.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>

namespace {

// A value inside an ODBC connection string: braced, with a closing brace doubled.
QString odbcValue(const QString& value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

QString freeTdsDriver()
{
    const QString library = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so");
    return QFileInfo::exists(library) ? library : QStringLiteral("FreeTDS");
}

// A station commits several times per parcel (stock-out, picker, goods weight, closing the trade).
// With a write-ahead log each commit is one synced append instead of a rewritten journal and its
// several syncs; every commit stays durable. A file that cannot switch (a read-only folder, a
// network share) keeps its rollback journal.
void useWriteAheadLog(QSqlDatabase& db)
{
    QSqlQuery pragma(db);
    pragma.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
}

} // namespace

OrderDatabase::OrderDatabase() = default;
OrderDatabase::~OrderDatabase() = default;

bool OrderDatabase::isEmbedded(const ServerSettings& settings)
{
    return settings.serverIp.startsWith(QLatin1String(kEmbeddedPrefix));
}

QString OrderDatabase::embeddedPath(const ServerSettings& settings, const QString& dataFolder)
{
    const QString path = settings.serverIp.mid(int(std::char_traits<char>::length(kEmbeddedPrefix)));
    return QDir::isAbsolutePath(path) ? path : QDir(dataFolder).filePath(path);
}

QString OrderDatabase::odbcConnectionString(const ServerSettings& settings)
{
    QString host = settings.serverIp.trimmed();
    QString port;
    const int comma = host.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        port = host.mid(comma + 1).trimmed();
        host = host.left(comma).trimmed();
    }
    QStringList parts = {QStringLiteral("DRIVER=") + odbcValue(freeTdsDriver()),
                         QStringLiteral("SERVER=") + odbcValue(host)};
    if (!port.isEmpty()) {
        parts << QStringLiteral("PORT=") + odbcValue(port);
    }
    parts << QStringLiteral("DATABASE=") + odbcValue(settings.dataBase)
          << QStringLiteral("UID=") + odbcValue(settings.userName)
          << QStringLiteral("PWD=") + odbcValue(settings.passWord) << QStringLiteral("TDS_Version=7.4")
          << QStringLiteral("ClientCharset=UTF-8");
    return parts.join(QLatin1Char(';'));
}

bool OrderDatabase::open(const ServerSettings& settings, const QString& dataFolder, QString* error)
{
    close();
    m_lastError.clear();
    m_openedWith = std::make_pair(settings, dataFolder);
    if (isEmbedded(settings)) {
        m_dialect = Dialect::Embedded;
        const QString path = embeddedPath(settings, dataFolder);
        if (!QFileInfo(path).isFile()) {
            m_lastError = QStringLiteral("%1: no such order database file").arg(path);
        } else {
            m_connection =
                std::make_unique<SqlConnection>(QStringLiteral("QSQLITE"), QStringLiteral("order"));
            if (openSqliteFile(*m_connection, path, &m_lastError)) {
                useWriteAheadLog(m_connection->db());
            }
        }
    } else {
        m_dialect = Dialect::SqlServer;
        m_connection = std::make_unique<SqlConnection>(QStringLiteral("QODBC"), QStringLiteral("order"));
        QSqlDatabase& db = m_connection->db();
        db.setDatabaseName(odbcConnectionString(settings));
        db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1")
                                 .arg(kLoginTimeoutSeconds));
        if (!db.open()) {
            m_lastError = db.lastError().text();
        }
    }
    if (!isOpen()) {
        if (error) {
            *error = m_lastError;
        }
        m_connection.reset();
        return false;
    }
    return true;
}

void OrderDatabase::close()
{
    m_connection.reset();
    m_openedWith.reset();
    m_lost = false;
}

bool OrderDatabase::reopenIfLost(QString* error)
{
    if (isOpen() && !m_lost) {
        return true;
    }
    if (!m_openedWith) {
        m_lastError = QStringLiteral("order database not connected");
        if (error) {
            *error = m_lastError;
        }
        return false;
    }
    const auto [settings, dataFolder] = *m_openedWith;
    if (open(settings, dataFolder, error)) {
        return true;
    }
    // Tried again at the next call.
    m_openedWith = std::make_pair(settings, dataFolder);
    m_lost = true;
    return false;
}

void OrderDatabase::noteFailure(const QString& error)
{
    m_lastError = error;
    if (!isOpen()) {
        m_lost = true;
        return;
    }
    // A statement can fail for its own reasons; the connection is lost when even the simplest
    // statement no longer gets through.
    QSqlQuery probe(m_connection->db());
    if (!probe.exec(QStringLiteral("select 1"))) {
        m_lost = true;
    }
}

bool OrderDatabase::isOpen() const
{
    return m_connection && m_connection->isOpen();
}

QSqlDatabase& OrderDatabase::db()
{
    static QSqlDatabase closed;
    return m_connection ? m_connection->db() : closed;
}

std::optional<QSqlQuery> OrderDatabase::select(const QString& sql, const QVariantList& values)
{
    ++m_statements;
    if (!isOpen() || m_lost) {
        m_lost = true;
        m_lastError = QStringLiteral("order database not connected");
        return std::nullopt;
    }
    QSqlQuery query(m_connection->db());
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        noteFailure(query.lastError().text());
        return std::nullopt;
    }
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        noteFailure(query.lastError().text());
        return std::nullopt;
    }
    return query;
}

bool OrderDatabase::execute(const QString& sql, const QVariantList& values)
{
    return select(sql, values).has_value();
}

QStringList OrderDatabase::firstColumn(const QString& sql)
{
    QStringList values;
    if (auto query = select(sql)) {
        while (query->next()) {
            values << query->value(0).toString();
        }
    }
    return values;
}

bool OrderDatabase::findLoginUser(const QString& userName, const QString& password,
                                  std::optional<LoginUser>* user)
{
    user->reset();
    auto query =
        select(QStringLiteral("select GroupID,bBlockUp from G_Sys_UserList where UserName =? and PWD=?"),
               {userName, password});
    if (!query) {
        return false;
    }
    if (query->next()) {
        *user = LoginUser{query->value(0).toInt(), query->value(1).toBool()};
    } else if (query->lastError().isValid()) {
        // Some drivers report a failure only when the row is fetched.
        noteFailure(query->lastError().text());
        return false;
    }
    return true;
}

QStringList OrderDatabase::staffNames()
{
    return firstColumn(QStringLiteral("select Name from G_Cfg_StaffList"));
}

QStringList OrderDatabase::packageNames()
{
    return firstColumn(QStringLiteral("select PackageName from G_Cfg_PackageList"));
}

QStringList OrderDatabase::shopNames()
{
    return firstColumn(QStringLiteral("select ShopName from G_Cfg_ShopList"));
}

QStringList OrderDatabase::logisticNames()
{
    return firstColumn(QStringLiteral("select Name from G_Cfg_LogisticList"));
}

OrderDatabase::ProcedureResult OrderDatabase::runProcedureBatch(const QString& batch,
                                                                const QVariantList& values)
{
    ProcedureResult outcome;
    auto query = select(batch, values);
    if (!query) {
        outcome.error = m_lastError;
        return outcome;
    }
    // The procedure's own result sets come first; the row of the final select carries bResult.
    do {
        if (query->isSelect() && query->record().indexOf(QStringLiteral("bResult")) >= 0) {
            if (query->next()) {
                outcome.ran = true;
                outcome.result = query->value(0).toString();
            }
            return outcome;
        }
    } while (query->nextResult());
    m_lastError = outcome.error = QStringLiteral("the procedure returned no result");
    return outcome;
}

bool OrderDatabase::embeddedReady()
{
    ++m_statements;
    if (!isOpen() || m_lost) {
        m_lost = true;
        m_lastError = QStringLiteral("order database not connected");
        return false;
    }
    return true;
}

OrderDatabase::ProcedureResult OrderDatabase::embeddedOutcome(ProcedureResult outcome)
{
    if (!outcome.ran) {
        if (outcome.error.isEmpty()) {
            outcome.error = m_lastError; // the connection was not there
        } else {
            noteFailure(outcome.error);
        }
    }
    return outcome;
}

OrderDatabase::ProcedureResult OrderDatabase::tradeStockOutCheck(const QString& tradeId)
{
    if (m_dialect == Dialect::Embedded) {
        ProcedureResult outcome;
        if (embeddedReady()) {
            outcome.ran = EmbeddedProcedures::tradeStockOutCheck(m_connection->db(), tradeId, &outcome.result,
                                                                 &outcome.error);
        }
        return embeddedOutcome(outcome);
    }
    return runProcedureBatch(QStringLiteral("SET NOCOUNT ON\n"
                                            "Declare @bResult varchar(50)\n"
                                            "Exec G_TradeStockOutCHK ?,@bResult output\n"
                                            "select @bResult bResult"),
                             {tradeId});
}

bool OrderDatabase::tradeStockOut(const QString& tradeId, const QString& operatorName)
{
    if (m_dialect == Dialect::Embedded) {
        return embeddedReady() &&
               EmbeddedProcedures::tradeStockOut(m_connection->db(), tradeId, operatorName, &m_lastError);
    }
    return execute(QStringLiteral("SET NOCOUNT ON\nexec G_TradeStockOut @TradeID =?,@Operator=?"),
                   {tradeId, operatorName});
}

QString OrderDatabase::tradeOverRefusal(int weightGrams, double postage)
{
    return EmbeddedProcedures::tradeOverValueRefusal(weightGrams, postage);
}

OrderDatabase::ProcedureResult OrderDatabase::tradeOver(const QString& tradeId, const QString& packer,
                                                        const QString& package, int weightGrams,
                                                        double postage, const QString& operatorName)
{
    if (m_dialect == Dialect::Embedded) {
        ProcedureResult outcome;
        if (embeddedReady()) {
            outcome.ran =
                EmbeddedProcedures::tradeOver(m_connection->db(), tradeId, packer, package, weightGrams,
                                              postage, operatorName, &outcome.result, &outcome.error);
        }
        return embeddedOutcome(outcome);
    }
    return runProcedureBatch(QStringLiteral("SET NOCOUNT ON\n"
                                            "Declare @bResult varchar(50)\n"
                                            "Exec G_TradeOver ?,?,?,?,?,?,@bResult output\n"
                                            "select @bResult bResult"),
                             {tradeId, packer, package, weightGrams, postage, operatorName});
}
