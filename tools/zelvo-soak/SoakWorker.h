#pragma once

#include <QString>

// One station of a soak, run as its own process: logs in like zelvo-station, says "ready", waits for
// "go" on standard input, then ships its list and prints one report line per parcel:
// "<index>\t<outcome>\t<locked 0|1>\t<what the station said last>".
struct SoakWorkerOptions
{
    QString dataDir;
    QString user;
    QString password;
    QString listFile; // lines "<index> <weight kg> <scan>"
};

int runSoakWorker(const SoakWorkerOptions& options);

// What a report line's fields hold.
struct SoakReport
{
    int index = -1;
    int outcome = 0; // ShipOutcome as a number
    bool locked = false;
    QString said;

    static bool parse(const QString& line, SoakReport* report);
};
