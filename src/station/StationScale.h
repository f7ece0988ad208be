#pragma once

#include "scale/ScaleTypes.h"

// What the scan tab needs of the main window's scale: which type is chosen, its range, and the
// reader to hold while a weight is typed by hand.
class StationScale
{
public:
    virtual ~StationScale() = default;
    // 0-based row of ScaleTypel; kManualScaleTypeIndex means weights are typed and no reader runs.
    virtual int scaleTypeIndex() const = 0;
    // Capacity in kilograms.
    virtual double scaleRange() const = 0;
    // Both do nothing when no reader runs or it has ended.
    virtual void suspendReader() = 0;
    virtual void resumeReader() = 0;

    // Whether the reader's weight has settled; false when no reader runs.
    virtual bool isStable() const = 0;
    // Waits at most `ms` for a settled weight, the window's events going on meanwhile (the weight
    // box keeps following the scale). True as soon as the weight is stable.
    virtual bool waitForStable(int ms) = 0;
    // The empty-scale watch: a parcel has just been shipped from the scale; and whether the scale
    // has read below `grams` since (true when nothing was shipped yet).
    virtual void markParcelShipped() = 0;
    virtual bool readBelowSinceMark(double grams) const = 0;
};
