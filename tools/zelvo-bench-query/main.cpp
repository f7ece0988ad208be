// zelvo-bench-query: times the query tab's database work on an embedded order database of a
// million trades: searches (count and first page) with several filters, the 1,000th page, and the
// full export of 100,000 trades to .xls and to .xlsx with the peak resident memory of each.
//
//   zelvo-bench-query [ORDER.db] [--trades N] [--export-records N]
//
// ORDER.db is made by the demo generator when it does not exist yet (about 35 s for a million
// trades) and kept, so later runs measure at once.
#include "query/QueryCondition.h"
#include "query/QueryRun.h"
#include "store/DemoOrderData.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <ctime>
#include <functional>

namespace {

// Peak resident memory in MB since the last reset.
double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return -1;
}

// Starts the peak of the next measurement at the memory now in use.
void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) {
        refs.write("5");
    }
}

double cpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The time a piece of work took: on the clock, and of the processor (the machine may be busy with
// other work, which only the first includes).
struct Timing
{
    double wall = 0;
    double cpu = 0;

    QString text() const
    {
        return QStringLiteral("%1 ms (cpu %2 ms)").arg(wall, 0, 'f', 1).arg(cpu, 0, 'f', 1);
    }
};

Timing timeOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    const double cpuStart = cpuMilliseconds();
    timer.start();
    work();
    return Timing{timer.nsecsElapsed() / 1e6, cpuMilliseconds() - cpuStart};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times searches, paging and full exports of the query tab."));
    parser.addHelpOption();
    const QCommandLineOption tradesOption(
        QStringLiteral("trades"), QStringLiteral("Trades of a newly made database (default 1000000)."),
        QStringLiteral("N"), QStringLiteral("1000000"));
    const QCommandLineOption exportOption(QStringLiteral("export-records"),
                                          QStringLiteral("Trades of each full export (default 100000)."),
                                          QStringLiteral("N"), QStringLiteral("100000"));
    parser.addOptions({tradesOption, exportOption});
    parser.addPositionalArgument(QStringLiteral("ORDER.db"),
                                 QStringLiteral("The order database to use or make."));
    parser.process(app);

    QTemporaryDir scratch;
    const QString path = parser.positionalArguments().value(0, scratch.filePath(QStringLiteral("order.db")));
    if (!QFileInfo::exists(path)) {
        DemoOrderOptions options;
        options.trades = parser.value(tradesOption).toInt();
        QString error;
        QElapsedTimer made;
        made.start();
        if (!createDemoOrderDatabase(path, options, &error)) {
            std::fprintf(stderr, "zelvo-bench-query: %s\n", qPrintable(error));
            return 1;
        }
        out << QStringLiteral("made %1 with %2 trades in %3 s\n")
                   .arg(path)
                   .arg(options.trades)
                   .arg(made.elapsed() / 1000.0);
    }
    OrderDatabase db;
    QString error;
    if (!db.open(ServerSettings{QStringLiteral("sqlite:") + path, {}, {}, {}}, QString(), &error)) {
        std::fprintf(stderr, "zelvo-bench-query: %s\n", qPrintable(error));
        return 1;
    }

    // Every trade the generator ships lies in the weeks before today.
    QueryFilters all;
    all.to = QDate::currentDate();
    all.from = all.to.addDays(-60);
    const QueryColumns::SumFlags sums{true, true, true, true};
    const int pageSize = 50;
    struct Case
    {
        const char* name;
        std::function<void(QueryFilters&)> change;
    };
    const Case cases[] = {
        {"all trades of 60 days", {}},
        {"one day", [](QueryFilters& f) { f.from = f.to.addDays(-7), f.to = f.from; }},
        {"waybill", [](QueryFilters& f) { f.searchType = 1, f.value = QStringLiteral("YT4300002255"); }},
        {"order number fuzzy",
         [](QueryFilters& f) { f.searchType = 2, f.value = QStringLiteral("00012"), f.fuzzy = true; }},
        {"shop and operator",
         [](QueryFilters& f) {
             f.shop = QStringLiteral("南山食品小铺"), f.operatorName = QStringLiteral("周敏");
         }},
        {"weight difference 100 to 200 g",
         [](QueryFilters& f) { f.weightType = 3, f.weightFrom = "100", f.weightTo = "200"; }},
    };
    QueryRun::Shown first;
    OrderDatabase::TradeFilter allFilter;
    for (const Case& item : cases) {
        QueryFilters filters = all;
        if (item.change) {
            item.change(filters);
        }
        OrderDatabase::TradeFilter filter;
        if (!QueryCondition::build(filters, db.dialect(), &filter, &error)) {
            std::fprintf(stderr, "zelvo-bench-query: %s\n", qPrintable(error));
            return 1;
        }
        QueryRun::Shown shown;
        const Timing timing = timeOf([&] { shown = QueryRun::search(db, filter, pageSize, sums); });
        out << QStringLiteral("search %1: %2, %3 found\n")
                   .arg(QLatin1String(item.name), -32)
                   .arg(timing.text())
                   .arg(shown.paging.total());
        if (!item.change) {
            first = shown;
            allFilter = filter;
        }
    }
    if (first.paging.pageCount() >= 1000) {
        QueryPaging target = first.paging;
        while (target.currentPage() < 1000) {
            target = target.next();
        }
        QueryRun::Shown page;
        const Timing timing = timeOf([&] { page = QueryRun::page(db, allFilter, target, sums); });
        out << QStringLiteral("page 1000 (%1): %2\n").arg(page.rangeText, timing.text());
        const QueryPaging back = target.previous();
        const Timing backTiming = timeOf([&] { page = QueryRun::page(db, allFilter, back, sums); });
        out << QStringLiteral("page 999 (%1): %2\n").arg(page.rangeText, backTiming.text());
    }
    out.flush();

    const qint64 records = std::min<qint64>(parser.value(exportOption).toLongLong(), first.paging.total());
    const QList<bool> shown(22, true);
    {
        // What reading the trades costs an export, without the workbook.
        qint64 read = 0;
        const Timing timing = timeOf([&] {
            db.eachTrade(allFilter, records, [&read, records](const OrderDatabase::FoundTrade& trade) {
                read += QueryColumns::listRow(read + 1, trade).size() > 0;
                return read < records;
            });
        });
        out << QStringLiteral("read %1 trades for an export: %2\n").arg(read).arg(timing.text());
    }
    for (const char* extension : {"xls", "xlsx"}) {
        const QString file = scratch.filePath(QStringLiteral("export.") + QLatin1String(extension));
        std::unique_ptr<WorkbookWriter> writer = makeWorkbookWriter(file);
        resetPeak();
        QueryRun::Exported exported;
        const Timing timing =
            timeOf([&] { exported = QueryRun::exportAll(db, allFilter, records, shown, *writer, {}); });
        out << QStringLiteral("export %1 trades to .%2: %3, peak %4 MB, %5 MB file, %6\n")
                   .arg(records)
                   .arg(QLatin1String(extension), timing.text())
                   .arg(peakMegabytes(), 0, 'f', 0)
                   .arg(QFileInfo(file).size() / (1024.0 * 1024.0), 0, 'f', 1)
                   .arg(exported.message);
        out.flush();
    }
    return 0;
}
