#pragma once

#include <QString>

#include <deque>
#include <optional>

// Whether the weight on the scale has settled: the frames of the last window up to the newest one
// (at least a few of them) agree within one scale division. A frame that is not a weight (a
// warning, a status text) breaks the run, and a scale silent for a whole window loses its stable
// mark. Times are milliseconds on one steady clock.
class WeightStability
{
public:
    struct Rule
    {
        qint64 windowMs = 300;
        int minFrames = 3;
        // Kilogram scales with three decimals weigh in steps of 1 g.
        double divisionGrams = 1.0;
    };

    WeightStability() = default;
    explicit WeightStability(const Rule& rule)
        : m_rule(rule)
    {
    }

    // The division of a scale type: every frame protocol here sends kilograms with three decimals.
    static double divisionGramsOf(int scaleTypeIndex);

    void setRule(const Rule& rule);
    // A frame's text as the weight boxes show it, arrived at `ms`.
    void addFrame(qint64 ms, const QString& text);
    void reset() { m_frames.clear(); }

    bool isStableAt(qint64 ms) const;
    // While stable at `ms`: the first moment at which, without another frame, it no longer is.
    std::optional<qint64> stableUntil(qint64 ms) const;

private:
    struct Frame
    {
        qint64 ms;
        double grams;
    };

    Rule m_rule;
    std::deque<Frame> m_frames;
};
