#pragma once

#include "scale/ReaderConfig.h"

#include "scale/ScaleTypes.h"

#include <QSqlDatabase>
#include <QString>

class Prompter;
class ScaleReaderHost;
class ScaleView;
class StationSettings;

// The main window's scale settings, read from login.db at start and changed only by the scale
// settings dialog.
struct ScaleState
{
    // 1 = COM1.
    int portNumber = 0;
    // 0-based row of ScaleTypel: 0, 1, 2 and 4 are frame protocols, 3 is typed weights.
    int scaleTypeIndex = 0;
    int baudRate = 0;
    // Kilograms.
    double scaleRange = 0.0;
};

// What the operator confirmed in the scale settings dialog.
struct ScaleChoice
{
    // 1 = COM1; below 1 when no port is chosen.
    int portNumber = 0;
    // List position; -1 when no type is chosen.
    int scaleTypeIndex = -1;
    QString range;
    QString baudRate;
    // The device the chosen port stands for.
    QString device;
};

namespace ScaleSettingsApply {

// The reader the main window creates for these settings; the port number is looked up as a
// device in login.db.
ReaderConfig readerConfigFor(const ScaleState& state, QSqlDatabase& loginDb);

// The scale at the main window's showing: typed weights ("记住" captions, empty writable boxes)
// for the manual-entry type, otherwise a reader is started.
void startAtShow(const ScaleState& state, QSqlDatabase& loginDb, ScaleReaderHost& host, ScaleView& view);

// Applies a confirmed choice: checks it, stores it, replaces the reader or switches to typed
// weights. Every refusal is told through the prompter and changes nothing. Returns whether the
// choice was stored.
bool apply(const ScaleChoice& choice, ScaleState& state, StationSettings& settings, QSqlDatabase& loginDb,
           ScaleReaderHost& host, ScaleView& view, Prompter& prompter);

} // namespace ScaleSettingsApply
