#include "store/LocalSchema.h"

#include "base/Transaction.h"
#include "store/StationSettings.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace {

const char* const kTables[] = {
    "create table server (ID integer primary key, ServerIP text, DataBase text, UserName text, "
    "PassWord text)",
    "create table Users (ID integer primary key autoincrement, Uname text, Upsw text)",
    "create table Version (ID int primary key, Ver varchar(20))",
    "create table AlarmSet (ID integer primary key autoincrement, WeightFrom real, WeightTo real, "
    "NormalFrom real, NormalTo real, NormalPercent real)",
    "create table ScaleTypel (ID integer primary key, ScaleName text, ScaleRange text, "
    "BaudRate varchar(20))",
    "create table Scale (ID integer primary key, ComNumber integer, ScaleNumber integer)",
    "create table Search (ID integer primary key, SerarchTypel text)",
    "create table SearchWeightTypel (ID integer primary key, WeightTypel text)",
    "create table Page (ID integer primary key, PageSize integer)",
    "create table Capacity (ID integer primary key, Count text)",
    "create table ListView1Conf (ID integer primary key, ColIndex integer, ColName text, Sel integer)",
};

struct ScaleTypeRow
{
    int id;
    const char* name;
};

// Rows 1, 2, 3 and 5 are the four frame protocols, row 4 the manual-entry type.
const ScaleTypeRow kScaleTypes[] = {
    {1, "VarnikC"}, {2, "VarnikA1"}, {3, "VarnikB"}, {4, "手动输入重量"}, {5, "VarnikD"},
};

const char* const kSearchTypes[] = {"快递单号", "订单编号", "客户网名", "收件人姓名", "货品名称",
                                    "交易店铺", "物流方式", "用户ID",   "电话号码"};
const char* const kWeightTypes[] = {"商品重量", "包裹重量", "重量差"};
const int kPageSizes[] = {20, 50, 100, 200, 500};
const char* const kSampleCounts[] = {"2", "3", "5", "10", "20", "50", "100"};
const char* const kListColumns[] = {"交易ID",   "订单编号", "客户网名", "收件人姓名", "货品名称", "发货日期",
                                    "交易店铺", "物流方式", "快递单号", "用户ID",     "姓名",     "省",
                                    "市",       "区",       "地址",     "邮编",       "商品重量", "包裹重量",
                                    "重量差",   "邮资",     "发货员",   "电话号码"};
constexpr int kTelephoneColumn = 21;

// Weight brackets in grams with the allowed difference (range and percent).
struct AlarmRow
{
    int from, to, normalFrom, normalTo, percent;
};
const AlarmRow kAlarmRows[] = {
    {0, 500, -50, 100, 20},       {500, 1000, -80, 150, 15},     {1000, 3000, -150, 250, 12},
    {3000, 10000, -300, 500, 10}, {10000, 30000, -600, 1000, 8}, {30000, 100000, -1500, 2500, 8},
};

class Writer
{
public:
    Writer(QSqlDatabase& db, QString* error)
        : m_query(db)
        , m_error(error)
    {
    }

    bool exec(const QString& sql, const QVariantList& values = {})
    {
        if (!m_query.prepare(sql)) {
            return fail();
        }
        for (const QVariant& value : values) {
            m_query.addBindValue(value);
        }
        return m_query.exec() || fail();
    }

private:
    bool fail()
    {
        if (m_error) {
            *m_error = m_query.lastError().text();
        }
        return false;
    }

    QSqlQuery m_query;
    QString* m_error;
};

bool insertRows(Writer& w, const QString& serverIp)
{
    bool ok = w.exec(QStringLiteral("insert into server (ID, ServerIP, DataBase, UserName, PassWord) "
                                    "values (3, ?, 'zelvo_demo', 'sa', '')"),
                     {serverIp});
    ok = ok && w.exec(QStringLiteral("insert into Version (ID, Ver) values (1, ?)"),
                      {QString::fromLatin1(LocalSchema::kCurrentVersion)});
    for (const ScaleTypeRow& row : kScaleTypes) {
        const QString baud = row.id == 2 ? QStringLiteral("1200") : QStringLiteral("9600");
        ok = ok && w.exec(QStringLiteral("insert into ScaleTypel (ID, ScaleName, ScaleRange, BaudRate) "
                                         "values (?, ?, '30', ?)"),
                          {row.id, QString::fromUtf8(row.name), baud});
    }
    ok = ok && w.exec(QStringLiteral("insert into Scale (ID, ComNumber, ScaleNumber) values (1, 20, ?)"),
                      {int(std::size(kScaleTypes))});
    int id = 1;
    for (const char* name : kSearchTypes) {
        ok = ok && w.exec(QStringLiteral("insert into Search (ID, SerarchTypel) values (?, ?)"),
                          {id++, QString::fromUtf8(name)});
    }
    id = 1;
    for (const char* name : kWeightTypes) {
        ok = ok && w.exec(QStringLiteral("insert into SearchWeightTypel (ID, WeightTypel) values (?, ?)"),
                          {id++, QString::fromUtf8(name)});
    }
    id = 1;
    for (int size : kPageSizes) {
        ok = ok && w.exec(QStringLiteral("insert into Page (ID, PageSize) values (?, ?)"), {id++, size});
    }
    id = 1;
    for (const char* count : kSampleCounts) {
        ok = ok && w.exec(QStringLiteral("insert into Capacity (ID, Count) values (?, ?)"),
                          {id++, QString::fromLatin1(count)});
    }
    for (int column = 0; column < int(std::size(kListColumns)); ++column) {
        ok = ok && w.exec(QStringLiteral("insert into ListView1Conf (ID, ColIndex, ColName, Sel) "
                                         "values (?, ?, ?, ?)"),
                          {column + 1, column, QString::fromUtf8(kListColumns[column]),
                           column == kTelephoneColumn ? 0 : 1});
    }
    for (const AlarmRow& row : kAlarmRows) {
        ok = ok && w.exec(QStringLiteral("insert into AlarmSet (WeightFrom, WeightTo, NormalFrom, NormalTo, "
                                         "NormalPercent) values (?, ?, ?, ?, ?)"),
                          {row.from, row.to, row.normalFrom, row.normalTo, row.percent});
    }
    return ok;
}

} // namespace

bool LocalSchema::createLoginTables(QSqlDatabase& db, const QString& serverIp, QString* error)
{
    Transaction transaction(db);
    if (!transaction.isOpen()) {
        if (error) {
            *error = transaction.beginError();
        }
        return false;
    }
    Writer writer(db, error);
    bool ok = true;
    for (const char* statement : kTables) {
        ok = ok && writer.exec(QString::fromLatin1(statement));
    }
    ok = ok && StationSettingsSchema::create(db, LocalSchema::kManualScaleTypeId, error) &&
         insertRows(writer, serverIp);
    return ok && transaction.commit(error);
}
