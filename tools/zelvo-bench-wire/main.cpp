// zelvo-bench-wire: ships parcels through the headless station in the SQL Server dialect, over QODBC
// and FreeTDS, against the TDS stand-in server of the tests with a fixed delay before each of its
// answers, and reports the round trips per shipped parcel and the time from scan to log line.
#include "../ReadyParcels.h"
#include "app/HeadlessStation.h"
#include "app/ServerRow.h"
#include "app/StationStores.h"
#include "store/DemoOrderData.h"
#include "store/SqlConnection.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The stand-in server as a child process; stopped by closing its input.
class WireServer
{
public:
    WireServer(const QString& script, const QString& orderPath, const QString& folder)
        : m_log(QDir(folder).filePath(QStringLiteral("requests.jsonl")))
        , m_control(QDir(folder).filePath(QStringLiteral("faults.json")))
    {
        m_process.start(QStringLiteral("python3"),
                        {script, QStringLiteral("--db"), orderPath, QStringLiteral("--log"), m_log,
                         QStringLiteral("--control"), m_control});
        QByteArray out;
        while (!out.contains('\n') && m_process.waitForReadyRead(15000)) {
            out += m_process.readAllStandardOutput();
        }
        if (out.startsWith("PORT ")) {
            m_port = out.mid(5, out.indexOf('\n') - 5).trimmed().toInt();
        }
    }
    ~WireServer()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    int port() const { return m_port; }
    QString errors() { return QString::fromUtf8(m_process.readAllStandardError()); }

    bool setAnswerDelay(int ms)
    {
        QFile file(m_control + QStringLiteral(".new"));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(QJsonDocument(QJsonObject{{QStringLiteral("answer_delay_ms"), ms}}).toJson()) < 0) {
            return false;
        }
        file.close();
        QFile::remove(m_control);
        return QFile::rename(m_control + QStringLiteral(".new"), m_control);
    }

    // Request messages so far, by their trip numbers.
    QSet<int> trips() const
    {
        QSet<int> seen;
        for (const QJsonObject& entry : requests()) {
            seen.insert(entry.value(QStringLiteral("trip")).toInt());
        }
        return seen;
    }
    QList<QJsonObject> requests() const
    {
        QList<QJsonObject> entries;
        QFile file(m_log);
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : file.readAll().split('\n')) {
                const QJsonObject entry = QJsonDocument::fromJson(line).object();
                if (entry.contains(QStringLiteral("trip"))) {
                    entries << entry;
                }
            }
        }
        return entries;
    }

private:
    QString m_log;
    QString m_control;
    QProcess m_process;
    int m_port = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelvo-bench-wire"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Ships parcels in the SQL Server dialect against the TDS stand-in server with a delay "
                       "before each answer, and reports round trips per parcel and scan-to-log-line times."));
    parser.addHelpOption();
    const QCommandLineOption parcelsOption(QStringLiteral("parcels"),
                                           QStringLiteral("Parcels per delay (default 30)."),
                                           QStringLiteral("N"), QStringLiteral("30"));
    const QCommandLineOption delaysOption(
        QStringLiteral("delays"), QStringLiteral("Answer delays in ms, comma-separated (default 1,20)."),
        QStringLiteral("LIST"), QStringLiteral("1,20"));
    const QCommandLineOption scriptOption(QStringLiteral("server-script"),
                                          QStringLiteral("The TDS stand-in server script."),
                                          QStringLiteral("FILE"), QStringLiteral(ZELVO_TDS_SERVER_SCRIPT));
    parser.addOptions({parcelsOption, delaysOption, scriptOption});
    parser.process(app);

    bool ok = false;
    const int perDelay = parser.value(parcelsOption).toInt(&ok);
    if (!ok || perDelay < 1 || perDelay > 10000) {
        err << "zelvo-bench-wire: --parcels wants 1 to 10000\n";
        return 2;
    }
    std::vector<int> delays;
    for (const QString& text : parser.value(delaysOption).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int ms = text.trimmed().toInt(&ok);
        if (!ok || ms < 0 || ms > 10000) {
            err << "zelvo-bench-wire: --delays wants milliseconds from 0 to 10000\n";
            return 2;
        }
        delays.push_back(ms);
    }

    QTemporaryDir folder;
    const QString orderPath = folder.filePath(QStringLiteral("order.db"));
    DemoOrderOptions demo;
    demo.trades = std::max(400, perDelay * int(delays.size()) * 4);
    demo.reference = QDateTime(QDate(2014, 1, 6), QTime(18, 0));
    QString error;
    if (!createDemoOrderDatabase(orderPath, demo, &error)) {
        err << "zelvo-bench-wire: " << error << "\n";
        return 1;
    }
    const std::vector<Parcel> parcels = readyParcels(orderPath, perDelay * int(delays.size()), &error);
    if (parcels.size() < std::size_t(perDelay) * delays.size()) {
        err << "zelvo-bench-wire: too few trades ready to ship " << error << "\n";
        return 1;
    }

    WireServer server(parser.value(scriptOption), orderPath, folder.path());
    if (server.port() <= 0) {
        err << "zelvo-bench-wire: the server did not start: " << server.errors() << "\n";
        return 1;
    }
    // The station's folder points at the server before its first login.
    const QString stationDir = folder.filePath(QStringLiteral("station"));
    QDir().mkpath(stationDir);
    {
        StationStores stores(stationDir);
        if (!stores.openLogin(&error) ||
            !ServerRow::write(stores.loginDb(),
                              {QStringLiteral("127.0.0.1,%1").arg(server.port()), QStringLiteral("wdgj"),
                               QStringLiteral("zelvo"), QStringLiteral("bench")})) {
            err << "zelvo-bench-wire: login.db: " << error << "\n";
            return 1;
        }
    }

    QElapsedTimer clock;
    qint64 lastLineNs = -1;
    QString lastLine;
    HeadlessStation::Options options;
    options.dataDir = stationDir;
    options.user = QString::fromLatin1(DemoLogins::kOperatorName);
    options.password = QString::fromLatin1(DemoLogins::kOperatorPassword);
    // Postage rules live in the station's own file; typed postage keeps the run on the wire.
    options.postage = QStringLiteral("8");
    HeadlessStation station(
        options,
        [&](const QString& line) {
            lastLineNs = clock.nsecsElapsed();
            lastLine = line;
        },
        [&](const QString& message) { lastLine = message; });
    if (!station.start(&error)) {
        err << "zelvo-bench-wire: " << error << "\n";
        return 1;
    }
    OrderDatabase& orderDb = station.session().orderDb();

    out << "parcels per delay: " << perDelay << "\n";
    std::size_t next = 0;
    for (const int delay : delays) {
        if (!server.setAnswerDelay(delay)) {
            err << "zelvo-bench-wire: the delay could not be set\n";
            return 1;
        }
        std::vector<double> millis;
        int shipped = 0;
        const int tripsBefore = int(server.trips().size());
        const quint64 statementsBefore = orderDb.statementCount();
        QStringList notShipped;
        for (int i = 0; i < perDelay; ++i, ++next) {
            lastLineNs = -1;
            lastLine.clear();
            clock.start();
            const ShipOutcome outcome = station.ship(parcels[next].weight, parcels[next].waybill);
            millis.push_back(double(lastLineNs >= 0 ? lastLineNs : clock.nsecsElapsed()) / 1.0e6);
            if (wasShipped(outcome)) {
                ++shipped;
            } else if (notShipped.size() < 3) {
                notShipped << parcels[next].waybill + QLatin1Char(' ') + lastLine;
            }
        }
        const int trips = int(server.trips().size()) - tripsBefore;
        // What the round trips were: procedure calls by name, batches and cancels by kind.
        QMap<QString, int> kinds;
        const QList<QJsonObject> all = server.requests();
        for (qsizetype i = all.size() - 1;
             i >= 0 && all.at(i).value(QStringLiteral("trip")).toInt() > tripsBefore; --i) {
            const QString proc = all.at(i).value(QStringLiteral("proc")).toString();
            ++kinds[proc.isEmpty() ? all.at(i).value(QStringLiteral("kind")).toString() : proc];
        }
        const quint64 statements = orderDb.statementCount() - statementsBefore;
        out << "answer delay " << delay << " ms: " << shipped << " shipped; round trips per parcel "
            << (shipped ? double(trips) / shipped : 0.0) << "; statements per parcel "
            << (shipped ? double(statements) / shipped : 0.0) << "; scan to log line median "
            << median(millis) << " ms\n";
        out << "  requests per parcel:";
        for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) {
            out << " " << it.key() << " " << (shipped ? double(it.value()) / shipped : 0.0);
        }
        out << "\n";
        for (const QString& line : notShipped) {
            out << "  not shipped: " << line << "\n";
        }
        out.flush();
    }
    return 0;
}
