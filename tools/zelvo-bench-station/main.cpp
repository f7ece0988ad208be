// zelvo-bench-station: ships parcels one after the other through the headless station's logic
// against a large embedded order database, with typed weights, and measures the time from scan to
// log line, the order-database statements per parcel and the resident memory as the run goes on.
#include "../ReadyParcels.h"
#include "app/HeadlessStation.h"
#include "store/DemoOrderData.h"
#include "store/SqlConnection.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Resident memory of this process in kilobytes, from /proc; 0 where there is none.
qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong();
        }
    }
    return 0;
}

double percentile(std::vector<double> values, double share)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::ceil(share * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelvo-bench-station"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Ships parcels through the headless station against an embedded order database of many "
        "trades and reports scan-to-log-line times, statements per parcel and resident memory."));
    parser.addHelpOption();
    const QCommandLineOption dirOption(
        QStringLiteral("data-dir"),
        QStringLiteral("Station folder to use; its zelvo-demo.db is made first when missing (default: a "
                       "temporary folder)."),
        QStringLiteral("DIR"));
    const QCommandLineOption tradesOption(QStringLiteral("trades"),
                                          QStringLiteral("Trades of a new order database (default 1000000)."),
                                          QStringLiteral("N"), QStringLiteral("1000000"));
    const QCommandLineOption parcelsOption(QStringLiteral("parcels"),
                                           QStringLiteral("Parcels to ship in a row (default 10000)."),
                                           QStringLiteral("N"), QStringLiteral("10000"));
    parser.addOptions({dirOption, tradesOption, parcelsOption});
    parser.process(app);

    bool ok = false;
    const int trades = parser.value(tradesOption).toInt(&ok);
    if (!ok || trades < 1 || trades > kDemoMaxTrades) {
        err << "zelvo-bench-station: --trades wants 1 to " << kDemoMaxTrades << "\n";
        return 2;
    }
    const int parcelCount = parser.value(parcelsOption).toInt(&ok);
    if (!ok || parcelCount < 1) {
        err << "zelvo-bench-station: --parcels wants a positive number\n";
        return 2;
    }
    QTemporaryDir temporary;
    const QString folder = parser.isSet(dirOption) ? parser.value(dirOption) : temporary.path();
    QDir().mkpath(folder);
    const QString orderPath = QDir(folder).filePath(QString::fromLatin1(StationStores::kDemoFileName));

    QString error;
    if (!QFileInfo::exists(orderPath)) {
        out << "making an order database of " << trades << " trades ..." << Qt::endl;
        QElapsedTimer making;
        making.start();
        DemoOrderOptions options;
        options.trades = trades;
        options.reference = QDateTime(QDate(2014, 1, 6), QTime(18, 0));
        if (!createDemoOrderDatabase(orderPath, options, &error)) {
            err << "zelvo-bench-station: " << error << "\n";
            return 1;
        }
        out << "  made in " << making.elapsed() / 1000.0 << " s" << Qt::endl;
    }
    const std::vector<Parcel> parcels = readyParcels(orderPath, parcelCount, &error);
    if (parcels.empty()) {
        err << "zelvo-bench-station: no trade ready to ship " << error << "\n";
        return 1;
    }

    QElapsedTimer clock;
    qint64 lastLineNs = -1;
    QString lastLine;
    HeadlessStation::Options options;
    options.dataDir = folder;
    options.user = QString::fromLatin1(DemoLogins::kOperatorName);
    options.password = QString::fromLatin1(DemoLogins::kOperatorPassword);
    HeadlessStation station(
        options,
        [&](const QString& line) {
            lastLineNs = clock.nsecsElapsed();
            lastLine = line;
        },
        [&](const QString& message) { lastLine = message; });
    if (!station.start(&error)) {
        err << "zelvo-bench-station: " << error << "\n";
        return 1;
    }
    OrderDatabase& orderDb = station.session().orderDb();

    std::vector<double> millis;
    millis.reserve(parcels.size());
    quint64 statements = 0;
    quint64 fewest = ~quint64(0);
    quint64 most = 0;
    int shipped = 0;
    QStringList notShipped; // the first few, to see why
    QList<QPair<int, qint64>> memory{{0, residentKb()}};
    QElapsedTimer total;
    total.start();
    for (std::size_t i = 0; i < parcels.size(); ++i) {
        const quint64 before = orderDb.statementCount();
        lastLineNs = -1;
        lastLine.clear();
        clock.start();
        const ShipOutcome outcome = station.ship(parcels[i].weight, parcels[i].waybill);
        const qint64 endNs = lastLineNs >= 0 ? lastLineNs : clock.nsecsElapsed();
        millis.push_back(double(endNs) / 1.0e6);
        const quint64 used = orderDb.statementCount() - before;
        statements += used;
        fewest = std::min(fewest, used);
        most = std::max(most, used);
        shipped += wasShipped(outcome) ? 1 : 0;
        if (!wasShipped(outcome) && notShipped.size() < 5) {
            notShipped << parcels[i].waybill + QLatin1Char(' ') + lastLine;
        }
        if ((i + 1) % 1000 == 0 || i + 1 == parcels.size()) {
            memory.append({int(i + 1), residentKb()});
        }
    }
    const double seconds = double(total.elapsed()) / 1000.0;

    out << "parcels: " << parcels.size() << " (" << shipped << " shipped) in " << seconds << " s\n";
    for (const QString& line : notShipped) {
        out << "  not shipped: " << line << "\n";
    }
    out << "scan to log line, ms: median " << percentile(millis, 0.5) << ", p90 " << percentile(millis, 0.9)
        << ", p99 " << percentile(millis, 0.99) << ", max " << percentile(millis, 1.0) << "\n";
    out << "order-database statements per parcel: mean " << double(statements) / double(parcels.size())
        << ", fewest " << fewest << ", most " << most << "\n";
    out << "resident memory, kB after n parcels:";
    for (const auto& [count, kb] : memory) {
        out << " " << count << ":" << kb;
    }
    out << Qt::endl;
    return 0;
}
