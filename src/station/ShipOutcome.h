#pragma once

// How a scan ended, for the large state on the scan tab and the headless station's exit code.
enum class ShipOutcome
{
    None,        // nothing was decided (login.db not open)
    Shipped,     // shipped, success line
    Overweight,  // shipped, with the overweight warning instead of the success line
    Abnormal,    // not shipped: the weight was abnormal and the operator declined
    Refused,     // not shipped for any other reason
    NotFound,    // no trade has this number
    WeighedOnly, // weighed and checked, shipping is switched off
    Unstable,    // not shipped: the weight did not settle
    ParcelOn,    // not shipped: the scale was not emptied since the last parcel
};

inline bool wasShipped(ShipOutcome outcome)
{
    return outcome == ShipOutcome::Shipped || outcome == ShipOutcome::Overweight;
}
