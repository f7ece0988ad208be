#pragma once

#include "station/StationScale.h"

class ScaleReaderHost;
struct ScaleState;

// The main window's scale as the scan tab sees it: the settings as they stand (the scale settings
// dialog may change them while the program runs) and the program's single reader.
class ReaderScale : public StationScale
{
public:
    ReaderScale(const ScaleState& state, ScaleReaderHost& reader);

    int scaleTypeIndex() const override;
    double scaleRange() const override;
    void suspendReader() override;
    void resumeReader() override;
    bool isStable() const override;
    bool waitForStable(int ms) override;
    void markParcelShipped() override;
    bool readBelowSinceMark(double grams) const override;

private:
    const ScaleState& m_state;
    ScaleReaderHost& m_reader;
};
