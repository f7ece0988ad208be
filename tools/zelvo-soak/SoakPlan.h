#pragma once

#include <QHash>
#include <QList>
#include <QString>

// The parcels of a soak: main waybills of trades ready to ship and further waybills named in the
// remarks of trades already shipped, mixed in one fixed order, and which stations scan which.
struct SoakParcel
{
    QString scan;
    QString weightKg; // as typed, three decimals
    qint64 tradeId = 0;
    bool additional = false;
};

// A shipped trade whose further parcels are in the soak, as it stood before.
struct SoakTotals
{
    double packagedWeight = 0; // grams
    double postage = 0;        // yuan
};

struct SoakPlan
{
    QList<SoakParcel> parcels;
    QHash<qint64, SoakTotals> additionalTrades;

    // Reads the order database at orderPath: up to mainCount trades ready to ship with stock to spare
    // and up to additionalCount pending further waybills. False with *error when it cannot be read.
    bool load(const QString& orderPath, int mainCount, int additionalCount, QString* error);

    // The parcel indexes station `station` of `stations` scans, in the common order: each parcel
    // goes to `overlap` neighbouring stations, which therefore meet on it.
    QList<int> listFor(int station, int stations, int overlap) const;
};
