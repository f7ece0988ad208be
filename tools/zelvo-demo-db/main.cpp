// zelvo-demo-db: writes an embedded order database holding a demo shop.
#include "store/DemoOrderData.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>

namespace {

enum ExitCode
{
    Success = 0,
    Failure = 1,
    BadUsage = 2
};

int usageError(QTextStream& err, const QCommandLineParser& parser, const QString& text)
{
    err << "zelvo-demo-db: " << text << "\n" << parser.helpText();
    return BadUsage;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelvo-demo-db"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a new embedded order database holding a demo shop (staff, goods, customers, "
                       "trades in every status)."));
    parser.addHelpOption();
    const QCommandLineOption tradesOption(
        QStringLiteral("trades"),
        QStringLiteral("Number of trades to generate (0 to %1, default %2).")
            .arg(kDemoMaxTrades)
            .arg(DemoOrderOptions().trades),
        QStringLiteral("N"));
    const QCommandLineOption seedOption(
        QStringLiteral("seed"),
        QStringLiteral("Seed of the generator; the same seed gives the same shop "
                       "(default %1).")
            .arg(DemoOrderOptions().seed),
        QStringLiteral("S"));
    parser.addOption(tradesOption);
    parser.addOption(seedOption);
    parser.addPositionalArgument(QStringLiteral("OUTPUT.db"),
                                 QStringLiteral("The file to create; must not exist."));

    if (!parser.parse(app.arguments())) {
        return usageError(err, parser, parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return Success;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        return usageError(err, parser, QStringLiteral("exactly one output file is needed"));
    }

    DemoOrderOptions options;
    if (parser.isSet(tradesOption)) {
        bool ok = false;
        options.trades = parser.value(tradesOption).toInt(&ok);
        if (!ok || options.trades < 0 || options.trades > kDemoMaxTrades) {
            return usageError(err, parser,
                              QStringLiteral("--trades wants a whole number from 0 to %1, not \"%2\"")
                                  .arg(kDemoMaxTrades)
                                  .arg(parser.value(tradesOption)));
        }
    }
    if (parser.isSet(seedOption)) {
        bool ok = false;
        options.seed = parser.value(seedOption).toUInt(&ok);
        if (!ok) {
            return usageError(err, parser,
                              QStringLiteral("--seed wants a whole number from 0 to 4294967295, not \"%1\"")
                                  .arg(parser.value(seedOption)));
        }
    }

    const QString path = positional.first();
    QElapsedTimer timer;
    timer.start();
    DemoOrderSummary summary;
    QString error;
    if (!createDemoOrderDatabase(path, options, &summary, &error)) {
        err << "zelvo-demo-db: " << error << "\n";
        return Failure;
    }
    const double seconds = timer.elapsed() / 1000.0;
    const double megabytes = QFileInfo(path).size() / (1024.0 * 1024.0);
    out << QStringLiteral("%1: %2 trades (%3 ready to ship, %4 shipped), %5 goods lines, %6 goods with %7 "
                          "variants, %8 customers, %9 log lines; seed %10; %11 s, %12 MB")
               .arg(path)
               .arg(summary.trades)
               .arg(summary.readyToShip)
               .arg(summary.shipped)
               .arg(summary.goodsLines)
               .arg(summary.goods)
               .arg(summary.specs)
               .arg(summary.customers)
               .arg(summary.logLines)
               .arg(options.seed)
               .arg(seconds, 0, 'f', 1)
               .arg(megabytes, 0, 'f', 1)
        << "\n";
    return Success;
}
