#pragma once

#include "RecordingPrompter.h"
#include "postage/PostageTables.h"
#include "postage/RuleSave.h"
#include "store/SqlConnection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QVariant>

#include <optional>

// One rule row as a test writes it straight into Postage.db. City and Town left invalid are NULL.
struct RuleRow
{
    QString table, express, province;
    QVariant city, town;
    int typle = 0;
    QString adr, ruleIndex;
    double start = 0, end = 5000;
    qint64 firstWeight = 1000;
    double firstFee = 10;
    qint64 stepWeight = 1000;
    double stepFee = 2;
};

// A rule as the editor hands it over, with brackets up to 1000 and 3000 grams.
inline RuleDraft ruleDraft(const QString& express, const QString& style, const QStringList& provinces,
                           const QString& city = {}, const QString& town = {}, const QString& adr = {})
{
    const BracketTexts first{"1000", "1000", "8", "500", "2"}, second{"3000", "1000", "8", "1000", "1.5"};
    return RuleDraft{express, style, provinces, provinces.join(';') + ';',
                     city,    town,  adr,       {first, second},
                     {},      {},    {},        {}};
}

// A Postage.db file made by the test with the program's own tables.
class PostageTestDb
{
public:
    explicit PostageTestDb(const QString& path)
    {
        QString error;
        // The file is thrown away after the test: no need to wait for the disk.
        m_ok = openSqliteFile(m_connection, path, &error) &&
               exec(QStringLiteral("PRAGMA synchronous = OFF")) && createPostageTables(db(), &error);
        if (!m_ok) {
            qWarning() << error;
        }
    }

    bool isOpen() const { return m_ok; }
    QSqlDatabase& db() { return m_connection.db(); }

    bool add(const RuleRow& row)
    {
        QString columns = QStringLiteral("Express, Province, RuleIndex, StartWeight, EndWeight, "
                                         "BeginChargeWeight, BeginChargeFee, DetaWeight, DetaFee");
        QVariantList values = {row.express,     row.province, row.ruleIndex,  row.start,  row.end,
                               row.firstWeight, row.firstFee, row.stepWeight, row.stepFee};
        if (row.table != QLatin1String("rule")) {
            columns += QStringLiteral(", City, Town, Typle");
            values << row.city << row.town << row.typle; // an invalid value is bound as NULL
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

    // Saves as the editor does, at the given time.
    bool save(const RuleDraft& rule, const QDateTime& now = QDateTime::currentDateTime())
    {
        RecordingPrompter quiet;
        return SaveRule(db(), rule, now, quiet) == RuleSaveOutcome::Saved;
    }

    int count(const QString& sql, const QVariantList& values = {})
    {
        std::optional<QSqlQuery> query = run(sql, values);
        return query && query->next() ? query->value(0).toInt() : -1;
    }

    // Every row of the statement, its columns joined by '|'.
    QStringList rows(const QString& sql, const QVariantList& values = {})
    {
        QStringList result;
        for (std::optional<QSqlQuery> query = run(sql, values); query && query->next();) {
            QStringList columns;
            for (int i = 0; i < query->record().count(); ++i) {
                columns << query->value(i).toString();
            }
            result << columns.join('|');
        }
        return result;
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

    SqlConnection m_connection{QStringLiteral("QSQLITE"), QStringLiteral("postage-test")};
    bool m_ok = false;
};
