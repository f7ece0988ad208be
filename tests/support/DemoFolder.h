#pragma once

#include "TempDataFolder.h"

#include "app/StationStores.h"

#include <QtTest>

// A data folder as a first start leaves it: login.db, Postage.db and the demo shop.
struct DemoFolder
{
    TempDataFolder folder;
    StationStores stores{folder.path()};

    DemoFolder()
    {
        QString error;
        if (!stores.openLogin(&error) || !stores.openPostage(&error)) {
            qFatal("demo data folder: %s", qPrintable(error));
        }
    }
};
