#pragma once

#include "station/ShipOutcome.h"
#include "store/StationSettings.h"

#include <QString>

#include <optional>

class ScanView;
struct StationServices;

// A scan that matches no trade may be a further parcel of a trade already shipped: its number
// stands in the trade's remark after "附加单号". The parcel is priced, added to the trade's
// totals, marked as shipped in the remark and written to the trade log.
class AdditionalWaybill
{
public:
    AdditionalWaybill(StationServices& services, ScanView& view, const StationSettings::Options& settings,
                      const QString& scan);
    ShipOutcome run();

private:
    // One read, price and write of the parcel; nothing when another station changed the trade's
    // remark between the read and the write.
    std::optional<ShipOutcome> attemptShip();
    ShipOutcome fail(const QString& line, ShipOutcome outcome = ShipOutcome::Refused);
    // "{time} : 附加单号{scan} : ".
    QString head() const;

    StationServices& m_services;
    ScanView& m_view;
    StationSettings::Options m_settings;
    QString m_scan;
};
