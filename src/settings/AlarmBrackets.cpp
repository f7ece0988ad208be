#include "settings/AlarmBrackets.h"

namespace AlarmBrackets {
namespace {

QString startOf(const TypedRows& rows, int row)
{
    // An empty previous range end is stored as an empty text, not as a missing value.
    if (row == 0) {
        return QStringLiteral("0");
    }
    const QString& previous = rows[row - 1].rangeEnd;
    return previous.isNull() ? QStringLiteral("") : previous;
}

bool hasInterval(const TypedRow& row)
{
    return !row.rangeEnd.isEmpty() && !row.intervalFrom.isEmpty() && !row.intervalTo.isEmpty();
}

bool hasPercent(const TypedRow& row)
{
    return !row.rangeEnd.isEmpty() && !row.percent.isEmpty();
}

} // namespace

QList<StationSettings::AlarmRow> toStore(const TypedRows& rows, bool rangeRule, bool percentRule)
{
    QList<StationSettings::AlarmRow> stored;
    if (rangeRule && hasInterval(rows[0])) {
        for (int row = 0; row < kRows; ++row) {
            if (hasInterval(rows[row])) {
                stored.append({startOf(rows, row), rows[row].rangeEnd, rows[row].intervalFrom,
                               rows[row].intervalTo, QString()});
            }
        }
    }
    if (percentRule && hasPercent(rows[0])) {
        for (int row = 0; row < kRows; ++row) {
            if (hasPercent(rows[row])) {
                stored.append(
                    {startOf(rows, row), rows[row].rangeEnd, QString(), QString(), rows[row].percent});
            }
        }
    }
    return stored;
}

QString startCaption(const QString& previousRangeEnd)
{
    return previousRangeEnd + QStringLiteral("克~");
}

} // namespace AlarmBrackets
