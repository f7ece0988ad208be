#pragma once

#include "DemoFolder.h"
#include "ShopRows.h"
#include "TdsTestServer.h"

#include "station/PlainScanView.h"
#include "station/ShipProcedure.h"
#include "station/StationReport.h"
#include "station/StationScale.h"
#include "station/StationServices.h"
#include "store/DemoOrderData.h"
#include "store/SqlConnection.h"

#include <QJsonArray>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

// The demo shop behind the SQL Server stand-in: the order file is made here and served over TDS,
// the station's data folder points at the server, and the operator is logged in through QODBC and
// FreeTDS. The trade 90001 and the postage rule are those of the embedded station tests, so that
// both dialects can be held to the same outcome.
struct WireShop
{
    static constexpr int kTradeId = ShopRows::kTradeId;
    static inline const QString kWaybill = ShopRows::kWaybill;
    static inline const QString kTradeNo = ShopRows::kTradeNo;
    static inline const QString kDatabase = QStringLiteral("wdgj");
    static inline const QString kUser = QStringLiteral("zelvo");
    static inline const QString kPassword = QStringLiteral("s3cret;pw");

    TempDataFolder files;
    SqlConnection file{QStringLiteral("QSQLITE"), QStringLiteral("wire-shop-file")};
    std::unique_ptr<TdsTestServer> server;
    std::unique_ptr<DemoFolder> demo;
    std::unique_ptr<StationReport> report;
    PlainScanView view;
    int scaleTypeIndex = kManualScaleTypeIndex;
    double scaleRange = 30;

    explicit WireShop(const QStringList& serverArguments = {})
    {
        DemoOrderOptions options;
        options.trades = 20;
        options.reference = QDateTime(QDate(2024, 3, 1), QTime(12, 0));
        QString error;
        if (!createDemoOrderDatabase(orderPath(), options, &error) ||
            !openSqliteFile(file, orderPath(), &error)) {
            qFatal("order file: %s", qPrintable(error));
        }
        ShopRows::addGoodsTrade(file.db());

        server = std::make_unique<TdsTestServer>(orderPath(), serverArguments);
        if (!server->isRunning()) {
            qFatal("TDS test server: %s", qPrintable(server->error()));
        }
        const ServerSettings settings = server->settings(kDatabase, kUser, kPassword);
        demo = std::make_unique<DemoFolder>([&settings](QSqlDatabase& loginDb) {
            run(loginDb,
                QStringLiteral(
                    "update server set ServerIP = ?, DataBase = ?, UserName = ?, PassWord = ? where ID = 3"),
                {settings.serverIp, settings.dataBase, settings.userName, settings.passWord});
        });
        report = std::make_unique<StationReport>(demo->sounds);
        ShopRows::setOneRule(demo->postageDb());
        ShopRows::fillView(view);
    }

    QString orderPath() const { return files.file(QStringLiteral("order.db")); }
    OrderDatabase& orderDb() { return demo->orderDb(); }

    void logIn() { demo->logIn(); }

    void addTrade(int id, const QString& waybill, const QString& tradeNo, int status, const QString& remark,
                  int packagedWeight = 0, double postageTotal = 0)
    {
        ShopRows::addTrade(file.db(), id, waybill, tradeNo, status, remark, packagedWeight, postageTotal);
    }

    ShipOutcome ship()
    {
        StationServices services{orderDb(),
                                 demo->session->settings(),
                                 &demo->postageDb(),
                                 demo->prompter,
                                 *report,
                                 demo->sounds,
                                 demo->session->context().operatorName,
                                 scaleTypeIndex,
                                 scaleRange};
        return ShipProcedure(services, view).run();
    }

    QStringList lines() const { return ShopRows::logLines(*report); }

    static QSqlQuery run(QSqlDatabase db, const QString& sql, const QVariantList& values)
    {
        return ShopRows::run(db, sql, values);
    }
    // Straight to the order file, past the server.
    void order(const char* sql, const QVariantList& values = {})
    {
        run(file.db(), QString::fromUtf8(sql), values);
    }
    void login(const char* sql, const QVariantList& values = {})
    {
        run(demo->loginDb(), QString::fromUtf8(sql), values);
    }
    void postage(const QString& sql, const QVariantList& values = {}) { run(demo->postageDb(), sql, values); }
    QVariant value(const char* sql, const QVariantList& values = {})
    {
        QSqlQuery query = run(file.db(), QString::fromUtf8(sql), values);
        return query.next() ? query.value(0) : QVariant();
    }
    // One column of the trade in the order file, or several ("A, B") as one text "a|b".
    QString tradeColumns(const char* columns, int id = kTradeId)
    {
        const QByteArray joined = QByteArray(columns).replace(", ", " || '|' || ");
        return value("select " + joined + " from G_Trade_TradeList where TradeID = ?", {id}).toString();
    }

    // The requests whose statement text matches, oldest first.
    QList<QJsonObject> requests(const QString& pattern) const
    {
        QList<QJsonObject> found;
        const QRegularExpression match(pattern);
        for (const QJsonObject& entry : server->requests()) {
            if (match.match(entry.value(QStringLiteral("text")).toString()).hasMatch()) {
                found << entry;
            }
        }
        return found;
    }
    // The values a request bound, each as "type:value".
    static QStringList params(const QJsonObject& request)
    {
        QStringList values;
        for (const QJsonValue& param : request.value(QStringLiteral("params")).toArray()) {
            const QJsonObject p = param.toObject();
            values << p.value(QStringLiteral("type")).toString() + QLatin1Char(':') +
                          p.value(QStringLiteral("value")).toVariant().toString();
        }
        return values;
    }
};
