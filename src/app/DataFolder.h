#pragma once

#include <QString>

// The folder of login.db and Postage.db, and what the operator has to be told about it.
struct DataFolderChoice
{
    QString folder; // always ends with a separator
    // Set once, at the start that had to take another folder than the program's; empty otherwise.
    QString note;
};

// The program folder when the program can write there. Otherwise the per-user folder: one that holds
// a login.db already is used as it is; else the settings found beside the program (login.db,
// Postage.db and the embedded order database a relative server row names) are copied there, so
// that the station keeps its shop's server; else a new station starts there. When even the copy
// fails, the program folder is used as it is, and its settings cannot be changed.
DataFolderChoice chooseDataFolder(const QString& programFolder, const QString& perUserFolder);

// The same for the running program: the folder of its executable and the user's data folder.
DataFolderChoice chooseDataFolder();
