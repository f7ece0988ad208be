#include "scale/ScaleSettingsStore.h"

#include "base/Transaction.h"
#include "store/StationSettings.h"

#include "scale/ComDeviceMap.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace ScaleSettingsStore {

namespace {

bool fail(QString* error, const QString& text)
{
    if (error) {
        *error = text;
    }
    return false;
}

// Runs a prepared statement with its values; on failure tells why.
bool run(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    if (!query.prepare(sql)) {
        return fail(error, query.lastError().text());
    }
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        return fail(error, query.lastError().text());
    }
    return true;
}

// Appends a scale model after the last row and raises the listed count, both or neither.
bool appendType(QSqlDatabase& db, int newCount, const QString& name, QString* error)
{
    Transaction transaction(db);
    if (!transaction.isOpen()) {
        return fail(error, transaction.beginError());
    }
    QSqlQuery query(db);
    const bool done =
        run(query, QStringLiteral("update Scale set ScaleNumber = ? where ID = 1"), {newCount}, error) &&
        run(query,
            QStringLiteral("insert into ScaleTypel(ID, ScaleName, ScaleRange) "
                           "select coalesce(max(ID), 0) + 1, ?, ? from ScaleTypel"),
            {name, QStringLiteral("30")}, error);
    return done && transaction.commit(error);
}

} // namespace

std::optional<Counts> loadCountsAndUpgrade(QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("select ComNumber,ScaleNumber from Scale where ID=1"), {}, error)) {
        return std::nullopt;
    }
    Counts counts;
    if (!query.next()) {
        return counts;
    }
    counts.ports = query.value(0).toInt();
    counts.types = query.value(1).toInt();
    query.finish();

    if (counts.types == 3) {
        if (!appendType(db, 4, QStringLiteral("VarnikA1"), error)) {
            return std::nullopt;
        }
        counts.types = 4;
    } else if (counts.types == 4) {
        if (!appendType(db, 5, QStringLiteral("VarnikB"), error)) {
            return std::nullopt;
        }
        counts.types = 5;
    }
    if (!run(query, QStringLiteral("update ScaleTypel set ScaleName = ? where ID = 1 and ScaleName = ?"),
             {QStringLiteral("VarnikC"), QStringLiteral("湘平ES")}, error)) {
        return std::nullopt;
    }
    return counts;
}

QStringList typeNames(QSqlDatabase& db, int count)
{
    QStringList names;
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("select ScaleName,ScaleRange from ScaleTypel order by ID"), {}, nullptr)) {
        return names;
    }
    while (names.size() < count && query.next()) {
        names.append(query.value(0).toString());
    }
    return names;
}

std::optional<TypeTexts> typeTexts(QSqlDatabase& db, int id)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("select ScaleName,ScaleRange,BaudRate from ScaleTypel where ID = ?"), {id},
             nullptr) ||
        !query.next()) {
        return std::nullopt;
    }
    return TypeTexts{query.value(0).toString(), query.value(1).toString(), query.value(2).toString()};
}

std::optional<TypeValues> typeValues(QSqlDatabase& db, int id)
{
    const auto texts = typeTexts(db, id);
    if (!texts) {
        return std::nullopt;
    }
    TypeValues values;
    bool ok = false;
    const double range = texts->range.trimmed().toDouble(&ok);
    values.range = ok ? range : 0.0;
    const int baudRate = texts->baudRate.trimmed().toInt(&ok);
    values.baudRate = ok ? baudRate : 0;
    return values;
}

bool storeChoice(StationSettings& settings, int portNumber, int scaleTypeIndex, const QString& range,
                 const QString& baudRate, const QString& device, QString* error)
{
    const auto typeRowAndDevice = [&](QSqlDatabase& db, QString* why) {
        QSqlQuery query(db);
        if (!run(query, QStringLiteral("update ScaleTypel set ScaleRange = ?, BaudRate = ? where ID = ?"),
                 {range, baudRate, scaleTypeIndex + 1}, why)) {
            return false;
        }
        if (query.numRowsAffected() != 1) {
            return fail(why,
                        QStringLiteral("ScaleTypel 表中没有 ID 为 %1 的电子秤类型").arg(scaleTypeIndex + 1));
        }
        return device.isEmpty() ||
               (ComDeviceMap::ensureTable(db, why) && ComDeviceMap::store(db, portNumber, device, why));
    };
    return settings.storeScale(portNumber, scaleTypeIndex + 1, typeRowAndDevice, error);
}

} // namespace ScaleSettingsStore
