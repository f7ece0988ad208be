#pragma once

#include "postage/PostageTables.h"
#include "store/SqlConnection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QVariant>

#include <memory>

// One rule row as a test writes it straight into Postage.db.
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

inline QVariant nullText()
{
    return QVariant(QMetaType::fromType<QString>());
}

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
        QSqlQuery(m_connection->db()).exec(QStringLiteral("PRAGMA synchronous = OFF"));
        m_ok = m_ok && createPostageTables(m_connection->db(), &error);
        if (!m_ok) {
            qWarning() << error;
        }
    }

    bool isOpen() const { return m_ok; }
    QSqlDatabase& db() { return m_connection->db(); }

    bool add(const RuleRow& row)
    {
        QSqlQuery query(db());
        if (row.table == QLatin1String("rule")) {
            query.prepare(
                QStringLiteral("insert into rule (Express, Province, RuleIndex, StartWeight, EndWeight, "
                               "BeginChargeWeight, BeginChargeFee, DetaWeight, DetaFee) "
                               "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        } else {
            const bool withAdr = row.table == QLatin1String("rule1");
            query.prepare(
                QStringLiteral("insert into %1 (Express, Province, RuleIndex, StartWeight, EndWeight, "
                               "BeginChargeWeight, BeginChargeFee, DetaWeight, DetaFee, City, Town, "
                               "Typle%2) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?%3)")
                    .arg(row.table, withAdr ? QStringLiteral(", Adr") : QString(),
                         withAdr ? QStringLiteral(", ?") : QString()));
        }
        for (const QVariant& value :
             {QVariant(row.express), QVariant(row.province), QVariant(row.ruleIndex), QVariant(row.start),
              QVariant(row.end), QVariant(row.firstWeight), QVariant(row.firstFee), QVariant(row.stepWeight),
              QVariant(row.stepFee)}) {
            query.addBindValue(value);
        }
        if (row.table != QLatin1String("rule")) {
            query.addBindValue(row.city.isValid() ? row.city : nullText());
            query.addBindValue(row.town.isValid() ? row.town : nullText());
            query.addBindValue(row.typle);
            if (row.table == QLatin1String("rule1")) {
                query.addBindValue(row.adr);
            }
        }
        if (!query.exec()) {
            qWarning() << query.lastError().text();
            return false;
        }
        return true;
    }

    int count(const QString& sql, const QVariantList& values = {})
    {
        QSqlQuery query(db());
        query.prepare(sql);
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        if (!query.exec() || !query.next()) {
            qWarning() << sql << query.lastError().text();
            return -1;
        }
        return query.value(0).toInt();
    }

private:
    std::unique_ptr<SqlConnection> m_connection;
    bool m_ok = false;
};
