#pragma once

#include <QSqlDatabase>
#include <QString>

class OrderDatabase;
class Prompter;
class ReportSink;
class SoundPlayer;
class StationScale;
class StationSettings;

// Everything a ship run works with besides the scan tab's boxes.
struct StationServices
{
    OrderDatabase& orderDb;
    StationSettings& settings;
    QSqlDatabase* postageDb; // nullptr when Postage.db is not open
    Prompter& prompter;
    ReportSink& sink;
    SoundPlayer& sounds;
    QString operatorName;    // the logged-in user, recorded in the trades
    int scaleTypeIndex = -1; // kManualScaleTypeIndex: typed weights
    double scaleRange = 0;   // kilograms
    // The reader's scale, for its stable mark and empty-scale watch; nullptr where weights can
    // only be typed.
    StationScale* scale = nullptr;
};
