#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

class StationSettings;

// The scale settings in login.db besides the chosen port and type: Scale (ComNumber,
// ScaleNumber) and the scale models in ScaleTypel (ID, ScaleName, ScaleRange, BaudRate).
// Scale type index n is ScaleTypel row ID n + 1.
namespace ScaleSettingsStore {

struct Counts
{
    // How many ports (COM1 ... COMn) and how many scale types the settings dialog offers.
    int ports = 0;
    int types = 0;
};

// Reads the counts and brings an older file up to date: a file listing 3 types gains "VarnikA1",
// one listing 4 gains "VarnikB" (one step per call), and row 1 named "湘平ES" becomes "VarnikC".
// Without a Scale row both counts are 0 and nothing is upgraded.
std::optional<Counts> loadCountsAndUpgrade(QSqlDatabase& db, QString* error);

// The names of the first `count` scale types, in ID order.
QStringList typeNames(QSqlDatabase& db, int count);

struct TypeTexts
{
    QString name;
    QString range;
    QString baudRate;
};
std::optional<TypeTexts> typeTexts(QSqlDatabase& db, int id);

struct TypeValues
{
    // A range or baud rate that is not a number reads as 0.
    double range = 0.0;
    int baudRate = 0;
};
std::optional<TypeValues> typeValues(QSqlDatabase& db, int id);

// Stores the operator's choice as one change: port and type in the station's settings, range and
// baud rate in the type's row, and the device of the port when one is given. Fails, storing
// nothing, when a row is missing or a statement fails.
bool storeChoice(StationSettings& settings, int portNumber, int scaleTypeIndex, const QString& range,
                 const QString& baudRate, const QString& device, QString* error);

} // namespace ScaleSettingsStore
