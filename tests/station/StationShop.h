#pragma once

#include "DemoFolder.h"

#include "station/PlainScanView.h"
#include "station/ShipProcedure.h"
#include "station/StationReport.h"
#include "station/StationScale.h"
#include "station/StationServices.h"
#include "store/DemoOrderData.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

// A first-start data folder with the demo shop, logged in as the demo operator, with trades made
// for the test and one postage rule for 青禾快递 in 江苏省: 8 yuan up to 1000 g, 4 yuan per further
// 1000 g started.
struct StationShop
{
    static constexpr int kTradeId = 90001;
    static inline const QString kWaybill = QStringLiteral("ZT90001");
    static inline const QString kTradeNo = QStringLiteral("T90001");

    DemoFolder demo;
    RecordingPrompter& prompter = demo.prompter;
    RecordingSoundPlayer& sounds = demo.sounds;
    LoginContext& context = demo.session->context();
    StationReport report{sounds};
    PlainScanView view;
    int scaleTypeIndex = kManualScaleTypeIndex;
    double scaleRange = 30;

    StationShop()
    {
        demo.logIn();
        addTrade(kTradeId, kWaybill, kTradeNo, 5, QString());
        // Goods: 2 mugs of 380 g, a T-shirt of 180 g in a variant, 3 hair clips of 12.5 g.
        order("insert into G_Trade_GoodsList (TradeID, GoodsID, SpecID, SellCount, Unit) values "
              "(?, 7, 0, 2, '个'), (?, 1, 3, 1, '件'), (?, 29, 0, 3, '个')",
              {kTradeId, kTradeId, kTradeId});
        order("update G_Stock_Spec set Stock = 100 where (GoodsID = 7 and SpecID = 0) or "
              "(GoodsID = 1 and SpecID = 3) or (GoodsID = 29 and SpecID = 0)");
        for (const char* table : {"rule", "rule1", "rule2"}) {
            postage(QStringLiteral("delete from %1").arg(QLatin1String(table)));
        }
        addRule(0, 30000, 1000, 8, 1000, 4);

        view.weight = QStringLiteral("1.250");
        view.scan = kWaybill;
        view.picker = {true, true, QStringLiteral("李秀兰")};
        view.packer = {true, true, QStringLiteral("张建国")};
        view.package = {true, true, QStringLiteral("小号纸箱")};
    }

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

    void addRule(double start, double end, qint64 firstWeight, double firstFee, qint64 stepWeight,
                 double stepFee)
    {
        postage("insert into rule (Express, Province, RuleIndex, StartWeight, EndWeight, BeginChargeWeight, "
                "BeginChargeFee, DetaWeight, DetaFee) values ('青禾快递', '江苏省', '1', ?, ?, ?, ?, ?, ?)",
                {start, end, firstWeight, firstFee, stepWeight, stepFee});
    }

    ShipOutcome ship()
    {
        StationServices services{
            demo.orderDb(), demo.session->settings(), &demo.postageDb(), prompter,  report,
            sounds,         context.operatorName,     scaleTypeIndex,    scaleRange};
        return ShipProcedure(services, view).run();
    }

    // Boxes, sounds and log lines of earlier runs, for a shop that serves several.
    void forget()
    {
        prompter.messages.clear();
        prompter.questions.clear();
        sounds.played.clear();
        report.log().clear();
    }

    // The station log without its empty first line, newest first, each line without its time.
    QStringList lines() const
    {
        QStringList result;
        for (const QString& line : report.log().lines().mid(1)) {
            result << line.mid(
                QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d")).match(line).hasMatch() ? 8 : 0);
        }
        return result;
    }

    // Runs a statement, failing the whole test program when it does not run.
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
    void order(const char* sql, const QVariantList& values = {})
    {
        run(demo.stores().orderDb().db(), QString::fromUtf8(sql), values);
    }
    void login(const char* sql, const QVariantList& values = {})
    {
        run(demo.stores().loginDb(), QString::fromUtf8(sql), values);
    }
    void postage(const QString& sql, const QVariantList& values = {})
    {
        run(demo.stores().postageDb(), sql, values);
    }

    QVariant value(const char* sql, const QVariantList& values = {})
    {
        QSqlQuery query = run(demo.stores().orderDb().db(), QString::fromUtf8(sql), values);
        return query.next() ? query.value(0) : QVariant();
    }
    // One column of the trade, or several ("A, B") as one text "a|b".
    QVariant tradeColumn(const char* columns, int id = kTradeId)
    {
        const QByteArray joined = QByteArray(columns).replace(", ", " || '|' || ");
        return value("select " + joined + " from G_Trade_TradeList where TradeID = ?", {id});
    }
    // Everything the station may write, as one text: a run that must change nothing keeps it.
    QString fingerprint()
    {
        return value(
                   "select (select group_concat(TradeID || '|' || TradeStatus || '|' || bStockOut || '|' || "
                   "ifnull(Picker, '') || '|' || GoodsWeight || '|' || PackagedWeight || '|' || Postage || "
                   "'|' || ifnull(Remark, '') || '|' || ifnull(Packer, ''), ';') from G_Trade_TradeList) "
                   "|| '#' || (select count(*) from G_Trade_Log) || '#' || "
                   "(select group_concat(Stock, ',') from G_Stock_Spec)")
            .toString();
    }
};
