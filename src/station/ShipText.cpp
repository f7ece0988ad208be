#include "station/ShipText.h"

#include "base/DateFormats.h"
#include "postage/PostageText.h"

#include <QTime>

namespace ShipText {

QString now()
{
    return QTime::currentTime().toString(QString::fromLatin1(DateFormats::kTime));
}

QString head(const QString& scan)
{
    return now() + QStringLiteral(" : ") + scan + QStringLiteral(" : ");
}

QString weights(const QString& goods, const QString& parcel, const QString& difference)
{
    return QStringLiteral("商品:") + goods + QStringLiteral("kg，包裹:") + parcel +
           QStringLiteral("kg，差:") + difference + QStringLiteral("kg，");
}

QString number(double value)
{
    return PostageText::number(value);
}

} // namespace ShipText
