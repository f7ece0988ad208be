#pragma once

#include "postage/PostageTables.h"
#include "store/SqlConnection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QVariant>

#include <memory>
#include <optional>

// One rule row as a test writes it straight into Postage.db. City and Town left invalid are NULL.
struct RuleRow
{
    QString table;
    QString express;
    QString province;
    QVariant city;
    QVariant town;
    int typle = 0;
    QString adr;
    QString ruleIndex;
    double start = 0;
    double end = 5000;
    qint64 firstWeight = 1000;
    double firstFee = 10;
    qint64 stepWeight = 1000;
    double stepFee = 2;
};

// A Postage.db file made by the test with the program's own tables.
class PostageTestDb
{
public:
    explicit PostageTestDb(const QString& path)
        : m_connection(
              std::make_unique<SqlConnection>(QStringLiteral("QSQLITE"), QStringLiteral("postage-test")))
    {
        QString error;
        m_ok = openSqliteFile(*m_connection, path, &error);
        // The file is thrown away after the test: no need to wait for the disk.
        QSqlQuery(db()).exec(QStringLiteral("PRAGMA synchronous = OFF"));
        m_ok = m_ok && createPostageTables(db(), &error);
        if (!m_ok) {
            qWarning() << error;
        }
    }

    bool isOpen() const { return m_ok; }
    QSqlDatabase& db() { return m_connection->db(); }

    bool add(const RuleRow& row)
    {
        QString columns = QStringLiteral("Express, Province, RuleIndex, StartWeight, EndWeight, "
                                         "BeginChargeWeight, BeginChargeFee, DetaWeight, DetaFee");
        QVariantList values = {row.express,     row.province, row.ruleIndex,  row.start,  row.end,
                               row.firstWeight, row.firstFee, row.stepWeight, row.stepFee};
        if (row.table != QLatin1String("rule")) {
            const QVariant null(QMetaType::fromType<QString>());
            columns += QStringLiteral(", City, Town, Typle");
            values << (row.city.isValid() ? row.city : null) << (row.town.isValid() ? row.town : null)
                   << row.typle;
        }
        if (row.table == QLatin1String("rule1")) {
            columns += QStringLiteral(", Adr");
            values << row.adr;
        }
        const QString marks = QStringLiteral("?") + QStringLiteral(", ?").repeated(values.size() - 1);
        return run(QStringLiteral("insert into %1 (%2) values (%3)").arg(row.table, columns, marks), values)
            .has_value();
    }

    bool exec(const QString& sql) { return run(sql, {}).has_value(); }

    int count(const QString& sql, const QVariantList& values = {})
    {
        std::optional<QSqlQuery> query = run(sql, values);
        return query && query->next() ? query->value(0).toInt() : -1;
    }

private:
    std::optional<QSqlQuery> run(const QString& sql, const QVariantList& values)
    {
        QSqlQuery query(db());
        query.prepare(sql);
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        if (!query.exec()) {
            qWarning() << sql << query.lastError().text();
            return std::nullopt;
        }
        return query;
    }

    std::unique_ptr<SqlConnection> m_connection;
    bool m_ok = false;
};
