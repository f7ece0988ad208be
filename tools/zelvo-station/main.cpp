// zelvo-station: a scan-and-ship station without a window. Ships parcels given as arguments or as
// lines "WEIGHT_KG SCAN" on standard input, on the same stores and logic as the scan tab.
#include "app/HeadlessStation.h"
#include "base/InputRules.h"
#include "base/Prompter.h"
#include "station/ScanText.h"
#include "station/ShipText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
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

// Where the password comes from when it is not on the command line, which every user can read.
constexpr char kPasswordVariable[] = "ZELVO_PASSWORD";

// The first line of the password file, without its line end. False with the reason.
bool readPasswordFile(const QString& path, QString* password, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the password file %1: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    *password = QString::fromUtf8(line);
    return true;
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
        "Ships parcels like the scan tab, without a window. Give WEIGHT_KG SCAN pairs as arguments, or "
        "lines \"WEIGHT_KG SCAN\" on standard input, one parcel a line. A weight is what the weight box "
        "takes by keys: digits and one point, at most 6 characters; any other weight is refused as no "
        "weight value. Each station log line is printed as it is reported; message boxes go to "
        "standard error; control characters are printed as \\xHH. The password is read from "
        "--password-file, else from --password, else from the environment variable ZELVO_PASSWORD. Exit "
        "status: 0 when every parcel was shipped, 1 when one was not, 2 for wrong usage, 3 when the station "
        "could not start."));
    parser.addHelpOption();
    const QCommandLineOption dataDirOption(QStringLiteral("data-dir"),
                                           QStringLiteral("The data folder with login.db and Postage.db; a "
                                                          "folder without login.db gets the first start's "
                                                          "defaults and the demo shop."),
                                           QStringLiteral("DIR"));
    const QCommandLineOption userOption(QStringLiteral("user"), QStringLiteral("User name to log in with."),
                                        QStringLiteral("NAME"));
    const QCommandLineOption passwordOption(
        QStringLiteral("password"),
        QStringLiteral("The user's password. Other users see it in the process list: prefer "
                       "--password-file or ZELVO_PASSWORD."),
        QStringLiteral("PW"));
    const QCommandLineOption passwordFileOption(
        QStringLiteral("password-file"), QStringLiteral("A file whose first line is the user's password."),
        QStringLiteral("FILE"));
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
    parser.addOptions({dataDirOption, userOption, passwordOption, passwordFileOption, tradeNoOption,
                       answerOption, postageOption});
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
    for (const QCommandLineOption* needed : {&dataDirOption, &userOption}) {
        if (!parser.isSet(*needed)) {
            return usageError(err, parser,
                              QStringLiteral("--%1 is needed").arg(needed->names().constFirst()));
        }
    }
    HeadlessStation::Options options;
    options.dataDir = parser.value(dataDirOption);
    options.user = parser.value(userOption);
    if (parser.isSet(passwordFileOption) && parser.isSet(passwordOption)) {
        return usageError(err, parser, QStringLiteral("give either --password or --password-file"));
    }
    if (parser.isSet(passwordFileOption)) {
        QString error;
        if (!readPasswordFile(parser.value(passwordFileOption), &options.password, &error)) {
            return usageError(err, parser, error);
        }
    } else if (parser.isSet(passwordOption)) {
        options.password = parser.value(passwordOption);
    } else if (qEnvironmentVariableIsSet(kPasswordVariable)) {
        options.password = qEnvironmentVariable(kPasswordVariable);
    } else {
        return usageError(err, parser,
                          QStringLiteral("--password-file, ZELVO_PASSWORD or --password is needed"));
    }
    // Nothing started from here needs it.
    qunsetenv(kPasswordVariable);
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

    // Scans and database texts reach the terminal; none of their characters may act on it.
    const auto printLine = [&out](const QString& line) {
        out << ScanText::printable(line) << '\n';
        out.flush();
    };
    HeadlessStation station(options, printLine, [&err](const QString& text) {
        err << ScanText::printable(text) << '\n';
        err.flush();
    });
    QString error;
    if (!station.start(&error)) {
        err << "zelvo-station: " << error << '\n';
        return StartFailed;
    }

    // The weight as the scan tab's weight box would hold it. What its keys cannot type (1e1, +1,
    // -1, more than six characters) is no weight value, as the ship procedure says of a text that
    // is no number; a text the box's change check warns about is warned about in the same line.
    const auto ship = [&station, &printLine](const QString& weight, const QString& scan) {
        if (!InputRules::couldBeTyped(InputRules::kStationWeightKg, weight)) {
            station.session().prompter().inform(QStringLiteral("重量值类型错误!"));
            return false;
        }
        if (InputRules::startsIllegally(weight)) {
            printLine(ShipText::now() + QStringLiteral(" : 输入非法数据!!") + weight);
        }
        return wasShipped(station.ship(weight, scan));
    };
    bool allShipped = true;
    if (!positional.isEmpty()) {
        for (qsizetype i = 0; i < positional.size(); i += 2) {
            allShipped = ship(positional.at(i), positional.at(i + 1)) && allShipped;
        }
    } else {
        QTextStream in(stdin);
        QString line;
        while (in.readLineInto(&line)) {
            if (line.trimmed().isEmpty()) {
                continue;
            }
            const auto [weight, scan] = splitParcel(line);
            allShipped = ship(weight, scan) && allShipped;
        }
    }
    return allShipped ? AllShipped : NotAllShipped;
}
