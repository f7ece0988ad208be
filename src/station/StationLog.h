#pragma once

#include <QString>
#include <QStringList>

// The station log as Memo1 shows it: an empty first line, then the reports, newest first.
class StationLog
{
public:
    // The most lines a ship run starts with; a longer log loses its bottom lines first.
    static constexpr int kMaxLines = 50;

    StationLog();

    // Inserts the line under the empty first line. Line breaks inside it become blanks, so one
    // report stays one line.
    void add(const QString& line);
    // At the start of a ship run: a log of more than kMaxLines lines keeps its first kMaxLines.
    void trim();
    void clear();

    const QStringList& lines() const { return m_lines; }
    int lineCount() const { return static_cast<int>(m_lines.size()); }
    // The memo text: the lines joined by line breaks.
    QString text() const { return m_lines.join(QLatin1Char('\n')); }

private:
    QStringList m_lines;
};
