#pragma once

#include "base/ReportSink.h"
#include "station/StationLog.h"

#include <functional>

class SoundPlayer;

// The station's report operations: each puts its line into the station log and plays its sound.
// The listener hears every line as it is reported (the scan tab redraws Memo1, the headless
// station prints it).
class StationReport : public ReportSink
{
public:
    using Listener = std::function<void(const QString& line)>;

    explicit StationReport(SoundPlayer& sounds, Listener listener = {});

    void reportResult(const QString& line, bool success) override;
    void reportAbnormal(const QString& line) override;
    void reportOverweight(const QString& line) override;
    void trimLog() override;

    const StationLog& log() const { return m_log; }
    StationLog& log() { return m_log; }

private:
    void report(const QString& line, const char* sound);

    SoundPlayer& m_sounds;
    Listener m_listener;
    StationLog m_log;
};
