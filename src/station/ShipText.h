#pragma once

#include <QString>

// Pieces of the station log lines.
namespace ShipText {

// The time of day that heads every line, "HH:mm:ss".
QString now();
// "{time} : {scan} : ".
QString head(const QString& scan);
// "商品:{goods}kg，包裹:{parcel}kg，差:{diff}kg，", the three weights in kilograms.
QString weights(const QString& goods, const QString& parcel, const QString& difference);
// Money and weights in the shortest general form (12, 12.5, 2.3).
QString number(double value);

} // namespace ShipText
