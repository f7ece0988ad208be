#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Every option of the station kept in login.db — the option row and the local lists of the
// windows — with one owner. Options are read fresh at each use; a read or write that fails says
// so with the reason, and "there is no such row" is told apart from "the statement failed".
// Every successful write announces itself through changed(), so that windows showing an option
// follow at once.
class StationSettings : public QObject
{
    Q_OBJECT

public:
    enum class Staff
    {
        Picker,
        Package,
        Packer
    };

    struct StaffSetting
    {
        bool used = false;       // the list is asked for on the scan tab
        bool remembered = false; // its "记住" box
        QString value;           // the remembered entry
    };

    enum class AlarmMode
    {
        Range,   // allowed difference in grams
        Percent, // allowed difference in percent of the expected weight
        Unset    // neither or both radio buttons stored: the check has nothing to go by
    };

    struct Options
    {
        int portNumber = 0;  // 1 = COM1
        int scaleTypeId = 0; // 1-based row of ScaleTypel
        QString defaultUserName;
        QString defaultPassword;
        bool summary = false;   // "显示订单概要"
        bool weighOnly = false; // "扫描后不立即完成"
        StaffSetting picker;
        StaffSetting package;
        StaffSetting packer;
        bool checkSum = false;       // expected weight from the goods list (and the package)
        bool chkOverWeight = false;  // warn about parcels heavier than their first weight
        bool packageWeighed = false; // the package's weight counts in the expected weight (exactly 1)
        bool multiPostId = false;    // several waybills for one trade
        bool calcWeightOnce = false; // several waybills charge one first weight
        bool checkAlarm = false;     // weight difference checked against the alarm brackets
        AlarmMode alarmMode = AlarmMode::Unset;
        bool fuzzy = false;    // query tab "模糊查询"
        QString pageSize;      // rows per page of the query tab, as stored
        bool sampling = false; // goods tab "取样"
        // "稳定后发货": a scale weight is shipped only once it has settled.
        bool stableShip = false;
        // "取下包裹后才能扫描下一单": after a parcel the scale must read below emptyScaleGrams
        // before the next one ships.
        bool emptyScaleGate = false;
        int emptyScaleGrams = 20;
        // Seconds one statement of the order database may take; an empty or non-positive column
        // reads as the default.
        int statementTimeout = kDefaultStatementTimeout;

        const StaffSetting& staff(Staff which) const;
    };

    // The allowed difference of one alarm bracket, as stored (an empty text is an empty column).
    struct AlarmBracket
    {
        QString normalFrom;
        QString normalTo;
        QString normalPercent;
    };

    static constexpr int kDefaultStatementTimeout = 30;

    // One stored alarm bracket, texts as typed; a null text is a column left empty (NULL).
    struct AlarmRow
    {
        QString weightFrom;
        QString weightTo;
        QString normalFrom;
        QString normalTo;
        QString normalPercent;
    };

    // The two rule buttons as stored (one, both or neither may be set) and the brackets in their
    // stored order.
    struct AlarmTable
    {
        bool rangeRule = false;
        bool percentRule = false;
        QList<AlarmRow> rows;
    };

    // What the other-settings dialog edits: the scan tab's options, the query tab's columns and
    // page size, and the alarm switch.
    struct OtherSettings
    {
        bool packageIdCheck = false;
        bool pickerCheck = false;
        bool packageOperatorCheck = false;
        bool checkSum = false;
        bool chkOverWeight = false;
        bool multiPostId = false;
        bool calcWeightOnce = false;
        QList<bool> shownColumns; // in column order, as shownColumns() reads them
        QString pageSize;
        bool checkAlarm = false;
        bool stableShip = false;
        bool emptyScaleGate = false;
        int emptyScaleGrams = 20;
        int statementTimeout = kDefaultStatementTimeout;
    };

    explicit StationSettings(QObject* parent = nullptr);
    // The open login.db; until then (or when it could not be opened) every read and write fails.
    void setDatabase(const QSqlDatabase& loginDb) { m_db = loginDb; }

    bool read(Options* options, QString* error) const;

    // The bracket that holds the expected weight E (grams): WeightFrom < E <= WeightTo, and for E = 0
    // the bracket that starts at 0. *bracket stays empty when no bracket holds E.
    bool findAlarmBracket(double expected, std::optional<AlarmBracket>* bracket, QString* error) const;

    // The lists that fill the windows' pick-lists, in their stored order.
    bool sampleCounts(QStringList* counts, QString* error) const;
    bool searchTypes(QStringList* types, QString* error) const;
    bool weightTypes(QStringList* types, QString* error) const;
    // Whether each column of the query result list is shown, in column order.
    bool shownColumns(QList<bool>* shown, QString* error) const;
    // The page sizes offered to the query tab, in their stored order.
    bool pageSizes(QStringList* sizes, QString* error) const;
    bool alarmTable(AlarmTable* table, QString* error) const;

    bool storeSummary(bool checked, QString* error);
    bool storeWeighOnly(bool checked, QString* error);
    // The query tab's "模糊查询".
    bool storeFuzzy(bool checked, QString* error);
    // The remember box's tick and the pick-list's current text, stored on unticking too.
    bool storeRemembered(Staff which, bool checked, const QString& value, QString* error);
    // The login preset of the login window.
    bool storeDefaultLogin(const QString& userName, const QString& password, QString* error);
    // The scale's port and type, together with whatever else the caller writes in the same unit
    // of work (alsoWrite runs inside it); all or nothing.
    bool storeScale(int portNumber, int scaleTypeId,
                    const std::function<bool(QSqlDatabase&, QString*)>& alsoWrite, QString* error);
    // "稳定后发货", "取下包裹后才能扫描下一单" and its threshold in grams.
    bool storeWeightGuards(bool stableShip, bool emptyScaleGate, int emptyScaleGrams, QString* error);

    // The rule of the weight alarm, stored as the two rule buttons' states.
    bool storeAlarmMode(AlarmMode mode, QString* error);
    // Replaces every alarm bracket by rows, all or nothing: a failure keeps the old brackets.
    bool storeAlarmBrackets(const QList<AlarmRow>& rows, QString* error);
    // All of it in one unit of work.
    bool storeOtherSettings(const OtherSettings& other, QString* error);

signals:
    void changed();

private:
    // Runs write inside one unit of work and announces the change when it was kept.
    bool writeTogether(const std::function<bool(QString*)>& write, QString* error);
    bool update(const QString& assignments, const QVariantList& values, QString* error);

    mutable QSqlDatabase m_db;
};

// The option row's layout as this release writes it, and the step that brings older files to it.
namespace StationSettingsSchema {

// Creates the option row's table with the defaults a new station starts from.
bool create(QSqlDatabase& db, int scaleTypeId, QString* error);
// The columns of several waybills per trade, added to files of an older layout (both 0).
QStringList multiWaybillColumnsUpgrade();
// The columns of the weight guards ("稳定后发货", "取下包裹后才能扫描下一单" and its threshold), added
// to files without them: both off, 20 g.
QStringList weightGuardColumnsUpgrade();
// The column of the statement time-out, added to files that lack it (set to the default).
inline constexpr char kStatementTimeoutColumn[] = "StatementTimeout";
QStringList statementTimeoutColumnUpgrade();

} // namespace StationSettingsSchema
