#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

// The scan tab's choices kept in the Initialization row of login.db: the order summary and
// weigh-only boxes, and for each staff pick-list whether it is asked for, whether its value is
// remembered, and the remembered value.
namespace ScanOptions {

enum class Staff
{
    Picker,
    Package,
    Packer
};

struct StaffSetting
{
    bool used = false;       // PickerCheck, PackageIDCheck, PackageOperatorCheck
    bool remembered = false; // PickerCheck2, PackageIDCheck2, PackageOperatorCheck2
    QString value;           // DefaultPicker, DefalutPackageID, DefaultPackageOperator
};

struct Stored
{
    bool summary = false;   // check4, "显示订单概要"
    bool weighOnly = false; // check6, "扫描后不立即完成"
    StaffSetting picker;
    StaffSetting package;
    StaffSetting packer;

    const StaffSetting& staff(Staff which) const;
};

// Empty when login.db has no Initialization row 1 or cannot be read.
std::optional<Stored> read(QSqlDatabase& loginDb);

// Each returns false with the reason in *error when the row could not be written.
bool storeSummary(QSqlDatabase& loginDb, bool checked, QString* error);
bool storeWeighOnly(QSqlDatabase& loginDb, bool checked, QString* error);
// The remember box's tick and the pick-list's current text, stored on unticking too.
bool storeRemembered(QSqlDatabase& loginDb, Staff which, bool checked, const QString& value, QString* error);

} // namespace ScanOptions
