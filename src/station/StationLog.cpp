#include "station/StationLog.h"

StationLog::StationLog()
{
    clear();
}

void StationLog::add(const QString& line)
{
    QString single = line;
    single.replace(QLatin1String("\r\n"), QLatin1String(" "));
    single.replace(QLatin1Char('\r'), QLatin1Char(' '));
    single.replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_lines.insert(1, single);
}

void StationLog::trim()
{
    // Each run adds at least one line, so a log that has grown past the limit (a run can add two
    // or three lines) is cut back too, not only one of exactly 51 lines.
    while (m_lines.size() > kMaxLines) {
        m_lines.removeLast();
    }
}

void StationLog::clear()
{
    m_lines = QStringList{QString()};
}
