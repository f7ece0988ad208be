#pragma once

#include "DemoFolder.h"
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
    static constexpr int kTradeId = 90001;
    static inline const QString kWaybill = QStringLiteral("ZT90001");
    static inline const QString kTradeNo = QStringLiteral("T90001");
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
        addTrade(kTradeId, kWaybill, kTradeNo, 5, QString());
        // Goods: 2 mugs of 380 g, a T-shirt of 180 g in a variant, 3 hair clips of 12.5 g.
        order("insert into G_Trade_GoodsList (TradeID, GoodsID, SpecID, SellCount, Unit) values "
              "(?, 7, 0, 2, '个'), (?, 1, 3, 1, '件'), (?, 29, 0, 3, '个')",
              {kTradeId, kTradeId, kTradeId});
        order("update G_Stock_Spec set Stock = 100 where (GoodsID = 7 and SpecID = 0) or "
              "(GoodsID = 1 and SpecID = 3) or (GoodsID = 29 and SpecID = 0)");

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
        for (const char* table : {"rule", "rule1", "rule2"}) {
            postage(QStringLiteral("delete from %1").arg(QLatin1String(table)));
        }
        // 青禾快递 in 江苏省: 8 yuan up to 1000 g, 4 yuan per further 1000 g started.
        postage(QStringLiteral("insert into rule (Express, Province, RuleIndex, StartWeight, EndWeight, "
                               "BeginChargeWeight, BeginChargeFee, DetaWeight, DetaFee) "
                               "values ('青禾快递', '江苏省', '1', 0, 30000, 1000, 8, 1000, 4)"));

        view.weight = QStringLiteral("1.250");
        view.scan = kWaybill;
        view.picker = {true, true, QStringLiteral("李秀兰")};
        view.packer = {true, true, QStringLiteral("张建国")};
        view.package = {true, true, QStringLiteral("小号纸箱")};
    }

    QString orderPath() const { return files.file(QStringLiteral("order.db")); }
    OrderDatabase& orderDb() { return demo->orderDb(); }

    void logIn() { demo->logIn(); }

    void addTrade(int id, const QString& waybill, const QString& tradeNo, int status, const QString& remark,
                  int packagedWeight = 0, double postageTotal = 0)
    {
        order("insert into G_Trade_TradeList (TradeID, TradeNO, PostID, SndTo, TradeNick, Province, City, "
              "Town, Adr, Tel, TradeStatus, bStockOut, CustomerRemark, Remark, GoodsWeight, PackagedWeight, "
              "Postage, LogisticID) values (?, ?, ?, '林晓', 'lin_1990', '江苏省', '南京市', '玄武区', "
              "'中山路1号', '13900000000', ?, 0, '请尽快发货', ?, 0, ?, ?, 1)",
              {id, tradeNo, waybill, status, remark.isNull() ? QVariant() : QVariant(remark), packagedWeight,
               postageTotal});
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

    // The station log without its empty first line, newest first, each line without its time.
    QStringList lines() const
    {
        QStringList result;
        for (const QString& line : report->log().lines().mid(1)) {
            result << line.mid(
                QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d")).match(line).hasMatch() ? 8 : 0);
        }
        return result;
    }

    static QSqlQuery run(QSqlDatabase db, const QString& sql, const QVariantList& values)
    {
        QSqlQuery query(db);
        bool ok = query.prepare(sql);
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        if (!ok || !query.exec()) {
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        }
        return query;
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
