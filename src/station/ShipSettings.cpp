#include "station/ShipSettings.h"

#include "store/LocalQuery.h"

ShipSettings ShipSettings::read(QSqlDatabase* loginDb)
{
    ShipSettings settings;
    if (!loginDb || !loginDb->isOpen()) {
        return settings;
    }
    const auto row = LocalQuery::firstRow(
        *loginDb, QStringLiteral("select CheckSum,ChkOverWeight,PackageIDCheck,MultiPostID,ChkCalcWeightOnce "
                                 "from Initialization"));
    if (!row) {
        return settings;
    }
    const auto isOne = [&](int column) { return !row->isNull(column) && row->value(column).toInt() == 1; };
    settings.checkSum = isOne(0);
    settings.chkOverWeight = isOne(1);
    settings.packageIdCheck = isOne(2);
    settings.multiPostId = isOne(3);
    settings.calcWeightOnce = !row->isNull(4) && row->value(4).toInt() != 0;
    return settings;
}
