#pragma once

#include "DemoFolder.h"
#include "ShopRows.h"

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
    static constexpr int kTradeId = ShopRows::kTradeId;
    static inline const QString kWaybill = ShopRows::kWaybill;
    static inline const QString kTradeNo = ShopRows::kTradeNo;

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
        ShopRows::addGoodsTrade(demo.stores().orderDb().db());
        ShopRows::setOneRule(demo.stores().postageDb());
        ShopRows::fillView(view);
    }

    void addTrade(int id, const QString& waybill, const QString& tradeNo, int status, const QString& remark,
                  int packagedWeight = 0, double postageTotal = 0)
    {
        ShopRows::addTrade(demo.stores().orderDb().db(), id, waybill, tradeNo, status, remark, packagedWeight,
                           postageTotal);
    }

    void addRule(double start, double end, qint64 firstWeight, double firstFee, qint64 stepWeight,
                 double stepFee)
    {
        ShopRows::addRule(demo.stores().postageDb(), start, end, firstWeight, firstFee, stepWeight, stepFee);
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

    QStringList lines() const { return ShopRows::logLines(report); }

    static QSqlQuery run(QSqlDatabase db, const QString& sql, const QVariantList& values)
    {
        return ShopRows::run(db, sql, values);
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
