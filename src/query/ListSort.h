#pragma once

#include <QString>

#include <array>

// The sort of the result list by one column: each column keeps its own direction, descending at
// the first click and turning at every further one.
namespace ListSort {

// Below zero when a comes before b ascending, zero when they count as equal, above otherwise.
// Numbers sort by value, decimals too; dates by their day; texts case-insensitively.
int compare(int column, const QString& a, const QString& b);

class Directions
{
public:
    // Whether this click on column sorts ascending; the next click on it sorts the other way.
    bool click(int column);

private:
    std::array<bool, 23> m_ascending{};
};

} // namespace ListSort
