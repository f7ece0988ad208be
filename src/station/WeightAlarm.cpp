#include "station/WeightAlarm.h"

#include "base/Prompter.h"
#include "base/ReportSink.h"
#include "station/TradeLookup.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace WeightAlarm {
namespace {

// A bracket bound: absent when the column is empty, nullopt inside when it is no whole number.
struct Bound
{
    bool present = false;
    std::optional<qint64> value;
};

Bound bound(const QSqlRecord& row, const char* column)
{
    const QVariant value = row.value(QLatin1String(column));
    if (value.isNull() || value.toString().trimmed().isEmpty()) {
        return {};
    }
    return {true, TradeLookup::whole(value.toString())};
}

int flag(const QSqlRecord& row, int column)
{
    return row.value(column).toInt();
}

} // namespace

Verdict check(QSqlDatabase* loginDb, double expected, qint32 difference, const QString& abnormalLine,
              Prompter& prompter, ReportSink& sink)
{
    Verdict verdict;
    if (!loginDb || !loginDb->isOpen()) {
        return verdict;
    }
    QSqlQuery settings(*loginDb);
    if (!settings.exec(
            QStringLiteral("select RbAlarmRang,RbAlarmPercent,CheckAlarm from Initialization where ID=1")) ||
        !settings.next()) {
        return verdict;
    }
    const QSqlRecord mode = settings.record();
    settings.finish();
    if (flag(mode, 2) == 0) {
        return verdict;
    }

    // A bracket holds E when WeightFrom < E <= WeightTo; E = 0 takes the bracket that starts at 0.
    QSqlQuery bracket(*loginDb);
    bracket.setForwardOnly(true);
    const bool zero = expected == 0;
    if (!bracket.prepare(
            zero ? QStringLiteral("select * from AlarmSet where WeightFrom = 0")
                 : QStringLiteral("select * from AlarmSet where WeightFrom < ? and WeightTo >= ?"))) {
        return verdict;
    }
    if (!zero) {
        bracket.addBindValue(expected);
        bracket.addBindValue(expected);
    }
    if (!bracket.exec()) {
        return verdict;
    }
    if (!bracket.next()) {
        verdict.pass = prompter.ask(QStringLiteral("报警设置未包括含此重量是否发货?"));
        return verdict;
    }
    const QSqlRecord row = bracket.record();
    bracket.finish();

    bool normal = true;
    const int range = flag(mode, 0);
    const int percent = flag(mode, 1);
    if (range == 1 && percent == 0) {
        const Bound from = bound(row, "NormalFrom");
        const Bound to = bound(row, "NormalTo");
        if (!from.present || !to.present) {
            return verdict;
        }
        if (!from.value || !to.value) {
            return verdict;
        }
        normal = *from.value <= difference && difference <= *to.value;
    } else if (range == 0 && percent == 1) {
        const Bound share = bound(row, "NormalPercent");
        if (!share.present || !share.value) {
            return verdict;
        }
        const double limit = static_cast<double>(*share.value) * expected * 0.01;
        normal = difference >= 0 && difference <= limit;
    } else {
        return verdict;
    }
    if (!normal) {
        verdict.pass = false;
        verdict.abnormal = true;
        sink.reportAbnormal(abnormalLine);
        verdict.pass = prompter.ask(QStringLiteral("是否发货?"));
    }
    return verdict;
}

} // namespace WeightAlarm
