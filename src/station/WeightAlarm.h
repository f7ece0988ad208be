#pragma once

#include "store/StationSettings.h"

#include <QString>

class Prompter;
class ReportSink;

// The weight check of a ship run: the difference between parcel and expected weight against the
// alarm bracket that holds the expected weight, in grams or in percent.
namespace WeightAlarm {

struct Verdict
{
    bool pass = true;
    // The parcel was reported as abnormal (whatever the operator answered).
    bool abnormal = false;
    // The brackets could not be read: the run stops, nothing is written.
    bool unreadable = false;
};

// expected is E (grams), difference is D = W − E (whole grams). abnormalLine is the station log
// line for an abnormal parcel. Questions go through the prompter. A bracket value that is no
// number ends the check with the verdict it had reached.
Verdict check(const StationSettings& settings, const StationSettings::Options& options, double expected,
              qint32 difference, const QString& abnormalLine, Prompter& prompter, ReportSink& sink);

} // namespace WeightAlarm
