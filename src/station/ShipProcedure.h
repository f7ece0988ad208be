#pragma once

#include "station/ShipOutcome.h"
#include "store/OrderDatabase.h"
#include "store/StationSettings.h"

#include <QString>

#include <optional>

class ScanView;
struct StationServices;

// The ship procedure (Button1Click): weigh, find the trade, check the weight, price the parcel,
// take the stock out and close the trade, and tell the operator by sound and log line. One object
// runs one scan.
class ShipProcedure
{
public:
    ShipProcedure(StationServices& services, ScanView& view);
    ShipOutcome run();

    // What a statement failure on the order database tells the operator: a line in the log with
    // the failure sound when the connection has gone or the database names a known cause (a lock,
    // a missing table …), otherwise the message in a box. Shared with the additional-waybill path.
    static ShipOutcome stopOnDatabase(StationServices& services, const QString& scan, const QString& message);
    // The final focus step: Edit2 for typed weights without CheckBox1, otherwise Edit1.
    static void focusForNextScan(const StationServices& services, ScanView& view);

private:
    using Trade = OrderDatabase::StationTrade;

    ShipOutcome steps();
    // Steps 4 and 5: W from the weight box, or how the run stops.
    std::optional<ShipOutcome> takeWeight();
    // The weight guards of the options: the scale emptied since the last parcel, a settled weight.
    std::optional<ShipOutcome> guardWeight();
    // A weight typed by hand, never read from the scale.
    bool typedWeight() const;
    ShipOutcome fail(const QString& line, ShipOutcome outcome = ShipOutcome::Refused);
    ShipOutcome inform(const QString& text);
    ShipOutcome finish(ShipOutcome outcome);
    ShipOutcome databaseStop(const QString& message);
    // Postage for the trade: P and whether the overweight warning replaced the success line.
    std::optional<ShipOutcome> price(const Trade& trade);
    std::optional<ShipOutcome> takeStockOut(const Trade& trade);
    // "订单状态错误!": the trade does not wait to be shipped (any more).
    ShipOutcome statusError();
    // A station write on the trade: nothing when it was written, otherwise how the run stops.
    std::optional<ShipOutcome> guarded(OrderDatabase::GuardedWrite write);
    // G_TradeOver's refusal (or the refusal it would give) in a box with the failure sound.
    ShipOutcome refuseClosing(const QString& reason);
    // The three weights of the report lines, "商品:…kg，包裹:…kg，差:…kg，".
    QString weights() const;

    StationServices& m_services;
    ScanView& m_view;
    StationSettings::Options m_settings;
    QString m_scan;
    qint32 m_weight = 0;     // W, grams
    double m_expected = 0;   // E, grams
    qint32 m_difference = 0; // D, grams
    double m_postage = 0;    // P, yuan
    bool m_successReport = true;
};
