// zelvo-query: the query tab's search without a window, for nightly reports and for checking a
// filter. Prints the status texts and the rows of one page, and writes the page or every trade
// found to a workbook as the tab's export buttons do.
#include "app/StationSession.h"
#include "base/SoundPlayer.h"
#include "query/QueryCondition.h"
#include "query/QueryRun.h"
#include "station/AnsweringPrompter.h"
#include "station/ScanText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {

enum ExitCode
{
    Success = 0,
    Failure = 1,
    BadUsage = 2,
    StartFailed = 3
};

class Silence : public SoundPlayer
{
public:
    void play(const QString&) override {}
};

int usageError(QTextStream& err, const QCommandLineParser& parser, const QString& text)
{
    err << "zelvo-query: " << text << "\n" << parser.helpText();
    return BadUsage;
}

bool readDate(const QString& text, QDate* date)
{
    *date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    return date->isValid();
}

// The serial number and the shown columns of a row, tab-separated.
QString rowLine(const QStringList& row, const QList<bool>& shown)
{
    // Database texts reach the terminal: none of their characters may act on it.
    QStringList cells{ScanText::printable(row.value(0))};
    for (int column = 0; column < shown.size(); ++column) {
        if (shown[column]) {
            cells << ScanText::printable(row.value(column + 1));
        }
    }
    return cells.join(QLatin1Char('\t'));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelvo-query"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Searches shipped trades like the query tab and prints its two status texts, the title row and the "
        "rows of one page (the serial number and the shown columns, tab-separated). Page size, shown "
        "columns and sums are the data folder's settings. Message boxes go to standard error. Exit status: "
        "0 on success, 1 when the search or export was refused or failed, 2 for wrong usage, 3 when the "
        "data folder could not be used."));
    parser.addHelpOption();
    const QCommandLineOption dataDirOption(
        QStringLiteral("data-dir"), QStringLiteral("The data folder with login.db."), QStringLiteral("DIR"));
    const QCommandLineOption fromOption(QStringLiteral("from"), QStringLiteral("First shipping day."),
                                        QStringLiteral("yyyy-mm-dd"));
    const QCommandLineOption toOption(QStringLiteral("to"), QStringLiteral("Last shipping day."),
                                      QStringLiteral("yyyy-mm-dd"));
    const QCommandLineOption searchTypeOption(
        QStringLiteral("search-type"),
        QStringLiteral(
            "1 waybill, 2 order number, 3 customer nick, 4 recipient, 5 goods, 6 shop, 7 logistics, "
            "8 customer ID, 9 telephone."),
        QStringLiteral("N"));
    const QCommandLineOption valueOption(QStringLiteral("value"), QStringLiteral("The value searched for."),
                                         QStringLiteral("V"));
    const QCommandLineOption fuzzyOption(QStringLiteral("fuzzy"), QStringLiteral("Values match anywhere."));
    const QCommandLineOption shopOption(QStringLiteral("shop"), QStringLiteral("Shop name."),
                                        QStringLiteral("S"));
    const QCommandLineOption expressOption(QStringLiteral("express"), QStringLiteral("Logistics company."),
                                           QStringLiteral("E"));
    const QCommandLineOption operatorOption(QStringLiteral("operator"), QStringLiteral("Shipping operator."),
                                            QStringLiteral("O"));
    const QCommandLineOption weightTypeOption(
        QStringLiteral("weight-type"),
        QStringLiteral("1 goods weight, 2 parcel weight, 3 weight difference."), QStringLiteral("N"));
    const QCommandLineOption weightFromOption(QStringLiteral("weight-from"), QStringLiteral("Grams from."),
                                              QStringLiteral("G"));
    const QCommandLineOption weightToOption(QStringLiteral("weight-to"), QStringLiteral("Grams to."),
                                            QStringLiteral("G"));
    const QCommandLineOption pageOption(QStringLiteral("page"), QStringLiteral("The page shown (default 1)."),
                                        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption exportOption(
        QStringLiteral("export"), QStringLiteral("Writes the page shown to a workbook (.xls or .xlsx)."),
        QStringLiteral("FILE"));
    const QCommandLineOption allOption(QStringLiteral("all"),
                                       QStringLiteral("With --export: every trade found, not the page."));
    parser.addOptions({dataDirOption, fromOption, toOption, searchTypeOption, valueOption, fuzzyOption,
                       shopOption, expressOption, operatorOption, weightTypeOption, weightFromOption,
                       weightToOption, pageOption, exportOption, allOption});
    if (!parser.parse(app.arguments())) {
        return usageError(err, parser, parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return Success;
    }
    for (const QCommandLineOption* needed : {&dataDirOption, &fromOption, &toOption}) {
        if (!parser.isSet(*needed)) {
            return usageError(err, parser,
                              QStringLiteral("--%1 is needed").arg(needed->names().constFirst()));
        }
    }
    QueryFilters filters;
    if (!readDate(parser.value(fromOption), &filters.from) ||
        !readDate(parser.value(toOption), &filters.to)) {
        return usageError(err, parser, QStringLiteral("dates are written yyyy-mm-dd"));
    }
    const auto position = [&](const QCommandLineOption& option, int last, int* value) {
        if (!parser.isSet(option)) {
            return true;
        }
        bool ok = false;
        *value = parser.value(option).toInt(&ok);
        return ok && *value >= 0 && *value <= last;
    };
    int page = 1;
    if (!position(searchTypeOption, SearchType::kLast, &filters.searchType) ||
        !position(weightTypeOption, 3, &filters.weightType) || !position(pageOption, INT_MAX, &page) ||
        page < 1) {
        return usageError(err, parser, QStringLiteral("--search-type, --weight-type or --page out of range"));
    }
    if (parser.isSet(allOption) && !parser.isSet(exportOption)) {
        return usageError(err, parser, QStringLiteral("--all goes with --export"));
    }
    if (parser.isSet(exportOption) &&
        !parser.value(exportOption).endsWith(QStringLiteral(".xls"), Qt::CaseInsensitive) &&
        !parser.value(exportOption).endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)) {
        return usageError(err, parser, QStringLiteral("--export wants a file ending in .xls or .xlsx"));
    }
    filters.value = parser.value(valueOption);
    filters.fuzzy = parser.isSet(fuzzyOption);
    filters.shop = parser.value(shopOption);
    filters.logistic = parser.value(expressOption);
    filters.operatorName = parser.value(operatorOption);
    filters.weightFrom = parser.value(weightFromOption);
    filters.weightTo = parser.value(weightToOption);

    AnsweringPrompter prompter(false, [&err](const QString& text) {
        err << ScanText::printable(text) << '\n';
        err.flush();
    });
    Silence silence;
    StationSession session(parser.value(dataDirOption), prompter, silence);
    QString error;
    StationSettings::Options options;
    QList<bool> shown;
    if (!session.start(&error) || !session.settings().read(&options, &error) ||
        !session.settings().shownColumns(&shown, &error)) {
        err << "zelvo-query: " << error << '\n';
        return StartFailed;
    }
    OrderDatabase db;
    if (!db.open(session.context().server, session.context().programFolder, &error)) {
        err << "zelvo-query: " << error << '\n';
        return StartFailed;
    }

    OrderDatabase::TradeFilter filter;
    if (!QueryCondition::build(filters, db.dialect(), &filter, &error)) {
        prompter.inform(error);
        return Failure;
    }
    const QueryColumns::SumFlags flags = QueryColumns::sumFlags(shown);
    QueryRun::Shown shownPage = QueryRun::search(db, filter, options.pageSize.trimmed().toInt(), flags);
    if (shownPage.ok && page > 1) {
        QueryPaging target = shownPage.paging;
        while (target.currentPage() < page && target.hasNext()) {
            target = target.next();
        }
        if (target.currentPage() != page) {
            err << "zelvo-query: the search has " << std::max<qint64>(1, shownPage.paging.pageCount())
                << " page(s)\n";
            return Failure;
        }
        shownPage = QueryRun::page(db, filter, target, flags);
    }
    if (!shownPage.message.isEmpty()) {
        prompter.inform(shownPage.message);
    }
    if (!shownPage.ok) {
        return Failure;
    }
    out << shownPage.rangeText << '\n' << shownPage.totalText << '\n';
    if (!shownPage.rows.isEmpty()) {
        QStringList titles;
        for (int column = 0; column < QueryColumns::kCount; ++column) {
            titles << QueryColumns::title(column);
        }
        out << rowLine(titles, shown) << '\n';
        for (const QStringList& row : shownPage.rows) {
            out << rowLine(row, shown) << '\n';
        }
    }
    out.flush();

    if (!parser.isSet(exportOption)) {
        return Success;
    }
    const QString path = parser.value(exportOption);
    std::unique_ptr<WorkbookWriter> writer = makeWorkbookWriter(path);
    const QueryRun::Exported exported =
        parser.isSet(allOption)
            ? QueryRun::exportAll(db, filter, shownPage.paging.total(), shown, *writer, {})
            : QueryRun::exportPage(shownPage.rows, QueryColumns::anySum(flags), shown, *writer, {});
    prompter.inform(exported.message);
    return exported.ok ? Success : Failure;
}
