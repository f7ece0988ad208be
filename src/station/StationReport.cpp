#include "station/StationReport.h"

#include "base/SoundPlayer.h"
#include "base/Sounds.h"

StationReport::StationReport(SoundPlayer& sounds, Listener listener)
    : m_sounds(sounds)
    , m_listener(std::move(listener))
{
    Sounds::registerBuiltIn();
}

void StationReport::reportResult(const QString& line, bool success)
{
    report(line, success ? Sounds::kSuccess : Sounds::kFailure);
}

void StationReport::reportAbnormal(const QString& line)
{
    report(line, Sounds::kAbnormal);
}

void StationReport::reportOverweight(const QString& line)
{
    report(line, Sounds::kOverweight);
}

void StationReport::trimLog()
{
    m_log.trim();
}

void StationReport::report(const QString& line, const char* sound)
{
    m_log.add(line);
    m_sounds.play(QString::fromLatin1(sound));
    if (m_listener) {
        m_listener(m_log.lines().at(1));
    }
}
