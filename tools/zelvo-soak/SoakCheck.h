#pragma once

#include "SoakPlan.h"
#include "SoakWorker.h"

#include <QMap>

// What one soak run came to, read from the stations' reports and the order database afterwards.
struct SoakFigures
{
    int scans = 0;        // parcels scanned, counting every station
    int shipped = 0;      // parcels at least one station reported shipped
    int doubleShips = 0;  // parcels shipped more than once, by the reports or by the database
    int lostWrites = 0;   // reported shipped but missing from the database, or totals that do not add up
    int unreported = 0;   // shipped in the database with no station reporting it
    int lockRefusals = 0; // scans refused with "database is locked"
    QMap<QString, int> notShipped; // why the parcels no station shipped stayed, by the last words
};

bool checkSoak(const QString& orderPath, const SoakPlan& plan, const QList<SoakReport>& reports,
               SoakFigures* figures, QString* error);
