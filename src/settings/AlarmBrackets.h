#pragma once

#include "store/StationSettings.h"

#include <QList>
#include <QString>

#include <array>

// The nine rows of the alarm settings and the brackets they make.
namespace AlarmBrackets {

inline constexpr int kRows = 9;

// One row as typed.
struct TypedRow
{
    QString rangeEnd;
    QString intervalFrom;
    QString intervalTo;
    QString percent;
};
using TypedRows = std::array<TypedRow, kRows>;

// The brackets OK stores under the rule buttons as stored. A rule counts only when the first row is
// complete for it; then every complete row is kept, starting at the previous row's range end even
// when that row was left out (the first row starts at 0).
QList<StationSettings::AlarmRow> toStore(const TypedRows& rows, bool rangeRule, bool percentRule);

// The caption of a row's start label for the previous row's range end.
QString startCaption(const QString& previousRangeEnd);

} // namespace AlarmBrackets
