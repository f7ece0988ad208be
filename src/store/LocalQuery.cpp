#include "store/LocalQuery.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

bool run(QSqlQuery& query, const QString& sql, const QVariantList& values)
{
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        return false;
    }
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    return query.exec();
}

} // namespace

std::optional<QSqlRecord> LocalQuery::firstRow(QSqlDatabase& db, const QString& sql,
                                               const QVariantList& values)
{
    QSqlQuery query(db);
    if (!run(query, sql, values) || !query.next()) {
        return std::nullopt;
    }
    return query.record();
}

QStringList LocalQuery::column(QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    QStringList result;
    QSqlQuery query(db);
    if (run(query, sql, values)) {
        while (query.next()) {
            result << query.value(0).toString();
        }
    }
    return result;
}

bool LocalQuery::exec(QSqlDatabase& db, const QString& sql, const QVariantList& values, QString* error)
{
    QSqlQuery query(db);
    if (run(query, sql, values)) {
        return true;
    }
    if (error) {
        *error = query.lastError().text();
    }
    return false;
}
