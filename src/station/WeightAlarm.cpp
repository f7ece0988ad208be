#include "station/WeightAlarm.h"

#include "base/Prompter.h"
#include "base/ReportSink.h"
#include "station/TradeLookup.h"

namespace WeightAlarm {
namespace {

// A bracket bound: absent when the column is empty, nullopt inside when it is no whole number.
struct Bound
{
    bool present = false;
    std::optional<qint64> value;
};

Bound bound(const QString& text)
{
    if (text.isEmpty()) {
        return {};
    }
    return {true, TradeLookup::whole(text)};
}

} // namespace

Verdict check(const StationSettings& settings, const StationSettings::Options& options, double expected,
              qint32 difference, const QString& abnormalLine, Prompter& prompter, ReportSink& sink)
{
    Verdict verdict;
    if (!options.checkAlarm) {
        return verdict;
    }
    std::optional<StationSettings::AlarmBracket> bracket;
    if (!settings.findAlarmBracket(expected, &bracket, nullptr)) {
        verdict.pass = false;
        verdict.unreadable = true;
        return verdict;
    }
    if (!bracket) {
        verdict.pass = prompter.ask(QStringLiteral("报警设置未包括含此重量是否发货?"));
        return verdict;
    }

    bool normal = true;
    if (options.alarmMode == StationSettings::AlarmMode::Range) {
        const Bound from = bound(bracket->normalFrom);
        const Bound to = bound(bracket->normalTo);
        if (!from.present || !to.present || !from.value || !to.value) {
            return verdict;
        }
        normal = *from.value <= difference && difference <= *to.value;
    } else if (options.alarmMode == StationSettings::AlarmMode::Percent) {
        const Bound share = bound(bracket->normalPercent);
        if (!share.present || !share.value) {
            return verdict;
        }
        const double limit = static_cast<double>(*share.value) * expected * 0.01;
        normal = difference >= 0 && difference <= limit;
    } else {
        return verdict;
    }
    if (!normal) {
        verdict.pass = false;
        verdict.abnormal = true;
        sink.reportAbnormal(abnormalLine);
        verdict.pass = prompter.ask(QStringLiteral("是否发货?"));
    }
    return verdict;
}

} // namespace WeightAlarm
