#include "store/LocalQuery.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

bool run(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    query.setForwardOnly(true);
    bool ok = query.prepare(sql);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    ok = ok && query.exec();
    if (!ok && error) {
        *error = query.lastError().text();
    }
    return ok;
}

} // namespace

bool LocalQuery::firstRow(QSqlDatabase& db, const QString& sql, const QVariantList& values,
                          std::optional<QSqlRecord>* row, QString* error)
{
    row->reset();
    QSqlQuery query(db);
    if (!run(query, sql, values, error)) {
        return false;
    }
    if (query.next()) {
        *row = query.record();
    }
    return true;
}

bool LocalQuery::column(QSqlDatabase& db, const QString& sql, const QVariantList& values, QStringList* result,
                        QString* error)
{
    result->clear();
    QSqlQuery query(db);
    if (!run(query, sql, values, error)) {
        return false;
    }
    while (query.next()) {
        result->append(query.value(0).toString());
    }
    return true;
}

bool LocalQuery::exec(QSqlDatabase& db, const QString& sql, const QVariantList& values, QString* error,
                      int* changedRows)
{
    QSqlQuery query(db);
    if (!run(query, sql, values, error)) {
        return false;
    }
    if (changedRows) {
        *changedRows = query.numRowsAffected();
    }
    return true;
}
