#include "scale/WeightStability.h"

#include <algorithm>
#include <cmath>

namespace {

// A division's width is compared with a little room for the binary form of decimal grams.
constexpr double kTolerance = 1e-6;

} // namespace

double WeightStability::divisionGramsOf(int /*scaleTypeIndex*/)
{
    // Protocols A to D all carry kilograms to three decimals (0000.520, 00.520, 000.520); a scale
    // type with a coarser division would be told apart here.
    return 1.0;
}

void WeightStability::setRule(const Rule& rule)
{
    m_rule = rule;
    m_frames.clear();
}

void WeightStability::addFrame(qint64 ms, const QString& text)
{
    bool number = false;
    const double kilograms = text.toDouble(&number);
    if (!number || !std::isfinite(kilograms)) {
        m_frames.clear();
        return;
    }
    while (!m_frames.empty() && m_frames.front().ms < ms - m_rule.windowMs) {
        m_frames.pop_front();
    }
    m_frames.push_back({ms, kilograms * 1000.0});
}

bool WeightStability::isStableAt(qint64 ms) const
{
    // The window ends at the newest frame, not at this moment: with frames every 100 ms the third
    // newest would otherwise sit on the window's edge and the mark flicker between frames. A scale
    // silent for a whole window has nothing to say of the weight any more.
    if (m_frames.empty() || ms - m_frames.back().ms > m_rule.windowMs) {
        return false;
    }
    const qint64 newest = m_frames.back().ms;
    double lightest = m_frames.back().grams;
    double heaviest = lightest;
    int count = 0;
    for (const Frame& frame : m_frames) {
        if (frame.ms < newest - m_rule.windowMs) {
            continue;
        }
        lightest = std::min(lightest, frame.grams);
        heaviest = std::max(heaviest, frame.grams);
        ++count;
    }
    return count >= m_rule.minFrames && heaviest - lightest <= m_rule.divisionGrams + kTolerance;
}

std::optional<qint64> WeightStability::stableUntil(qint64 ms) const
{
    if (!isStableAt(ms)) {
        return std::nullopt;
    }
    return m_frames.back().ms + m_rule.windowMs + 1;
}
