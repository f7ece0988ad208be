#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The destinations a rule can name: the 34 provinces in the order of the editor's province list
// (municipalities without "市", as the rules store them) and the nine regions that check groups of
// them at once.
namespace PostageRegions {

struct Region
{
    QString name;
    QStringList provinces;
};

const QStringList& provinces();
const std::vector<Region>& regions();

} // namespace PostageRegions
