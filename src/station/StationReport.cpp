#include "station/StationReport.h"

#include "app/SoundPlayer.h"
#include "station/StationSounds.h"

StationReport::StationReport(SoundPlayer& sounds, Listener listener)
    : m_sounds(sounds)
    , m_listener(std::move(listener))
{
    StationSounds::registerBuiltIn();
}

void StationReport::reportResult(const QString& line, bool success)
{
    report(line, success ? StationSounds::kSuccess : StationSounds::kFailure);
}

void StationReport::reportAbnormal(const QString& line)
{
    report(line, StationSounds::kAbnormal);
}

void StationReport::reportOverweight(const QString& line)
{
    report(line, StationSounds::kOverweight);
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
