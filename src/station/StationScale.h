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
};
