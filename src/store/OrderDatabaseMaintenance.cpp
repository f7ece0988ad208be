// The administrator's commands that change many trades at once.
#include "store/OrderDatabase.h"

#include "base/Transaction.h"

namespace {

// The rows that hang on a trade go before the trades themselves.
const char* const kClearAwaitingReview[] = {
    "Delete from G_Trade_Log where TradeID IN (select TradeID from G_Trade_TradeList where TradeStatus=2)",
    "Delete from G_API_TradeGoods where BillID IN (select BillID from G_API_TradeList where TradeID in "
    "(select TradeID from G_Trade_TradeList where TradeStatus=2))",
    "Delete from G_API_TradeList where TradeID IN (select TradeID from G_Trade_TradeList where "
    "TradeStatus=2)",
    "Delete from G_Trade_GoodsList where TradeID IN (select TradeID from G_Trade_TradeList where "
    "TradeStatus=2)",
    "Delete from G_Trade_TradeList where TradeStatus=2",
};

} // namespace

bool OrderDatabase::copyEstimatedGoodsWeight()
{
    return execute(QStringLiteral("update G_Trade_TradeList set GoodsWeight = estimateWeight Where "
                                  "GoodsWeight=0 and TradeStatus='11'"));
}

bool OrderDatabase::clearTradesAwaitingReview()
{
    if (!isOpen() || m_lost) {
        m_lost = true;
        m_lastError = QStringLiteral("order database not connected");
        return false;
    }
    // One unit of work on the connection, on either dialect: each statement's failure is known at
    // once, and anything short of the commit is rolled back.
    Transaction unit(m_connection->db(), m_dialect == Dialect::Embedded ? Transaction::Lock::Immediate
                                                                        : Transaction::Lock::Deferred);
    if (!unit.isOpen()) {
        noteFailure(unit.beginError());
        return false;
    }
    for (const char* statement : kClearAwaitingReview) {
        if (!execute(QLatin1String(statement))) {
            return false;
        }
    }
    QString error;
    if (!unit.commit(&error)) {
        noteFailure(error);
        return false;
    }
    return true;
}
