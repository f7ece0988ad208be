// zelvo-soak: N stations, each its own process, on one embedded order database of many trades,
// shipping overlapping lists of main and further waybills at the same time. Reports parcels per
// second, double ships, lost writes and "database is locked" refusals for each N.
#include "SoakCheck.h"
#include "SoakPlan.h"
#include "SoakWorker.h"

#include "app/HeadlessStation.h"
#include "app/StationStores.h"
#include "store/DemoOrderData.h"
#include "store/SqlConnection.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int kStartMs = 300000;

struct User
{
    const char* name;
    const char* password;
};
constexpr User kUsers[] = {{DemoLogins::kOperatorName, DemoLogins::kOperatorPassword},
                           {DemoLogins::kAdminName, DemoLogins::kAdminPassword}};

// A station folder on a copy of the untouched order database, after its first start, with the
// options of a line that ships without questions: further waybills on, each parcel priced alone, no
// weight alarm, staff taken from the logged-in user.
bool prepareFolder(const QString& folder, const QString& pristine, QString* error)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString orderPath = QDir(folder).filePath(QString::fromLatin1(StationStores::kDemoFileName));
    if (!QFile::copy(pristine, orderPath)) {
        *error = QStringLiteral("cannot copy %1 to %2").arg(pristine, orderPath);
        return false;
    }
    {
        HeadlessStation::Options options;
        options.dataDir = folder;
        options.user = QString::fromLatin1(DemoLogins::kOperatorName);
        options.password = QString::fromLatin1(DemoLogins::kOperatorPassword);
        HeadlessStation first(options, {}, {});
        if (!first.start(error)) {
            return false;
        }
    }
    SqlConnection login(QStringLiteral("QSQLITE"), QStringLiteral("soak-login"));
    if (!openSqliteFile(login, QDir(folder).filePath(QStringLiteral("login.db")), error)) {
        return false;
    }
    QSqlQuery query(login.db());
    if (!query.exec(QStringLiteral("update Initialization set MultiPostID = 1, ChkCalcWeightOnce = 0, "
                                   "PickerCheck = 0, PackageOperatorCheck = 0, CheckAlarm = 0, "
                                   "ChkOverWeight = 0, check6 = 0"))) {
        *error = query.lastError().text();
        return false;
    }
    return true;
}

struct RunResult
{
    qint64 wallMs = 0;
    QList<SoakReport> reports;
};

// Starts the stations, lets them go at once when all are logged in, and gathers their reports.
bool runStations(const QString& folder, const SoakPlan& plan, int stations, int overlap, int limitSeconds,
                 RunResult* result, QString* error)
{
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < stations; ++i) {
        const QString listPath = QDir(folder).filePath(QStringLiteral("list-%1.txt").arg(i));
        QFile list(listPath);
        if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            *error = QStringLiteral("cannot write ") + listPath;
            return false;
        }
        for (const int index : plan.listFor(i, stations, overlap)) {
            const SoakParcel& parcel = plan.parcels.at(index);
            list.write(QStringLiteral("%1 %2 %3\n").arg(index).arg(parcel.weightKg, parcel.scan).toUtf8());
        }
        list.close();
        const User& user = kUsers[i % std::size(kUsers)];
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--worker"), QStringLiteral("--data-dir"), folder,
                        QStringLiteral("--user"), QString::fromLatin1(user.name),
                        QStringLiteral("--password"), QString::fromLatin1(user.password),
                        QStringLiteral("--list"), listPath});
        processes.push_back(std::move(process));
    }
    for (auto& process : processes) {
        if (!process->waitForReadyRead(kStartMs) || process->readLine().trimmed() != "ready") {
            *error = QStringLiteral("a station did not start");
            return false;
        }
    }
    QElapsedTimer clock;
    clock.start();
    for (auto& process : processes) {
        process->write("go\n");
        process->waitForBytesWritten(5000);
    }
    QByteArray output;
    for (auto& process : processes) {
        const qint64 left = qint64(limitSeconds) * 1000 - clock.elapsed();
        if (left <= 0 || !process->waitForFinished(int(left))) {
            *error = QStringLiteral("the stations did not finish within %1 s").arg(limitSeconds);
            for (auto& running : processes) {
                running->kill();
                running->waitForFinished(5000);
            }
            return false;
        }
        result->wallMs = clock.elapsed();
        if (process->exitCode() != 0) {
            *error = QStringLiteral("a station ended with status %1").arg(process->exitCode());
            return false;
        }
        output += process->readAllStandardOutput();
    }
    for (const QByteArray& line : output.split('\n')) {
        SoakReport report;
        if (SoakReport::parse(QString::fromUtf8(line), &report)) {
            result->reports.append(report);
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelvo-soak"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs N stations as separate processes on one embedded order database, each shipping a list of "
        "main and further waybills that overlaps its neighbours' lists, and reports parcels per second, "
        "double ships, lost writes and \"database is locked\" refusals. Exit status 1 when any parcel "
        "shipped twice or a write was lost."));
    parser.addHelpOption();
    const QCommandLineOption dirOption(QStringLiteral("data-dir"),
                                       QStringLiteral("Folder for the order database and the runs; its "
                                                      "soak-order.db is made first when missing (default: a "
                                                      "temporary folder)."),
                                       QStringLiteral("DIR"));
    const QCommandLineOption stationsOption(
        QStringLiteral("stations"), QStringLiteral("Station counts to run, one run each (default 1,2,4)."),
        QStringLiteral("N,…"), QStringLiteral("1,2,4"));
    const QCommandLineOption tradesOption(QStringLiteral("trades"),
                                          QStringLiteral("Trades of a new order database (default 100000)."),
                                          QStringLiteral("N"), QStringLiteral("100000"));
    const QCommandLineOption parcelsOption(
        QStringLiteral("parcels"), QStringLiteral("Main waybills of trades ready to ship (default 1500)."),
        QStringLiteral("N"), QStringLiteral("1500"));
    const QCommandLineOption extraOption(QStringLiteral("extra"),
                                         QStringLiteral("Further waybills of shipped trades (default 500)."),
                                         QStringLiteral("N"), QStringLiteral("500"));
    const QCommandLineOption overlapOption(QStringLiteral("overlap"),
                                           QStringLiteral("Stations that scan each parcel (default 2)."),
                                           QStringLiteral("K"), QStringLiteral("2"));
    const QCommandLineOption limitOption(QStringLiteral("time-limit"),
                                         QStringLiteral("Seconds one run may take (default 1800)."),
                                         QStringLiteral("S"), QStringLiteral("1800"));
    // One station of a run; started by the tool itself.
    QCommandLineOption workerOption(QStringLiteral("worker"));
    QCommandLineOption userOption(QStringLiteral("user"), QString(), QStringLiteral("NAME"));
    QCommandLineOption passwordOption(QStringLiteral("password"), QString(), QStringLiteral("PW"));
    QCommandLineOption listOption(QStringLiteral("list"), QString(), QStringLiteral("FILE"));
    for (QCommandLineOption* hidden : {&workerOption, &userOption, &passwordOption, &listOption}) {
        hidden->setFlags(QCommandLineOption::HiddenFromHelp);
    }
    parser.addOptions({dirOption, stationsOption, tradesOption, parcelsOption, extraOption, overlapOption,
                       limitOption, workerOption, userOption, passwordOption, listOption});
    parser.process(app);

    if (parser.isSet(workerOption)) {
        return runSoakWorker({parser.value(dirOption), parser.value(userOption), parser.value(passwordOption),
                              parser.value(listOption)});
    }

    const auto number = [&parser, &err](const QCommandLineOption& option, int low, int high, int* value) {
        bool ok = false;
        *value = parser.value(option).toInt(&ok);
        if (!ok || *value < low || *value > high) {
            err << "zelvo-soak: --" << option.names().constFirst() << " wants " << low << " to " << high
                << "\n";
            return false;
        }
        return true;
    };
    int trades = 0;
    int mainCount = 0;
    int extraCount = 0;
    int overlap = 0;
    int limitSeconds = 0;
    if (!number(tradesOption, 1, kDemoMaxTrades, &trades) || !number(parcelsOption, 0, 1000000, &mainCount) ||
        !number(extraOption, 0, 1000000, &extraCount) || !number(overlapOption, 1, 64, &overlap) ||
        !number(limitOption, 1, 86400, &limitSeconds)) {
        return 2;
    }
    QList<int> stationCounts;
    for (const QString& text : parser.value(stationsOption).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int count = text.trimmed().toInt(&ok);
        if (!ok || count < 1 || count > 64) {
            err << "zelvo-soak: --stations wants counts from 1 to 64, like 1,2,4\n";
            return 2;
        }
        stationCounts.append(count);
    }

    QTemporaryDir temporary;
    const QString base = parser.isSet(dirOption) ? parser.value(dirOption) : temporary.path();
    QDir().mkpath(base);
    const QString pristine = QDir(base).filePath(QStringLiteral("soak-order.db"));
    QString error;
    if (!QFileInfo::exists(pristine)) {
        out << "making an order database of " << trades << " trades ..." << Qt::endl;
        QElapsedTimer making;
        making.start();
        DemoOrderOptions options;
        options.trades = trades;
        options.reference = QDateTime(QDate(2014, 1, 6), QTime(18, 0));
        if (!createDemoOrderDatabase(pristine, options, &error)) {
            err << "zelvo-soak: " << error << "\n";
            return 1;
        }
        out << "  made in " << double(making.elapsed()) / 1000.0 << " s" << Qt::endl;
    }
    SoakPlan plan;
    if (!plan.load(pristine, mainCount, extraCount, &error)) {
        err << "zelvo-soak: " << error << "\n";
        return 1;
    }
    const auto extra = std::count_if(plan.parcels.cbegin(), plan.parcels.cend(),
                                     [](const SoakParcel& parcel) { return parcel.additional; });
    out << "parcels: " << plan.parcels.size() - extra << " main waybills, " << extra
        << " further waybills of " << plan.additionalTrades.size() << " shipped trades" << Qt::endl;

    bool clean = true;
    for (const int stations : stationCounts) {
        const QString folder = QDir(base).filePath(QStringLiteral("run-%1").arg(stations));
        const int each = std::min(overlap, stations);
        RunResult run;
        SoakFigures figures;
        if (!prepareFolder(folder, pristine, &error) ||
            !runStations(folder, plan, stations, each, limitSeconds, &run, &error) ||
            !checkSoak(QDir(folder).filePath(QString::fromLatin1(StationStores::kDemoFileName)), plan,
                       run.reports, &figures, &error)) {
            err << "zelvo-soak: " << stations << " stations: " << error << "\n";
            return 1;
        }
        const double seconds = double(run.wallMs) / 1000.0;
        out << "stations " << stations << " (each parcel scanned by " << each << "): " << figures.shipped
            << " of " << plan.parcels.size() << " parcels shipped in " << seconds
            << " s = " << QString::number(double(figures.shipped) / seconds, 'f', 1) << " parcels/s ("
            << figures.scans << " scans, " << QString::number(double(figures.scans) / seconds, 'f', 1)
            << " scans/s)\n"
            << "  double ships " << figures.doubleShips << ", lost writes " << figures.lostWrites
            << ", shipped unreported " << figures.unreported << ", \"database is locked\" refusals "
            << figures.lockRefusals << "\n";
        for (auto it = figures.notShipped.cbegin(); it != figures.notShipped.cend(); ++it) {
            out << "  not shipped " << it.value() << ": " << it.key() << "\n";
        }
        out.flush();
        clean = clean && figures.doubleShips == 0 && figures.lostWrites == 0;
    }
    return clean ? 0 : 1;
}
