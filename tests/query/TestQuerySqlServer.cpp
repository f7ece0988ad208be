// The query tab's statements in the SQL Server dialect, through QODBC and FreeTDS to the stand-in
// server, held to what the embedded dialect finds in the same order file: the trades of each filter,
// the count, the pages, the sums and the full export.
#include "MarchTrades.h"
#include "TdsTestServer.h"
#include "WorkbookReader.h"

#include "query/QueryCondition.h"
#include "query/QueryRun.h"

#include <QJsonArray>
#include <QtTest>

#include <memory>

namespace {

using namespace MarchTrades;

QueryFilters mayFirst()
{
    QueryFilters filters;
    filters.from = filters.to = QDate(2031, 5, 1);
    return filters;
}

// Every field of the trades found and the three numbers summed, one text per trade.
QStringList texts(const QList<OrderDatabase::FoundTrade>& trades)
{
    QStringList result;
    for (const OrderDatabase::FoundTrade& trade : trades) {
        result << trade.fields.join(QLatin1Char('|')) + QStringLiteral("|%1|%2|%3")
                                                            .arg(trade.goodsWeight)
                                                            .arg(trade.packagedWeight)
                                                            .arg(trade.postage);
    }
    return result;
}

QString pagingText(const QueryPaging& paging)
{
    return QStringLiteral("%1/%2/%3/%4/%5/%6")
        .arg(paging.total())
        .arg(paging.pageCount())
        .arg(paging.currentPage())
        .arg(paging.offset())
        .arg(paging.hasPrevious())
        .arg(paging.hasNext());
}

} // namespace

class TestQuerySqlServer : public QObject
{
    Q_OBJECT

private:
    QueryShop m_shop;
    std::unique_ptr<TdsTestServer> m_server;
    OrderDatabase m_wire;

    // The trades of the filter in the order given, or nullopt when the statement failed.
    std::optional<QList<OrderDatabase::FoundTrade>>
    every(OrderDatabase& db, const OrderDatabase::TradeFilter& filter, qint64 total)
    {
        QList<OrderDatabase::FoundTrade> trades;
        if (!db.eachTrade(filter, total, [&trades](const OrderDatabase::FoundTrade& trade) {
                trades << trade;
                return true;
            })) {
            qWarning("failed: %s", qPrintable(db.lastError()));
            return std::nullopt;
        }
        return trades;
    }

    // The logged requests whose statement reads the result columns, oldest first.
    QList<QJsonObject> listRequests() const
    {
        QList<QJsonObject> found;
        for (const QJsonObject& entry : m_server->requests()) {
            if (entry.value(QStringLiteral("text")).toString().contains(QLatin1String("GoodsList,SndTime"))) {
                found << entry;
            }
        }
        return found;
    }

    static void compareShown(const QueryRun::Shown& wire, const QueryRun::Shown& embedded)
    {
        QVERIFY2(wire.ok, qPrintable(wire.message));
        QCOMPARE(wire.rows, embedded.rows);
        QCOMPARE(wire.rangeText, embedded.rangeText);
        QCOMPARE(wire.totalText, embedded.totalText);
        QCOMPARE(wire.message, embedded.message);
        QCOMPARE(pagingText(wire.paging), pagingText(embedded.paging));
    }

private slots:
    void initTestCase()
    {
        MarchTrades::add(m_shop);
        // 101 trades of one day for the pages, another day's trades between them.
        m_shop.addMany(1000, 60);
        m_shop.addMany(1060, 20, QStringLiteral("2031-05-02"));
        m_shop.addMany(1080, 41);

        m_server = std::make_unique<TdsTestServer>(m_shop.folder.file(QStringLiteral("order.db")));
        QVERIFY2(m_server->isRunning(), qPrintable(m_server->error()));
        QString error;
        QVERIFY2(m_wire.open(m_server->settings(QStringLiteral("wdgj"), QStringLiteral("zelvo"),
                                                QStringLiteral("pw")),
                             m_shop.folder.path(), &error),
                 qPrintable(error));
        QCOMPARE(m_wire.dialect(), OrderDatabase::Dialect::SqlServer);
    }

    void filtersFindTheSameTrades_data() { addFilterRows(); }

    // The same trades with the same fields in the same order; each value goes bound, never inside
    // the statement's text.
    void filtersFindTheSameTrades()
    {
        QFETCH(Change, change);
        QFETCH(QList<int>, ids);
        QueryFilters filters = march();
        if (change) {
            change(filters, m_shop);
        }
        OrderDatabase::TradeFilter embeddedFilter;
        OrderDatabase::TradeFilter wireFilter;
        QVERIFY(filterFor(m_shop.db, filters, &embeddedFilter));
        QVERIFY(filterFor(m_wire, filters, &wireFilter));

        m_server->clearRequests();
        qint64 total = -1;
        QVERIFY2(m_wire.countTrades(wireFilter, &total), qPrintable(m_wire.lastError()));
        QCOMPARE(total, ids.size());
        const auto wire = every(m_wire, wireFilter, total);
        const auto embedded = every(m_shop.db, embeddedFilter, total);
        QVERIFY(wire && embedded);
        QList<int> wireIds;
        for (const OrderDatabase::FoundTrade& trade : *wire) {
            wireIds << trade.fields.at(0).toInt();
        }
        QCOMPARE(wireIds, ids);
        QCOMPARE(texts(*wire), texts(*embedded));

        const QList<QJsonObject> statements = listRequests();
        QVERIFY(!statements.isEmpty());
        const QJsonObject& request = statements.last();
        const QString text = request.value(QStringLiteral("text")).toString();
        QCOMPARE(request.value(QStringLiteral("params")).toArray().size(), wireFilter.values.size());
        for (const QVariant& value : wireFilter.values) {
            if (value.typeId() == QMetaType::QString) {
                QVERIFY2(!text.contains(value.toString()), qPrintable(text));
            }
        }
    }

    // The stand-in reads "[5]" in a like pattern as a class, as the server does: the filter above
    // finds only the bracket because the pattern escapes it.
    void unescapedBracketIsAClass()
    {
        auto query = m_wire.select(
            QStringLiteral("select TradeID from G_Trade_TradeList where Tel like ? order by TradeID"),
            {QStringLiteral("%[5]%")});
        QVERIFY2(query, qPrintable(m_wire.lastError()));
        QList<int> ids;
        while (query->next()) {
            ids << query->value(0).toInt();
        }
        QCOMPARE(ids, (QList<int>{3, 5, 6, 7}));
    }

    void pagesShowTheSame()
    {
        OrderDatabase::TradeFilter embeddedFilter;
        OrderDatabase::TradeFilter wireFilter;
        QVERIFY(filterFor(m_shop.db, mayFirst(), &embeddedFilter));
        QVERIFY(filterFor(m_wire, mayFirst(), &wireFilter));

        const QueryRun::Shown first = QueryRun::search(m_wire, wireFilter, 50, allSums());
        compareShown(first, QueryRun::search(m_shop.db, embeddedFilter, 50, allSums()));
        QCOMPARE(first.paging.total(), 101);
        QCOMPARE(first.rows.size(), 51);
        QCOMPARE(first.rows.at(49).mid(0, 2), (QStringList{"50", "1049"}));

        m_server->clearRequests();
        const QueryRun::Shown second = QueryRun::page(m_wire, wireFilter, first.paging.next(), allSums());
        compareShown(second, QueryRun::page(m_shop.db, embeddedFilter, first.paging.next(), allSums()));
        // Trades of another day lie between the pages: the first of the second is the 51st found.
        QCOMPARE(second.rows.first().mid(0, 2), (QStringList{"51", "1050"}));
        QCOMPARE(second.rows.at(10).mid(0, 2), (QStringList{"61", "1080"}));
        const QList<QJsonObject> pageRequests = listRequests();
        QCOMPARE(pageRequests.size(), 1);
        const QString pageText = pageRequests.first().value(QStringLiteral("text")).toString();
        QVERIFY2(pageText.contains(QLatin1String("TradeID > (select max(TradeID) from (select Top (")),
                 qPrintable(pageText));
        QVERIFY2(!pageText.contains(QLatin1String("50")), qPrintable(pageText));
        QVERIFY(paramValues(pageRequests.first()).contains(QStringLiteral("50")));

        const QueryRun::Shown third =
            QueryRun::page(m_wire, wireFilter, second.paging.next(), {false, false, false, true});
        compareShown(third, QueryRun::page(m_shop.db, embeddedFilter, second.paging.next(),
                                           {false, false, false, true}));
        QCOMPARE(third.rows.size(), 2);
        QCOMPARE(third.rows.first().mid(0, 2), (QStringList{"101", "1120"}));
        QCOMPARE(third.totalText, QStringLiteral("邮资合计:1.5元  共查询到101 条记录"));

        const QueryRun::Shown back = QueryRun::page(m_wire, wireFilter, third.paging.previous(), allSums());
        compareShown(back, QueryRun::page(m_shop.db, embeddedFilter, third.paging.previous(), allSums()));
        QCOMPARE(back.rows.first().at(1), QStringLiteral("1050"));
    }

    void searchTexts_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing found") << Change([](QueryFilters& f, QueryShop&) {
            f.searchType = 1;
            f.value = QStringLiteral("YT404");
        }) << 50 << QStringLiteral("无满足此条件的记录!");
        QTest::newRow("all on one page") << Change() << 50 << QString();
        QTest::newRow("paged by two") << Change() << 2 << QString();
    }

    // Status texts and sums of a March search, the money and weights as the list shows them.
    void searchTexts()
    {
        QFETCH(Change, change);
        QFETCH(int, pageSize);
        QFETCH(QString, message);
        QueryFilters filters = march();
        if (change) {
            change(filters, m_shop);
        }
        OrderDatabase::TradeFilter embeddedFilter;
        OrderDatabase::TradeFilter wireFilter;
        QVERIFY(filterFor(m_shop.db, filters, &embeddedFilter));
        QVERIFY(filterFor(m_wire, filters, &wireFilter));
        const QueryRun::Shown wire = QueryRun::search(m_wire, wireFilter, pageSize, allSums());
        compareShown(wire, QueryRun::search(m_shop.db, embeddedFilter, pageSize, allSums()));
        QCOMPARE(wire.message, message);
        if (!message.isEmpty()) {
            QVERIFY(wire.rows.isEmpty());
            QCOMPARE(wire.rangeText, QStringLiteral("查询到 0 条记录"));
        }
        if (message.isEmpty() && pageSize == 50) {
            QCOMPARE(wire.totalText.section(QLatin1Char(' '), -1), QStringLiteral("条记录"));
            QVERIFY2(wire.totalText.contains(QStringLiteral("邮资合计:44.5元")), qPrintable(wire.totalText));
        }
    }

    // The unpaged statement behind a full export: the workbook written from the server reads back
    // as the one written from the file.
    void fullExportReadsTheSame()
    {
        OrderDatabase::TradeFilter embeddedFilter;
        OrderDatabase::TradeFilter wireFilter;
        QVERIFY(filterFor(m_shop.db, mayFirst(), &embeddedFilter));
        QVERIFY(filterFor(m_wire, mayFirst(), &wireFilter));
        QList<bool> shown(22, true);
        shown[2] = false;
        QJsonArray books[2];
        for (int side = 0; side < 2; ++side) {
            const QString path =
                m_shop.folder.file(side == 0 ? QStringLiteral("wire.xls") : QStringLiteral("file.xls"));
            std::unique_ptr<WorkbookWriter> writer = makeWorkbookWriter(path);
            const QueryRun::Exported exported =
                QueryRun::exportAll(side == 0 ? m_wire : m_shop.db, side == 0 ? wireFilter : embeddedFilter,
                                    101, shown, *writer, {});
            QVERIFY2(exported.ok, qPrintable(exported.message));
            QCOMPARE(exported.message, QStringLiteral("共导出101条记录!"));
            books[side] = readWorkbook(path);
        }
        QCOMPARE(books[0].size(), 1);
        QCOMPARE(books[0].at(0).toObject().value(QStringLiteral("nrows")).toInt(), 103);
        QCOMPARE(books[0], books[1]);
        QCOMPARE(rowTexts(books[0], 0, 101).mid(0, 3), (QStringList{"101", "1120", "T1120"}));
        QCOMPARE(rowTexts(books[0], 0, 102).at(0), QStringLiteral("合计"));
    }

private:
    static QStringList paramValues(const QJsonObject& request)
    {
        QStringList values;
        for (const QJsonValue& param : request.value(QStringLiteral("params")).toArray()) {
            values << param.toObject().value(QStringLiteral("value")).toVariant().toString();
        }
        return values;
    }
};

QTEST_GUILESS_MAIN(TestQuerySqlServer)
#include "TestQuerySqlServer.moc"
