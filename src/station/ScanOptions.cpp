#include "station/ScanOptions.h"

#include "base/Texts.h"

#include "store/LocalQuery.h"

#include <QSqlRecord>
#include <QVariant>

namespace ScanOptions {
namespace {

struct Columns
{
    const char* used;
    const char* remembered;
    const char* value;
};

Columns columnsOf(Staff which)
{
    switch (which) {
    case Staff::Picker:
        return {"PickerCheck", "PickerCheck2", "DefaultPicker"};
    case Staff::Package:
        return {"PackageIDCheck", "PackageIDCheck2", "DefalutPackageID"};
    case Staff::Packer:
        break;
    }
    return {"PackageOperatorCheck", "PackageOperatorCheck2", "DefaultPackageOperator"};
}

StaffSetting staffFrom(const QSqlRecord& row, Staff which)
{
    const Columns columns = columnsOf(which);
    return {row.value(QLatin1String(columns.used)).toInt() != 0,
            row.value(QLatin1String(columns.remembered)).toInt() != 0,
            row.value(QLatin1String(columns.value)).toString()};
}

bool notOpen(QString* error)
{
    if (error) {
        *error = QString::fromUtf8(Texts::kConfigAccessFailed);
    }
    return false;
}

// Writes Initialization row 1 and checks that there was such a row.
bool writeRow(QSqlDatabase& loginDb, const QString& assignments, const QVariantList& values, QString* error)
{
    if (!loginDb.isOpen()) {
        return notOpen(error);
    }
    if (!LocalQuery::firstRow(loginDb, QStringLiteral("select ID from Initialization where ID = 1"))) {
        return notOpen(error);
    }
    return LocalQuery::exec(
        loginDb, QStringLiteral("update Initialization set ") + assignments + QStringLiteral(" where ID = 1"),
        values, error);
}

} // namespace

const StaffSetting& Stored::staff(Staff which) const
{
    return which == Staff::Picker ? picker : (which == Staff::Package ? package : packer);
}

std::optional<Stored> read(QSqlDatabase& loginDb)
{
    if (!loginDb.isOpen()) {
        return std::nullopt;
    }
    const auto row = LocalQuery::firstRow(
        loginDb, QStringLiteral("select check4,check6,PickerCheck,PickerCheck2,DefaultPicker,PackageIDCheck,"
                                "PackageIDCheck2,DefalutPackageID,PackageOperatorCheck,PackageOperatorCheck2,"
                                "DefaultPackageOperator from Initialization where ID = 1"));
    if (!row) {
        return std::nullopt;
    }
    Stored stored;
    stored.summary = row->value(QStringLiteral("check4")).toInt() != 0;
    stored.weighOnly = row->value(QStringLiteral("check6")).toInt() != 0;
    stored.picker = staffFrom(*row, Staff::Picker);
    stored.package = staffFrom(*row, Staff::Package);
    stored.packer = staffFrom(*row, Staff::Packer);
    return stored;
}

bool storeSummary(QSqlDatabase& loginDb, bool checked, QString* error)
{
    return writeRow(loginDb, QStringLiteral("check4 = ?"), {checked ? 1 : 0}, error);
}

bool storeWeighOnly(QSqlDatabase& loginDb, bool checked, QString* error)
{
    return writeRow(loginDb, QStringLiteral("check6 = ?"), {checked ? 1 : 0}, error);
}

bool storeRemembered(QSqlDatabase& loginDb, Staff which, bool checked, const QString& value, QString* error)
{
    const Columns columns = columnsOf(which);
    return writeRow(loginDb,
                    QString::fromLatin1(columns.remembered) + QStringLiteral(" = ?, ") +
                        QString::fromLatin1(columns.value) + QStringLiteral(" = ?"),
                    {checked ? 1 : 0, value}, error);
}

} // namespace ScanOptions
