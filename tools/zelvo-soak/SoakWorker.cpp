#include "SoakWorker.h"

#include "app/HeadlessStation.h"

#include <QFile>
#include <QTextStream>

#include <algorithm>

namespace {

bool mentionsLock(const QString& text)
{
    return text.contains(QLatin1String("database is locked"));
}

// One line of the report: no tabs or line breaks inside a field.
QString flat(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

int runSoakWorker(const SoakWorkerOptions& options)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QFile listFile(options.listFile);
    if (!listFile.open(QIODevice::ReadOnly | QIODevice::Text)) {
        err << "zelvo-soak: cannot read " << options.listFile << "\n";
        return 1;
    }
    struct Entry
    {
        int index;
        QString weight;
        QString scan;
    };
    QList<Entry> entries;
    for (const QByteArray& raw : listFile.readAll().split('\n')) {
        const QStringList fields = QString::fromUtf8(raw).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() == 3) {
            entries.append({fields[0].toInt(), fields[1], fields[2]});
        }
    }

    QStringList said; // what the station said for the current parcel
    HeadlessStation::Options stationOptions;
    stationOptions.dataDir = options.dataDir;
    stationOptions.user = options.user;
    stationOptions.password = options.password;
    stationOptions.answer = true;
    HeadlessStation station(
        stationOptions, [&said](const QString& line) { said.append(line); },
        [&said](const QString& message) { said.append(message); });
    QString error;
    if (!station.start(&error)) {
        err << "zelvo-soak: " << error << "\n";
        return 1;
    }
    out << "ready" << Qt::endl;
    QTextStream in(stdin);
    if (in.readLine() != QLatin1String("go")) {
        return 1;
    }

    OrderDatabase& orderDb = station.session().orderDb();
    for (const Entry& entry : entries) {
        said.clear();
        const QString errorBefore = orderDb.lastError();
        const ShipOutcome outcome = station.ship(entry.weight, entry.scan);
        bool locked = std::any_of(said.cbegin(), said.cend(), mentionsLock);
        // Procedure failures show their own words; the reason stays with the connection.
        if (!wasShipped(outcome) && orderDb.lastError() != errorBefore && mentionsLock(orderDb.lastError())) {
            locked = true;
        }
        // The last thing the station said, questions aside: its success line or why it stopped.
        QString last;
        for (const QString& text : said) {
            if (!text.startsWith(QStringLiteral("询问: "))) {
                last = text;
            }
        }
        out << entry.index << '\t' << int(outcome) << '\t' << (locked ? 1 : 0) << '\t' << flat(last) << '\n';
    }
    out.flush();
    return 0;
}

bool SoakReport::parse(const QString& line, SoakReport* report)
{
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() != 4) {
        return false;
    }
    bool ok = false;
    report->index = fields[0].toInt(&ok);
    if (!ok) {
        return false;
    }
    report->outcome = fields[1].toInt(&ok);
    report->locked = fields[2] == QLatin1String("1");
    report->said = fields[3];
    return ok;
}
