#pragma once

#include <QString>

// Where the station's outcomes go: a line at the top of the station log and a sound. The line is
// given whole, headed by the time of day and " : " by the caller.
class ReportSink
{
public:
    virtual ~ReportSink() = default;
    // True.wav on success, False.wav on failure.
    virtual void reportResult(const QString& line, bool success) = 0;
    // Abnormal.wav.
    virtual void reportAbnormal(const QString& line) = 0;
    // 1.wav.
    virtual void reportOverweight(const QString& line) = 0;
    // Called at the start of each ship run to keep the log short. A sink without a log of its own
    // has nothing to trim.
    virtual void trimLog() {}
};
