#include "store/EmbeddedOrderSchema.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// Keys are integers (SQLite compares them with the quoted texts the statements use by applying the
// column's integer affinity). Weights are grams, NUMERIC so that whole grams read back as "120"
// and fractions as "120.5". Times are text "yyyy-MM-dd HH:mm:ss", which SQLite's date functions read.
const char* const kTables[] = {
    "create table if not exists G_Trade_TradeList ("
    "TradeID integer primary key, TradeNO text, PostID text, SndTo text, TradeNick text, NickName text, "
    "Province text, City text, Town text, Adr text, Zip text, Tel text, "
    "TradeStatus integer not null default 1, bStockOut integer not null default 0, "
    "CustomerRemark text, Remark text, GoodsWeight numeric not null default 0, "
    "PackagedWeight numeric not null default 0, Postage real not null default 0, Picker text, "
    "SndOperator text, SndTime text, GoodsList text, LogisticID integer, ShopID integer, "
    "CustomerID integer, estimateWeight numeric not null default 0, TradeTime text, "
    "Packer text, PackageName text)",

    "create table if not exists G_Trade_GoodsList ("
    "RecID integer primary key, TradeID integer not null, GoodsID integer not null, "
    "SpecID integer not null default 0, SellCount integer not null default 1, Unit text, "
    "Price real not null default 0)",

    "create table if not exists G_Trade_Log ("
    "RecID integer primary key, TradeID integer not null, Operator text, LogDetail text, LogTime text)",

    "create table if not exists G_Goods_GoodsList ("
    "GoodsID integer primary key, GoodsNO text, GoodsName text not null, GoodsSpec text not null default '', "
    "Weight numeric not null default 0, BarCode text, bMultiSpec integer not null default 0, "
    "Price real not null default 0)",

    "create table if not exists G_Goods_GoodsSpec ("
    "SpecID integer primary key, GoodsID integer not null, SpecName text not null, SpecCode text)",

    "create table if not exists G_GOods_AssistBarCode ("
    "RecID integer primary key, BarCode text not null, GoodsID integer not null, "
    "SpecID integer not null default 0)",

    // Stock per goods variant; SpecID 0 is the stock of a goods without variants.
    "create table if not exists G_Stock_Spec ("
    "GoodsID integer not null, SpecID integer not null default 0, "
    "Stock integer not null default 0 check (Stock >= 0), primary key (GoodsID, SpecID))",

    "create table if not exists G_Cfg_LogisticList ("
    "LogisticID integer primary key, Name text not null, Tel text, Remark text)",

    "create table if not exists G_Cfg_PackageList ("
    "PackageID integer primary key, PackageName text not null, PackageWeight numeric not null default 0)",

    "create table if not exists G_Cfg_StaffList (StaffID integer primary key, Name text not null)",

    "create table if not exists G_Cfg_ShopList (ShopID integer primary key, ShopName text not null)",

    "create table if not exists G_Customer_CustomerList ("
    "CustomerID integer primary key, CustomerName text, Tel text, Province text, City text, Town text, "
    "Adr text, Zip text)",

    "create table if not exists G_Sys_UserList ("
    "UserID integer primary key, UserName text not null, PWD text, GroupID integer not null default 1, "
    "bBlockUp integer not null default 0)",

    "create table if not exists G_Cfg_Sys (RecID integer primary key, CfgName text, CfgValue text)",

    "create table if not exists G_API_TradeList ("
    "BillID integer primary key, TradeID integer, RawTradeNO text, ShopID integer)",

    "create table if not exists G_API_TradeGoods ("
    "RecID integer primary key, BillID integer not null, GoodsID integer, SellCount integer)",
};

const char* const kIndexes[] = {
    "create index if not exists G_Trade_TradeList_PostID on G_Trade_TradeList (PostID)",
    "create index if not exists G_Trade_TradeList_TradeNO on G_Trade_TradeList (TradeNO)",
    // The query tab counts and pages the trades of a shipping period together with their customer,
    // shop and logistics company, often by weight; holding those beside the time spares a read of
    // every trade. Checking a customer in its own small index beats reading the customer's row.
    "create index if not exists G_Trade_TradeList_SndTime on G_Trade_TradeList (SndTime, CustomerID, ShopID, "
    "LogisticID, GoodsWeight, PackagedWeight)",
    "create index if not exists G_Customer_CustomerList_CustomerID on G_Customer_CustomerList (CustomerID)",
    "create index if not exists G_Trade_TradeList_TradeStatus on G_Trade_TradeList (TradeStatus)",
    "create index if not exists G_Trade_GoodsList_TradeID on G_Trade_GoodsList (TradeID)",
    "create index if not exists G_Trade_Log_TradeID on G_Trade_Log (TradeID)",
    "create index if not exists G_Goods_GoodsList_BarCode on G_Goods_GoodsList (BarCode)",
    "create index if not exists G_Goods_GoodsSpec_GoodsID on G_Goods_GoodsSpec (GoodsID)",
    "create index if not exists G_GOods_AssistBarCode_BarCode on G_GOods_AssistBarCode (BarCode)",
    "create index if not exists G_Sys_UserList_UserName on G_Sys_UserList (UserName)",
    "create index if not exists G_API_TradeList_TradeID on G_API_TradeList (TradeID)",
    "create index if not exists G_API_TradeGoods_BillID on G_API_TradeGoods (BillID)",
};

template <std::size_t N> bool runAll(QSqlDatabase& db, const char* const (&statements)[N], QString* error)
{
    QSqlQuery query(db);
    for (const char* statement : statements) {
        if (!query.exec(QString::fromLatin1(statement))) {
            if (error) {
                *error = query.lastError().text();
            }
            return false;
        }
    }
    return true;
}

} // namespace

bool createEmbeddedOrderTables(QSqlDatabase& db, QString* error)
{
    return runAll(db, kTables, error);
}

bool createEmbeddedOrderIndexes(QSqlDatabase& db, QString* error)
{
    return runAll(db, kIndexes, error);
}

bool createEmbeddedOrderSchema(QSqlDatabase& db, QString* error)
{
    return createEmbeddedOrderTables(db, error) && createEmbeddedOrderIndexes(db, error);
}
