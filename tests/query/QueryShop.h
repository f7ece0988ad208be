#pragma once

#include "TempDataFolder.h"

#include "store/DemoOrderData.h"
#include "store/OrderDatabase.h"

#include <QSqlDatabase>
#include <QtTest>

// An embedded order database with the demo shop's shops, express companies and staff, and the
// shipped trades a test adds, all shipped in 2031 so that no demo trade is found with them.
struct QueryShop
{
    static constexpr qint64 kCustomer = 990001;
    static constexpr qint64 kOtherCustomer = 990002;

    struct Trade
    {
        int id = 0;
        QString tradeNo;
        QString postId;
        QString nick = QStringLiteral("buyer");
        QString sndTo = QStringLiteral("林晓");
        QString goods = QStringLiteral("马克杯*1");
        QString sndTime = QStringLiteral("2031-03-10 10:00:00");
        int shopId = 1;
        int logisticId = 1;
        qint64 customerId = kCustomer;
        double goodsWeight = 500;
        double packagedWeight = 620;
        double postage = 8;
        QString sndOperator = QStringLiteral("王晓峰");
        QString tel = QStringLiteral("13900000000");
    };

    TempDataFolder folder;
    OrderDatabase db;

    explicit QueryShop(int demoTrades = 0)
    {
        const QString path = folder.file(QStringLiteral("order.db"));
        DemoOrderOptions options;
        options.trades = demoTrades;
        QString error;
        if (!createDemoOrderDatabase(path, options, &error) ||
            !db.open(ServerSettings{QStringLiteral("sqlite:") + path, {}, {}, {}}, folder.path(), &error)) {
            qFatal("query shop: %s", qPrintable(error));
        }
        addCustomers(db);
    }

    // The two customers the trades belong to.
    static void addCustomers(OrderDatabase& db)
    {
        exec(db,
             "insert into G_Customer_CustomerList (CustomerID, CustomerName, Tel, Province, City, Town, Adr, "
             "Zip) values (?, '王芳', '13800000001', '江苏省', '南京市', '玄武区', '中山路1号', '210000'), "
             "(?, '赵磊', '13800000002', '浙江省', '杭州市', '西湖区', '文三路2号', '310000')",
             {kCustomer, kOtherCustomer});
    }

    ServerSettings server() const
    {
        return ServerSettings{
            QStringLiteral("sqlite:") + folder.file(QStringLiteral("order.db")), {}, {}, {}};
    }

    void exec(const char* sql, const QVariantList& values = {}) { exec(db, sql, values); }
    void add(const Trade& trade) { add(db, trade); }
    void addMany(int firstId, int count, const QString& day = QStringLiteral("2031-05-01"))
    {
        addMany(db, firstId, count, day);
    }

    static void exec(OrderDatabase& db, const char* sql, const QVariantList& values = {})
    {
        if (!db.execute(QString::fromUtf8(sql), values)) {
            qFatal("query shop: %s", qPrintable(db.lastError()));
        }
    }

    static void add(OrderDatabase& db, const Trade& trade)
    {
        exec(
            db,
            "insert into G_Trade_TradeList (TradeID, TradeNO, PostID, SndTo, TradeNick, NickName, Province, "
            "City, "
            "Town, Adr, Zip, Tel, TradeStatus, bStockOut, GoodsWeight, PackagedWeight, Postage, SndOperator, "
            "SndTime, GoodsList, LogisticID, ShopID, CustomerID) values (?, ?, ?, ?, ?, ?, '江苏省', "
            "'南京市', "
            "'玄武区', '中山路1号', '210000', ?, 8, 1, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {trade.id, trade.tradeNo.isNull() ? QStringLiteral("T%1").arg(trade.id) : trade.tradeNo,
             trade.postId.isNull() ? QStringLiteral("YT%1").arg(trade.id) : trade.postId, trade.sndTo,
             trade.nick, trade.nick, trade.tel, trade.goodsWeight, trade.packagedWeight, trade.postage,
             trade.sndOperator, trade.sndTime, trade.goods, trade.logisticId, trade.shopId,
             trade.customerId});
    }

    // count trades from firstId on, shipped on day, goods weight id mod 1000 grams, 100 g more packed,
    // postage of 1.5 yuan each.
    static void addMany(OrderDatabase& db, int firstId, int count, const QString& day)
    {
        exec(db, "begin");
        Trade trade;
        trade.sndTime = day + QStringLiteral(" 09:00:00");
        for (int id = firstId; id < firstId + count; ++id) {
            trade.id = id;
            trade.goodsWeight = id % 1000;
            trade.packagedWeight = id % 1000 + 100;
            trade.postage = 1.5;
            add(db, trade);
        }
        exec(db, "commit");
    }

    QString name(const char* sql, int id)
    {
        auto query = db.select(QString::fromUtf8(sql), {id});
        if (!query || !query->next()) {
            qFatal("query shop: no name");
        }
        return query->value(0).toString();
    }
    QString shopName(int id) { return name("select ShopName from G_Cfg_ShopList where ShopID = ?", id); }
    QString logisticName(int id)
    {
        return name("select Name from G_Cfg_LogisticList where LogisticID = ?", id);
    }
};
