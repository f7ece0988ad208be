#include "SoakCheck.h"

#include "station/ShipOutcome.h"
#include "station/WeightText.h"
#include "store/SqlConnection.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace {

class Reader
{
public:
    explicit Reader(QSqlDatabase& db)
        : m_db(db)
    {
    }
    // The first column of the first row; false with *error when the statement failed.
    bool value(const char* sql, const QVariantList& values, QVariant* result, QString* error)
    {
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        bool ok = query.prepare(QString::fromUtf8(sql));
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        ok = ok && query.exec();
        if (!ok) {
            *error = query.lastError().text();
            return false;
        }
        *result = query.next() ? query.value(0) : QVariant();
        return true;
    }

private:
    QSqlDatabase& m_db;
};

// "12:01:05 : …" without its time, so that equal reasons count together.
QString withoutTime(const QString& said)
{
    static const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d : "));
    QString text = said;
    text.remove(time);
    return text;
}

} // namespace

bool checkSoak(const QString& orderPath, const SoakPlan& plan, const QList<SoakReport>& reports,
               SoakFigures* figures, QString* error)
{
    *figures = SoakFigures();
    figures->scans = int(reports.size());
    QList<int> successes(plan.parcels.size(), 0);
    QList<double> fees(plan.parcels.size(), 0);
    QList<QString> lastWords(plan.parcels.size());
    static const QRegularExpression parcelFee(QStringLiteral("单票邮资：([0-9.]+)元"));
    for (const SoakReport& report : reports) {
        if (report.index < 0 || report.index >= plan.parcels.size()) {
            continue;
        }
        figures->lockRefusals += report.locked ? 1 : 0;
        if (wasShipped(static_cast<ShipOutcome>(report.outcome))) {
            ++successes[report.index];
            const QRegularExpressionMatch fee = parcelFee.match(report.said);
            if (fee.hasMatch()) {
                fees[report.index] = fee.captured(1).toDouble();
            }
        } else if (lastWords[report.index].isEmpty()) {
            lastWords[report.index] = withoutTime(report.said);
        }
    }

    SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("soak-check"));
    if (!openSqliteFile(connection, orderPath, error)) {
        return false;
    }
    Reader db(connection.db());
    // What the parcels marked as shipped add to each trade of further parcels.
    QHash<qint64, SoakTotals> added;
    for (int i = 0; i < plan.parcels.size(); ++i) {
        const SoakParcel& parcel = plan.parcels.at(i);
        const int grams = WeightText::grams(parcel.weightKg).value_or(0);
        bool inDatabase = false;
        bool twiceInDatabase = false;
        bool complete = true;
        QVariant value;
        if (!parcel.additional) {
            if (!db.value("select count(*) from G_Trade_Log where TradeID = ? and LogDetail like '订单发货%'",
                          {parcel.tradeId}, &value, error)) {
                return false;
            }
            twiceInDatabase = value.toInt() > 1;
            if (!db.value(
                    "select TradeStatus || '|' || PackagedWeight from G_Trade_TradeList where TradeID = ?",
                    {parcel.tradeId}, &value, error)) {
                return false;
            }
            inDatabase = value.toString().startsWith(QStringLiteral("8|"));
            complete = value.toString() == QStringLiteral("8|%1").arg(grams);
        } else {
            if (!db.value("select Remark from G_Trade_TradeList where TradeID = ?", {parcel.tradeId}, &value,
                          error)) {
                return false;
            }
            const int marks = int(
                value.toString().count(QStringLiteral("附加单号") + parcel.scan + QStringLiteral("已发货(")));
            if (!db.value(
                    "select count(*) from G_Trade_Log where TradeID = ? and LogDetail like ?",
                    {parcel.tradeId, QStringLiteral("附加单号") + parcel.scan + QStringLiteral("已发货%")},
                    &value, error)) {
                return false;
            }
            inDatabase = marks > 0;
            twiceInDatabase = marks > 1 || value.toInt() > 1;
            if (inDatabase) {
                added[parcel.tradeId].packagedWeight += grams;
                added[parcel.tradeId].postage += fees.at(i);
            }
        }
        if (successes.at(i) > 0) {
            ++figures->shipped;
        } else {
            ++figures->notShipped[lastWords.at(i)];
        }
        figures->doubleShips += successes.at(i) > 1 || twiceInDatabase ? 1 : 0;
        figures->lostWrites += successes.at(i) > 0 && (!inDatabase || !complete) ? 1 : 0;
        figures->unreported += successes.at(i) == 0 && inDatabase ? 1 : 0;
    }

    // Each trade of further parcels holds its totals from before plus exactly the parcels marked.
    for (auto it = plan.additionalTrades.cbegin(); it != plan.additionalTrades.cend(); ++it) {
        QVariant weight;
        QVariant postage;
        if (!db.value("select PackagedWeight from G_Trade_TradeList where TradeID = ?", {it.key()}, &weight,
                      error) ||
            !db.value("select Postage from G_Trade_TradeList where TradeID = ?", {it.key()}, &postage,
                      error)) {
            return false;
        }
        const SoakTotals more = added.value(it.key());
        const bool weightAddsUp = qAbs(weight.toDouble() - (it->packagedWeight + more.packagedWeight)) < 0.5;
        const bool postageAddsUp = qAbs(postage.toDouble() - (it->postage + more.postage)) < 0.005;
        figures->lostWrites += weightAddsUp && postageAddsUp ? 0 : 1;
    }
    return true;
}
