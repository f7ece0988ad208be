#include "query/ListSort.h"

#include "query/QueryColumns.h"

#include <QDate>

namespace {

// A cell that is no number (the sum row's blank, the serial's "合计") counts as 0.
double numberOf(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : 0;
}

// Only the day counts; a blank sorts as a day far ahead.
QDate dayOf(const QString& text)
{
    const QDate day = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    return day.isValid() ? day : QDate(2222, 1, 1);
}

template <typename T> int order(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

namespace ListSort {

int compare(int column, const QString& a, const QString& b)
{
    switch (QueryColumns::kind(column)) {
    case QueryColumns::Kind::Serial:
    case QueryColumns::Kind::Integer:
        return order(numberOf(a), numberOf(b));
    case QueryColumns::Kind::Date:
        return order(dayOf(a), dayOf(b));
    case QueryColumns::Kind::Text:
        break;
    }
    return QString::compare(a, b, Qt::CaseInsensitive);
}

bool Directions::click(int column)
{
    const bool ascending = m_ascending.at(column);
    m_ascending.at(column) = !ascending;
    return ascending;
}

} // namespace ListSort
