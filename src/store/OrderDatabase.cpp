#include "store/OrderDatabase.h"

#include "store/EmbeddedProcedures.h"
#include "store/OdbcStatement.h"
#include "store/OrderDatabaseFailure.h"
#include "store/SqlServerBrowser.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>
#include <QStringEncoder>

namespace {

// A value of the connection string. FreeTDS ends a plain value at the first ';' and a braced one at
// the first "};", taking what lies between the braces as it stands ("}}" stays two braces). A value
// holding "};" cannot be written at all.
std::optional<QString> odbcValue(const QString& value)
{
    if (!value.contains(QLatin1Char(';')) && !value.startsWith(QLatin1Char('{'))) {
        return value;
    }
    if (value.contains(QLatin1String("};"))) {
        return std::nullopt;
    }
    return QLatin1Char('{') + value + QLatin1Char('}');
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

// The parts of ServerIP: host, host,port or host\instance.
struct Address
{
    QString host;
    QString port;
    QString instance;
};

Address addressOf(const QString& serverIp)
{
    Address address;
    address.host = serverIp.trimmed();
    const int comma = int(address.host.indexOf(QLatin1Char(',')));
    if (comma >= 0) {
        address.port = address.host.mid(comma + 1).trimmed();
        address.host = address.host.left(comma).trimmed();
    }
    const int backslash = int(address.host.indexOf(QLatin1Char('\\')));
    if (backslash >= 0) {
        address.instance = address.host.mid(backslash + 1).trimmed();
    }
    return address;
}

const char kNotConnected[] = "order database not connected";

bool timedOut(const QString& sqlState)
{
    // FreeTDS reports the ODBC 2 state S1T00.
    return sqlState == QLatin1String("HYT00") || sqlState == QLatin1String("HYT01") ||
           sqlState == QLatin1String("S1T00");
}

// Whether GBK, the code page of a Chinese SQL Server, has every character of the text: it comes
// back the same from its bytes.
bool inChineseCodePage(const QString& text)
{
    QStringEncoder encoder("GBK");
    QStringDecoder decoder("GBK");
    const QByteArray bytes = encoder.encode(text);
    const QString back = decoder.decode(bytes);
    return encoder.isValid() && !encoder.hasError() && back == text;
}

bool linkBroken(const QString& sqlState)
{
    return sqlState.startsWith(QLatin1String("08"));
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

QString OrderDatabase::applicationName(const QString& stationUser)
{
    // The login keeps 128 characters of it. It only names the session, so the characters that end
    // a value of the connection string give way rather than keep a user from logging in.
    QString name = stationUser.isEmpty() ? QStringLiteral("Zelvo") : QStringLiteral("Zelvo ") + stationUser;
    for (QChar& c : name) {
        if (c == QLatin1Char(';') || c == QLatin1Char('{') || c == QLatin1Char('}')) {
            c = QLatin1Char(' ');
        }
    }
    return name.left(128);
}

QString OrderDatabase::odbcConnectionString(const ServerSettings& settings, const QString& applicationName,
                                            QString* error)
{
    const Address address = addressOf(settings.serverIp);
    QString port = address.port;
    // Without a port FreeTDS does not take the default one, and a named instance is found by the
    // SQL Server Browser.
    if (port.isEmpty() && address.instance.isEmpty()) {
        port = QStringLiteral("1433");
    }
    const QList<std::pair<QString, QString>> values = {
        {QStringLiteral("DRIVER"), freeTdsDriver()},
        {QStringLiteral("SERVER"), address.host},
        {QStringLiteral("PORT"), port},
        {QStringLiteral("DATABASE"), settings.dataBase},
        {QStringLiteral("UID"), settings.userName},
        {QStringLiteral("PWD"), settings.passWord},
        {QStringLiteral("APP"),
         applicationName.isEmpty() ? OrderDatabase::applicationName({}) : applicationName},
    };
    QStringList parts;
    for (const auto& [name, value] : values) {
        if (name == QLatin1String("PORT") && value.isEmpty()) {
            continue;
        }
        const std::optional<QString> written = odbcValue(value);
        if (!written) {
            if (error) {
                *error = QStringLiteral("%1 holds \"};\", which the ODBC driver cannot take").arg(name);
            }
            return {};
        }
        parts << name + QLatin1Char('=') + *written;
    }
    parts << QStringLiteral("TDS_Version=7.4") << QStringLiteral("ClientCharset=UTF-8");
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
        // The whole login, a named instance's lookup included, has kLoginTimeoutSeconds.
        const QDeadlineTimer deadline(kLoginTimeoutSeconds * 1000);
        ServerSettings target = settings;
        const Address address = addressOf(settings.serverIp);
        bool found = true;
        if (!address.instance.isEmpty() && address.port.isEmpty()) {
            const QString host = address.host.left(address.host.indexOf(QLatin1Char('\\')));
            // The login itself keeps a second of it.
            const auto port = SqlServerBrowser::instancePort(host, address.instance,
                                                             (kLoginTimeoutSeconds - 1) * 1000, &m_lastError);
            found = port.has_value();
            if (found) {
                target.serverIp = host + QLatin1Char(',') + QString::number(*port);
            }
        }
        const QString connection =
            found ? odbcConnectionString(target, applicationName(m_stationUser), &m_lastError) : QString();
        if (!connection.isEmpty()) {
            m_connection = std::make_unique<SqlConnection>(QStringLiteral("QODBC"), QStringLiteral("order"));
            QSqlDatabase& db = m_connection->db();
            db.setDatabaseName(connection);
            const qint64 left = qMax<qint64>(1, (deadline.remainingTime() + 999) / 1000);
            db.setConnectOptions(
                QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1").arg(left));
            if (!db.open()) {
                m_lastError = db.lastError().text();
            }
        }
    }
    if (!isOpen()) {
        writeLog(QStringLiteral("connection failed: ") + m_lastError);
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

void OrderDatabase::dropConnection()
{
    m_connection.reset();
    m_lost = true;
}

bool OrderDatabase::reopenIfLost(QString* error)
{
    if (isOpen() && !m_lost) {
        return true;
    }
    if (!m_openedWith) {
        m_lastError = QString::fromLatin1(kNotConnected);
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

bool OrderDatabase::ready()
{
    if (isOpen() && !m_lost) {
        return true;
    }
    if (m_timedOut.isValid() && !m_timedOut.hasExpired(kPauseAfterTimeoutMs)) {
        return false; // lastError still tells of the time-out
    }
    const bool reopened = reopenIfLost(nullptr);
    if (!reopened) {
        m_lost = true;
    }
    return reopened;
}

void OrderDatabase::writeLog(const QString& what) const
{
    if (!m_openedWith || m_dialect != Dialect::SqlServer) {
        return;
    }
    const auto& [settings, dataFolder] = *m_openedWith;
    QFile file(QDir(dataFolder).filePath(QString::fromLatin1(kLogFileName)));
    if (!file.open(QIODevice::Append | QIODevice::Text)) {
        return;
    }
    // Where and as whom, never with which password.
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                         QStringLiteral(" ServerIP=%1 DataBase=%2 UserName=%3: ")
                             .arg(settings.serverIp, settings.dataBase, settings.userName) +
                         QString(what).replace(QLatin1Char('\n'), QLatin1String(" / ")) + QLatin1Char('\n');
    file.write(line.toUtf8());
}

void OrderDatabase::noteFailure(const QString& error, const QString& sqlState)
{
    m_lastError = error;
    if (!isOpen()) {
        m_lost = true;
        return;
    }
    const QString state = sqlState.isEmpty() ? QString() : QLatin1Char('[') + sqlState + QStringLiteral("] ");
    const bool late = timedOut(sqlState) ||
                      OrderDatabaseFailure::classify(error).cause == OrderDatabaseFailure::Cause::TimedOut;
    if (m_dialect == Dialect::SqlServer && (late || linkBroken(sqlState))) {
        // A server that did not answer in time may still be busy with the statement; the next
        // statement starts on a new connection instead of waiting behind it.
        writeLog((late ? QStringLiteral("statement timed out after %1 s: ").arg(m_statementTimeout)
                       : QStringLiteral("connection lost: ")) +
                 state + error);
        if (late) {
            m_timedOut.start();
        }
        dropConnection();
        return;
    }
    // A statement can fail for its own reasons; the connection is lost when even the simplest
    // statement no longer gets through. The failed statement is already finished, and the probe
    // has the same time-out as any statement.
    bool alive = false;
    if (m_dialect == Dialect::SqlServer) {
        OdbcStatement::Result result;
        OdbcStatement::Failure failure;
        alive = OdbcStatement::run(m_connection->db(), QStringLiteral("select 1"), {}, m_statementTimeout, {},
                                   &result, &failure);
    } else {
        QSqlQuery probe(m_connection->db());
        alive = probe.exec(QStringLiteral("select 1")) && probe.next();
    }
    if (!alive) {
        writeLog(QStringLiteral("connection lost: ") + state + error);
        // The embedded file stays open under a unit of work that may still be rolled back.
        if (m_dialect == Dialect::SqlServer) {
            dropConnection();
        }
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

bool OrderDatabase::boundValues(const QVariantList& values, QVariantList* bound)
{
    bound->clear();
    bound->reserve(values.size());
    for (const QVariant& value : values) {
        if (value.metaType() != QMetaType::fromType<QString>()) {
            bound->append(value);
            continue;
        }
        const QString text = value.toString();
        if (m_dialect == Dialect::SqlServer && !inChineseCodePage(text)) {
            // Texts reach the server in its code page; one outside even a Chinese code page would
            // go out as bytes that read as other characters there.
            QString outside;
            for (qsizetype i = 0; i < text.size(); ++i) {
                const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
                if (!inChineseCodePage(text.mid(i, length))) {
                    outside += text.mid(i, length);
                }
                i += length - 1;
            }
            m_lastError = QStringLiteral("text outside the server's code page: ") + outside;
            return false;
        }
        // A null text would be bound as NULL.
        bound->append(text.isNull() ? QString(QLatin1String("")) : text);
    }
    return true;
}

std::optional<QSqlQuery> OrderDatabase::select(const QString& sql, const QVariantList& values)
{
    ++m_statements;
    QVariantList bound;
    if (!ready() || !boundValues(values, &bound)) {
        return std::nullopt;
    }
    auto query = std::make_optional<QSqlQuery>(m_connection->db());
    query->setForwardOnly(true);
    QString reason;
    bool done = query->prepare(sql);
    if (done && m_dialect == Dialect::SqlServer && m_statementTimeout > 0) {
        done = OdbcStatement::setTimeout(*query, m_statementTimeout, &reason);
    }
    if (done) {
        for (const QVariant& value : bound) {
            query->addBindValue(value);
        }
        done = query->exec();
    }
    if (!done) {
        if (reason.isEmpty()) {
            reason = query->lastError().text();
        }
        // Finished before the probe, which would otherwise find the connection still taken.
        query.reset();
        noteFailure(reason);
        return std::nullopt;
    }
    return query;
}

bool OrderDatabase::rows(const QString& sql, const QVariantList& values, QList<QSqlRecord>* records)
{
    Outcome outcome;
    const bool done = run(sql, values, &outcome);
    *records = outcome.rows;
    return done;
}

bool OrderDatabase::execute(const QString& sql, const QVariantList& values)
{
    Outcome outcome;
    return run(sql, values, &outcome);
}

bool OrderDatabase::run(const QString& sql, const QVariantList& values, Outcome* outcome,
                        const QString& resultColumn)
{
    ++m_statements;
    *outcome = Outcome();
    QVariantList bound;
    if (!ready() || !boundValues(values, &bound)) {
        return false;
    }
    if (m_dialect == Dialect::Embedded) {
        return runEmbedded(sql, bound, outcome, resultColumn);
    }
    OdbcStatement::Result result;
    OdbcStatement::Failure failure;
    if (!OdbcStatement::run(m_connection->db(), sql, bound, m_statementTimeout, resultColumn, &result,
                            &failure)) {
        noteFailure(failure.message, failure.sqlState);
        return false;
    }
    outcome->rows = result.rows;
    outcome->found = result.found;
    outcome->rowsAffected = result.rowsAffected;
    return true;
}

bool OrderDatabase::runEmbedded(const QString& sql, const QVariantList& values, Outcome* outcome,
                                const QString& resultColumn)
{
    QString reason;
    {
        QSqlQuery query(m_connection->db());
        query.setForwardOnly(true);
        if (query.prepare(sql)) {
            for (const QVariant& value : values) {
                query.addBindValue(value);
            }
            if (query.exec()) {
                outcome->rowsAffected = query.numRowsAffected();
                if (query.isSelect() &&
                    (resultColumn.isEmpty() || query.record().indexOf(resultColumn) >= 0)) {
                    outcome->found = true;
                    while (query.next()) {
                        outcome->rows.append(query.record());
                    }
                }
                if (!query.lastError().isValid()) {
                    return true;
                }
            }
        }
        reason = query.lastError().text();
    }
    noteFailure(reason);
    return false;
}

QStringList OrderDatabase::firstColumn(const QString& sql)
{
    QStringList values;
    Outcome outcome;
    if (run(sql, {}, &outcome)) {
        for (const QSqlRecord& row : std::as_const(outcome.rows)) {
            values << row.value(0).toString();
        }
    }
    return values;
}

bool OrderDatabase::findLoginUser(const QString& userName, const QString& password,
                                  std::optional<LoginUser>* user)
{
    user->reset();
    Outcome outcome;
    if (!run(QStringLiteral("select GroupID,bBlockUp from G_Sys_UserList where UserName =? and PWD=?"),
             {userName, password}, &outcome)) {
        return false;
    }
    if (!outcome.rows.isEmpty()) {
        const QSqlRecord& row = outcome.rows.constFirst();
        *user = LoginUser{row.value(0).toInt(), row.value(1).toBool()};
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
    Outcome ran;
    // The procedure's own result sets come first; the row of the final select carries bResult.
    if (!run(batch, values, &ran, QStringLiteral("bResult"))) {
        outcome.error = m_lastError;
        return outcome;
    }
    if (ran.rows.isEmpty()) {
        m_lastError = outcome.error = QStringLiteral("the procedure returned no result");
        return outcome;
    }
    outcome.ran = true;
    outcome.result = ran.rows.constFirst().value(QStringLiteral("bResult")).toString();
    return outcome;
}

bool OrderDatabase::embeddedReady()
{
    ++m_statements;
    return ready();
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
