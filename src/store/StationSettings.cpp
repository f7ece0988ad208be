#include "store/StationSettings.h"

#include "base/Texts.h"
#include "base/Transaction.h"
#include "store/LocalQuery.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

struct StaffColumns
{
    const char* used;
    const char* remembered;
    const char* value;
};

StaffColumns columnsOf(StationSettings::Staff which)
{
    switch (which) {
    case StationSettings::Staff::Picker:
        return {"PickerCheck", "PickerCheck2", "DefaultPicker"};
    case StationSettings::Staff::Package:
        return {"PackageIDCheck", "PackageIDCheck2", "DefalutPackageID"};
    case StationSettings::Staff::Packer:
        break;
    }
    return {"PackageOperatorCheck", "PackageOperatorCheck2", "DefaultPackageOperator"};
}

int number(const QSqlRecord& row, const char* column)
{
    return row.value(QLatin1String(column)).toInt();
}

// A flag that counts as on whenever it holds anything but 0.
bool nonZero(const QSqlRecord& row, const char* column)
{
    return number(row, column) != 0;
}

// A flag that counts as on only when it holds exactly 1; an empty column is off.
bool exactlyOne(const QSqlRecord& row, const char* column)
{
    const QVariant value = row.value(QLatin1String(column));
    return !value.isNull() && value.toInt() == 1;
}

StationSettings::StaffSetting staffFrom(const QSqlRecord& row, StationSettings::Staff which)
{
    const StaffColumns columns = columnsOf(which);
    return {nonZero(row, columns.used), nonZero(row, columns.remembered),
            row.value(QLatin1String(columns.value)).toString()};
}

StationSettings::AlarmMode alarmModeFrom(const QSqlRecord& row)
{
    const int range = number(row, "RbAlarmRang");
    const int percent = number(row, "RbAlarmPercent");
    if (range == 1 && percent == 0) {
        return StationSettings::AlarmMode::Range;
    }
    if (range == 0 && percent == 1) {
        return StationSettings::AlarmMode::Percent;
    }
    return StationSettings::AlarmMode::Unset;
}

bool notOpen(QString* error)
{
    if (error) {
        *error = QString::fromUtf8(Texts::kConfigAccessFailed);
    }
    return false;
}

// A column as text; a number kept as a real reads as typed (100000, not 1e+05).
QString text(const QSqlRecord& row, const char* column)
{
    const QVariant value = row.value(QLatin1String(column));
    if (value.isNull()) {
        return {};
    }
    if (value.typeId() == QMetaType::Double) {
        return QString::number(value.toDouble(), 'g', 15);
    }
    return value.toString().trimmed();
}

// Sets columns of the option row; a file without that row keeps nothing, which is a damaged file
// and not a saved option.
bool updateOptionRow(QSqlDatabase& db, const QString& assignments, const QVariantList& values, QString* error)
{
    int changedRows = 0;
    if (!LocalQuery::exec(
            db, QStringLiteral("update Initialization set ") + assignments + QStringLiteral(" where ID = 1"),
            values, error, &changedRows)) {
        return false;
    }
    return changedRows == 1 || notOpen(error);
}

// A typed text as its column keeps it: a null text leaves the column empty.
QVariant typed(const QString& text)
{
    return text.isNull() ? QVariant() : QVariant(text);
}

} // namespace

const StationSettings::StaffSetting& StationSettings::Options::staff(Staff which) const
{
    return which == Staff::Picker ? picker : (which == Staff::Package ? package : packer);
}

StationSettings::StationSettings(QObject* parent)
    : QObject(parent)
{
}

bool StationSettings::read(Options* options, QString* error) const
{
    if (!m_db.isOpen()) {
        return notOpen(error);
    }
    std::optional<QSqlRecord> found;
    if (!LocalQuery::firstRow(m_db, QStringLiteral("select * from Initialization where ID = 1"), {}, &found,
                              error)) {
        return false;
    }
    if (!found) {
        return notOpen(error);
    }
    const QSqlRecord& row = *found;
    Options read;
    read.portNumber = number(row, "Com");
    read.scaleTypeId = number(row, "ScaleType");
    read.defaultUserName = row.value(QStringLiteral("DefaultUserName")).toString();
    read.defaultPassword = row.value(QStringLiteral("DefaultPsw")).toString();
    read.summary = nonZero(row, "check4");
    read.weighOnly = nonZero(row, "check6");
    read.picker = staffFrom(row, Staff::Picker);
    read.package = staffFrom(row, Staff::Package);
    read.packer = staffFrom(row, Staff::Packer);
    read.checkSum = exactlyOne(row, "CheckSum");
    read.chkOverWeight = exactlyOne(row, "ChkOverWeight");
    read.packageWeighed = exactlyOne(row, "PackageIDCheck");
    read.multiPostId = exactlyOne(row, "MultiPostID");
    read.calcWeightOnce =
        !row.isNull(QStringLiteral("ChkCalcWeightOnce")) && nonZero(row, "ChkCalcWeightOnce");
    read.checkAlarm = nonZero(row, "CheckAlarm");
    read.alarmMode = alarmModeFrom(row);
    read.fuzzy = nonZero(row, "Chkfuzzy");
    read.pageSize = row.value(QStringLiteral("DefaultPageSize")).toString();
    read.sampling = nonZero(row, "CheckCapacity");
    read.stableShip = exactlyOne(row, "ChkStableShip");
    read.emptyScaleGate = exactlyOne(row, "ChkEmptyScale");
    if (!row.isNull(QStringLiteral("EmptyScaleWeight"))) {
        read.emptyScaleGrams = number(row, "EmptyScaleWeight");
    }
    const int timeout = number(row, StationSettingsSchema::kStatementTimeoutColumn);
    read.statementTimeout = timeout > 0 ? timeout : kDefaultStatementTimeout;
    *options = read;
    return true;
}

bool StationSettings::findAlarmBracket(double expected, std::optional<AlarmBracket>* bracket,
                                       QString* error) const
{
    if (!m_db.isOpen()) {
        return notOpen(error);
    }
    std::optional<QSqlRecord> row;
    const bool zero = expected == 0;
    const bool ran =
        zero ? LocalQuery::firstRow(m_db, QStringLiteral("select * from AlarmSet where WeightFrom = 0"), {},
                                    &row, error)
             : LocalQuery::firstRow(
                   m_db, QStringLiteral("select * from AlarmSet where WeightFrom < ? and WeightTo >= ?"),
                   {expected, expected}, &row, error);
    if (!ran) {
        return false;
    }
    bracket->reset();
    if (row) {
        *bracket =
            AlarmBracket{text(*row, "NormalFrom"), text(*row, "NormalTo"), text(*row, "NormalPercent")};
    }
    return true;
}

bool StationSettings::sampleCounts(QStringList* counts, QString* error) const
{
    return m_db.isOpen()
               ? LocalQuery::column(m_db, QStringLiteral("select Count from Capacity"), {}, counts, error)
               : notOpen(error);
}

bool StationSettings::searchTypes(QStringList* types, QString* error) const
{
    return m_db.isOpen()
               ? LocalQuery::column(m_db, QStringLiteral("select SerarchTypel from Search order by ID"), {},
                                    types, error)
               : notOpen(error);
}

bool StationSettings::weightTypes(QStringList* types, QString* error) const
{
    return m_db.isOpen()
               ? LocalQuery::column(m_db,
                                    QStringLiteral("select WeightTypel from SearchWeightTypel order by ID"),
                                    {}, types, error)
               : notOpen(error);
}

bool StationSettings::shownColumns(QList<bool>* shown, QString* error) const
{
    QStringList selected;
    if (!m_db.isOpen()) {
        return notOpen(error);
    }
    if (!LocalQuery::column(m_db, QStringLiteral("select Sel from ListView1Conf order by ColIndex"), {},
                            &selected, error)) {
        return false;
    }
    shown->clear();
    for (const QString& sel : selected) {
        shown->append(sel.toInt() != 0);
    }
    return true;
}

bool StationSettings::pageSizes(QStringList* sizes, QString* error) const
{
    return m_db.isOpen() ? LocalQuery::column(m_db, QStringLiteral("select PageSize from Page order by ID"),
                                              {}, sizes, error)
                         : notOpen(error);
}

bool StationSettings::alarmTable(AlarmTable* table, QString* error) const
{
    if (!m_db.isOpen()) {
        return notOpen(error);
    }
    std::optional<QSqlRecord> flags;
    if (!LocalQuery::firstRow(
            m_db, QStringLiteral("select RbAlarmRang, RbAlarmPercent from Initialization where ID = 1"), {},
            &flags, error)) {
        return false;
    }
    if (!flags) {
        return notOpen(error);
    }
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("select WeightFrom, WeightTo, NormalFrom, NormalTo, NormalPercent from "
                                   "AlarmSet order by ID"))) {
        if (error) {
            *error = query.lastError().text();
        }
        return false;
    }
    AlarmTable read;
    read.rangeRule = nonZero(*flags, "RbAlarmRang");
    read.percentRule = nonZero(*flags, "RbAlarmPercent");
    while (query.next()) {
        const QSqlRecord row = query.record();
        read.rows.append({text(row, "WeightFrom"), text(row, "WeightTo"), text(row, "NormalFrom"),
                          text(row, "NormalTo"), text(row, "NormalPercent")});
    }
    *table = read;
    return true;
}

bool StationSettings::update(const QString& assignments, const QVariantList& values, QString* error)
{
    if (!m_db.isOpen()) {
        return notOpen(error);
    }
    if (!updateOptionRow(m_db, assignments, values, error)) {
        return false;
    }
    emit changed();
    return true;
}

bool StationSettings::writeTogether(const std::function<bool(QString*)>& write, QString* error)
{
    if (!m_db.isOpen()) {
        return notOpen(error);
    }
    bool done = false;
    {
        Transaction transaction(m_db, Transaction::Lock::Immediate);
        if (!transaction.isOpen()) {
            if (error) {
                *error = transaction.beginError();
            }
            return false;
        }
        done = write(error) && transaction.commit(error);
    }
    if (done) {
        emit changed();
    }
    return done;
}

bool StationSettings::storeAlarmMode(AlarmMode mode, QString* error)
{
    return update(QStringLiteral("RbAlarmRang = ?, RbAlarmPercent = ?"),
                  {mode == AlarmMode::Range ? 1 : 0, mode == AlarmMode::Percent ? 1 : 0}, error);
}

bool StationSettings::storeAlarmBrackets(const QList<AlarmRow>& rows, QString* error)
{
    return writeTogether(
        [this, &rows](QString* why) {
            if (!LocalQuery::exec(m_db, QStringLiteral("delete from AlarmSet"), {}, why)) {
                return false;
            }
            for (const AlarmRow& row : rows) {
                if (!LocalQuery::exec(
                        m_db,
                        QStringLiteral("insert into AlarmSet (WeightFrom, WeightTo, NormalFrom, "
                                       "NormalTo, NormalPercent) values (?, ?, ?, ?, ?)"),
                        {typed(row.weightFrom), typed(row.weightTo), typed(row.normalFrom),
                         typed(row.normalTo), typed(row.normalPercent)},
                        why)) {
                    return false;
                }
            }
            return true;
        },
        error);
}

bool StationSettings::storeOtherSettings(const OtherSettings& other, QString* error)
{
    return writeTogether(
        [this, &other](QString* why) {
            const auto flag = [](bool on) { return on ? 1 : 0; };
            if (!updateOptionRow(
                    m_db,
                    QStringLiteral(
                        "PackageIDCheck = ?, PickerCheck = ?, PackageOperatorCheck = ?, "
                        "CheckSum = ?, ChkOverWeight = ?, MultiPostID = ?, "
                        "ChkCalcWeightOnce = ?, DefaultPageSize = ?, CheckAlarm = ?, "
                        "ChkStableShip = ?, ChkEmptyScale = ?, EmptyScaleWeight = ?, StatementTimeout = ?"),
                    {flag(other.packageIdCheck), flag(other.pickerCheck), flag(other.packageOperatorCheck),
                     flag(other.checkSum), flag(other.chkOverWeight), flag(other.multiPostId),
                     flag(other.calcWeightOnce),
                     QVariant(other.pageSize.isNull() ? QStringLiteral("") : other.pageSize),
                     flag(other.checkAlarm), flag(other.stableShip), flag(other.emptyScaleGate),
                     other.emptyScaleGrams, other.statementTimeout},
                    why)) {
                return false;
            }
            // Row i of the column list, in column order, takes the i-th flag.
            QStringList ids;
            if (!LocalQuery::column(m_db, QStringLiteral("select ID from ListView1Conf order by ColIndex"),
                                    {}, &ids, why)) {
                return false;
            }
            for (int row = 0; row < ids.size() && row < other.shownColumns.size(); ++row) {
                if (!LocalQuery::exec(m_db, QStringLiteral("update ListView1Conf set Sel = ? where ID = ?"),
                                      {flag(other.shownColumns[row]), ids[row]}, why)) {
                    return false;
                }
            }
            return true;
        },
        error);
}

bool StationSettings::storeSummary(bool checked, QString* error)
{
    return update(QStringLiteral("check4 = ?"), {checked ? 1 : 0}, error);
}

bool StationSettings::storeWeighOnly(bool checked, QString* error)
{
    return update(QStringLiteral("check6 = ?"), {checked ? 1 : 0}, error);
}

bool StationSettings::storeFuzzy(bool checked, QString* error)
{
    return update(QStringLiteral("Chkfuzzy = ?"), {checked ? 1 : 0}, error);
}

bool StationSettings::storeRemembered(Staff which, bool checked, const QString& value, QString* error)
{
    const StaffColumns columns = columnsOf(which);
    return update(QString::fromLatin1(columns.remembered) + QStringLiteral(" = ?, ") +
                      QString::fromLatin1(columns.value) + QStringLiteral(" = ?"),
                  {checked ? 1 : 0, value}, error);
}

bool StationSettings::storeDefaultLogin(const QString& userName, const QString& password, QString* error)
{
    return update(QStringLiteral("DefaultUserName = ?, DefaultPsw = ?"), {userName, password}, error);
}

bool StationSettings::storeScale(int portNumber, int scaleTypeId,
                                 const std::function<bool(QSqlDatabase&, QString*)>& alsoWrite,
                                 QString* error)
{
    if (!m_db.isOpen()) {
        return notOpen(error);
    }
    bool done = false;
    {
        Transaction transaction(m_db);
        if (!transaction.isOpen()) {
            if (error) {
                *error = transaction.beginError();
            }
            return false;
        }
        int changedRows = 0;
        if (!LocalQuery::exec(m_db,
                              QStringLiteral("update Initialization set Com = ?, ScaleType = ? where ID = 1"),
                              {portNumber, scaleTypeId}, error, &changedRows)) {
            return false;
        }
        if (changedRows != 1) {
            return notOpen(error);
        }
        done = (!alsoWrite || alsoWrite(m_db, error)) && transaction.commit(error);
    }
    if (done) {
        emit changed();
    }
    return done;
}

bool StationSettings::storeWeightGuards(bool stableShip, bool emptyScaleGate, int emptyScaleGrams,
                                        QString* error)
{
    return update(QStringLiteral("ChkStableShip = ?, ChkEmptyScale = ?, EmptyScaleWeight = ?"),
                  {stableShip ? 1 : 0, emptyScaleGate ? 1 : 0, emptyScaleGrams}, error);
}

namespace StationSettingsSchema {

bool create(QSqlDatabase& db, int scaleTypeId, QString* error)
{
    const bool created = LocalQuery::exec(
        db,
        QStringLiteral(
            "create table Initialization (ID integer primary key, Com integer, "
            "ScaleType integer, DefaultUserName text, DefaultPsw text, check4 integer, "
            "check6 integer, PickerCheck integer, PackageIDCheck integer, "
            "PackageOperatorCheck integer, PickerCheck2 integer, PackageIDCheck2 "
            "integer, PackageOperatorCheck2 integer, DefaultPicker text, "
            "DefalutPackageID text, DefaultPackageOperator text, CheckSum integer, "
            "ChkOverWeight integer, CheckAlarm integer, RbAlarmRang integer, "
            "RbAlarmPercent integer, Chkfuzzy integer, DefaultPageSize integer, "
            "CheckCapacity integer, MultiPostID int, ChkCalcWeightOnce int, StatementTimeout int)"),
        {}, error);
    return created &&
           LocalQuery::exec(
               db,
               QStringLiteral(
                   "insert into Initialization (ID, Com, ScaleType, DefaultUserName, DefaultPsw, "
                   "check4, check6, PickerCheck, PackageIDCheck, PackageOperatorCheck, PickerCheck2, "
                   "PackageIDCheck2, PackageOperatorCheck2, DefaultPicker, DefalutPackageID, "
                   "DefaultPackageOperator, CheckSum, ChkOverWeight, CheckAlarm, RbAlarmRang, "
                   "RbAlarmPercent, Chkfuzzy, DefaultPageSize, CheckCapacity, MultiPostID, "
                   "ChkCalcWeightOnce, StatementTimeout) values (1, 1, ?, '', '', 1, 0, 1, 1, 1, 0, 0, 0, "
                   "'', '', '', 1, 0, 0, 1, 0, 0, 50, 0, 0, 0, ?)"),
               {scaleTypeId, StationSettings::kDefaultStatementTimeout}, error);
}

QStringList multiWaybillColumnsUpgrade()
{
    return {QStringLiteral("alter table Initialization add column MultiPostID int"),
            QStringLiteral("alter table Initialization add column ChkCalcWeightOnce int"),
            QStringLiteral("update Initialization set MultiPostID = 0, ChkCalcWeightOnce = 0 where ID = 1")};
}

QStringList weightGuardColumnsUpgrade()
{
    return {QStringLiteral("alter table Initialization add column ChkStableShip int"),
            QStringLiteral("alter table Initialization add column ChkEmptyScale int"),
            QStringLiteral("alter table Initialization add column EmptyScaleWeight int"),
            QStringLiteral(
                "update Initialization set ChkStableShip = 0, ChkEmptyScale = 0, EmptyScaleWeight = 20 "
                "where ID = 1")};
}

QStringList statementTimeoutColumnUpgrade()
{
    return {QStringLiteral("alter table Initialization add column %1 int")
                .arg(QLatin1String(kStatementTimeoutColumn)),
            QStringLiteral("update Initialization set %1 = %2 where ID = 1")
                .arg(QLatin1String(kStatementTimeoutColumn))
                .arg(StationSettings::kDefaultStatementTimeout)};
}

} // namespace StationSettingsSchema
