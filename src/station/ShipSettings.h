#pragma once

#include <QSqlDatabase>

// The options of login.db a ship run reads at its start. Each counts as on when it holds exactly
// 1, except the one-first-weight mode, which is on whenever it is not 0.
struct ShipSettings
{
    bool checkSum = false;       // expected weight from the goods list (and the package)
    bool chkOverWeight = false;  // warn about parcels heavier than their first weight
    bool packageIdCheck = false; // the package is recorded
    bool multiPostId = false;    // several waybills for one trade
    bool calcWeightOnce = false; // several waybills charge one first weight

    // The first row of Initialization; all off when there is none or login.db is not open.
    static ShipSettings read(QSqlDatabase* loginDb);
};
