// zelvo-station: a scan-and-ship station without a window. Ships parcels given as arguments or as
// lines "WEIGHT_KG SCAN" on standard input, on the same stores and logic as the scan tab.
#include "app/HeadlessStation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cmath>
#include <cstdio>

namespace {

enum ExitCode
{
    AllShipped = 0,
    NotAllShipped = 1,
    BadUsage = 2,
    StartFailed = 3
};

int usageError(QTextStream& err, const QCommandLineParser& parser, const QString& text)
{
    err << "zelvo-station: " << text << "\n\n" << parser.helpText();
    err.flush();
    return BadUsage;
}

// A line "WEIGHT_KG SCAN": the first word is the weight, the rest the scan as it came.
std::pair<QString, QString> splitParcel(const QString& line)
{
    const QString text = line.trimmed();
    qsizetype blank = 0;
    while (blank < text.size() && !text.at(blank).isSpace()) {
        ++blank;
    }
    return {text.left(blank), text.mid(blank).trimmed()};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelvo-station"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Ships parcels like the scan tab, without a window. Give WEIGHT_KG SCAN pairs as arguments (put "
        "\"--\" "
        "before a negative weight), or lines \"WEIGHT_KG SCAN\" on standard input, one parcel a line. Each "
        "station log line is printed as it is reported; message boxes go to standard error. Exit status: 0 "
        "when every parcel was shipped, 1 when one was not, 2 for wrong usage, 3 when the station could not "
        "start."));
    parser.addHelpOption();
    const QCommandLineOption dataDirOption(QStringLiteral("data-dir"),
                                           QStringLiteral("The data folder with login.db and Postage.db; a "
                                                          "folder without login.db gets the first start's "
                                                          "defaults and the demo shop."),
                                           QStringLiteral("DIR"));
    const QCommandLineOption userOption(QStringLiteral("user"), QStringLiteral("User name to log in with."),
                                        QStringLiteral("NAME"));
    const QCommandLineOption passwordOption(QStringLiteral("password"),
                                            QStringLiteral("The user's password."), QStringLiteral("PW"));
    const QCommandLineOption tradeNoOption(QStringLiteral("trade-no"),
                                           QStringLiteral("Scans are trade numbers, not waybill numbers."));
    const QCommandLineOption answerOption(
        QStringLiteral("answer"), QStringLiteral("The answer to every question: yes or no (default no)."),
        QStringLiteral("yes|no"), QStringLiteral("no"));
    const QCommandLineOption postageOption(
        QStringLiteral("postage"),
        QStringLiteral("Postage typed by hand, in yuan; computed from the rules "
                       "when not given."),
        QStringLiteral("YUAN"));
    parser.addOptions(
        {dataDirOption, userOption, passwordOption, tradeNoOption, answerOption, postageOption});
    parser.addPositionalArgument(QStringLiteral("WEIGHT_KG SCAN"),
                                 QStringLiteral("One parcel; more pairs may follow."),
                                 QStringLiteral("[WEIGHT_KG SCAN ...]"));

    if (!parser.parse(app.arguments())) {
        return usageError(err, parser, parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return AllShipped;
    }
    for (const QCommandLineOption* needed : {&dataDirOption, &userOption, &passwordOption}) {
        if (!parser.isSet(*needed)) {
            return usageError(err, parser,
                              QStringLiteral("--%1 is needed").arg(needed->names().constFirst()));
        }
    }
    HeadlessStation::Options options;
    options.dataDir = parser.value(dataDirOption);
    options.user = parser.value(userOption);
    options.password = parser.value(passwordOption);
    options.tradeNumber = parser.isSet(tradeNoOption);
    const QString answer = parser.value(answerOption).toLower();
    if (answer != QLatin1String("yes") && answer != QLatin1String("no")) {
        return usageError(err, parser, QStringLiteral("--answer wants yes or no, not \"%1\"").arg(answer));
    }
    options.answer = answer == QLatin1String("yes");
    if (parser.isSet(postageOption)) {
        bool ok = false;
        const double yuan = parser.value(postageOption).toDouble(&ok);
        if (!ok || !std::isfinite(yuan) || yuan < 0) {
            return usageError(err, parser,
                              QStringLiteral("--postage wants an amount in yuan, not \"%1\"")
                                  .arg(parser.value(postageOption)));
        }
        options.postage = parser.value(postageOption);
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() % 2 != 0) {
        return usageError(err, parser, QStringLiteral("parcels are given as pairs WEIGHT_KG SCAN"));
    }

    HeadlessStation station(
        options,
        [&out](const QString& line) {
            out << line << '\n';
            out.flush();
        },
        [&err](const QString& text) {
            err << text << '\n';
            err.flush();
        });
    QString error;
    if (!station.start(&error)) {
        err << "zelvo-station: " << error << '\n';
        return StartFailed;
    }

    bool allShipped = true;
    if (!positional.isEmpty()) {
        for (qsizetype i = 0; i < positional.size(); i += 2) {
            allShipped = wasShipped(station.ship(positional.at(i), positional.at(i + 1))) && allShipped;
        }
    } else {
        QTextStream in(stdin);
        QString line;
        while (in.readLineInto(&line)) {
            if (line.trimmed().isEmpty()) {
                continue;
            }
            const auto [weight, scan] = splitParcel(line);
            allShipped = wasShipped(station.ship(weight, scan)) && allShipped;
        }
    }
    return allShipped ? AllShipped : NotAllShipped;
}
