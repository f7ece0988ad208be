#include "station/TradeLookup.h"

#include "base/ReportSink.h"
#include "station/ScanView.h"
#include "station/ShipText.h"
#include "store/StationSettings.h"

#include <cmath>

namespace TradeLookup {
namespace {

const QString kRule = QString(68, QLatin1Char('-'));

QString notANumber(const QString& what, const QString& value)
{
    return what + QStringLiteral("\"") + value + QStringLiteral("\"不是有效的数字!");
}

} // namespace

std::optional<double> decimal(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> whole(const QString& text)
{
    const std::optional<double> value = decimal(text);
    if (!value || std::trunc(*value) != *value || std::fabs(*value) > 9.0e15) {
        return std::nullopt;
    }
    return static_cast<qint64>(*value);
}

QString databaseFailure(const OrderDatabase& db)
{
    return QStringLiteral("订单数据库操作失败:") + db.lastError();
}

bool LookupTrade(OrderDatabase& db, const QString& scan, bool byTradeNo, std::optional<Trade>* trade,
                 QString* error)
{
    if (!db.findStationTrade(scan, byTradeNo, trade)) {
        *error = databaseFailure(db);
        return false;
    }
    return true;
}

void ShowTradeSummary(ScanView& view, const Trade& trade)
{
    const QString separator = QStringLiteral(", ");
    view.appendSummaryLine(QStringLiteral("收件信息：") + trade.sndTo + QLatin1Char('(') + trade.tradeNick +
                           QStringLiteral("), ") + trade.province + separator + trade.city + separator +
                           trade.town + separator + trade.adr + separator + trade.tel + separator +
                           trade.tradeNo);
    view.appendSummaryLine(kRule);
    view.appendSummaryLine(QStringLiteral("客户备注：") + trade.customerRemark);
    view.appendSummaryLine(kRule);
    view.appendSummaryLine(QStringLiteral("卖家备注：") + trade.remark);
}

bool ShowGoodsList(OrderDatabase& db, ScanView& view, ReportSink& sink, const QString& tradeId,
                   QString* error)
{
    QList<OrderDatabase::TradeGoodsLine> lines;
    if (!db.tradeGoodsLines(tradeId, &lines)) {
        *error = databaseFailure(db);
        return false;
    }
    if (lines.isEmpty()) {
        sink.reportResult(ShipText::now() + QStringLiteral(":概要信息查询错误!"), false);
        return true;
    }
    for (const OrderDatabase::TradeGoodsLine& line : lines) {
        std::optional<OrderDatabase::GoodsRecord> goods;
        if (!db.goodsRecord(line.goodsId, &goods)) {
            *error = databaseFailure(db);
            return false;
        }
        const OrderDatabase::GoodsRecord record = goods.value_or(OrderDatabase::GoodsRecord{});
        QString spec = record.goodsSpec;
        // A NULL SpecID reads as 0 too: the goods has no variant rows.
        if (!line.specId.isEmpty() && whole(line.specId).value_or(-1) != 0) {
            std::optional<QString> specName;
            if (!db.goodsSpecName(line.specId, &specName)) {
                *error = databaseFailure(db);
                return false;
            }
            spec = specName.value_or(QString());
        }
        view.addGoodsRow({record.goodsName, spec, line.sellCount + line.unit, record.weight});
    }
    return true;
}

bool ComputeExpectedWeight(OrderDatabase& db, const ScanView& view, const StationSettings::Options& settings,
                           const Trade& trade, double* expected, QString* error)
{
    *expected = 0;
    if (!settings.checkSum) {
        const std::optional<double> stored = decimal(trade.goodsWeight);
        if (!stored) {
            *error = notANumber(QStringLiteral("订单的商品重量"), trade.goodsWeight);
            return false;
        }
        *expected = *stored;
        return true;
    }

    QList<OrderDatabase::TradeGoodsLine> lines;
    if (!db.tradeGoodsLines(trade.tradeId, &lines)) {
        *error = databaseFailure(db);
        return false;
    }
    double sum = 0;
    for (const OrderDatabase::TradeGoodsLine& line : lines) {
        std::optional<OrderDatabase::GoodsRecord> goods;
        if (!db.goodsRecord(line.goodsId, &goods)) {
            *error = databaseFailure(db);
            return false;
        }
        if (!goods) {
            continue; // goods without a record weigh nothing
        }
        const std::optional<double> weight = decimal(goods->weight);
        if (!weight) {
            *error = notANumber(QStringLiteral("货品") + goods->goodsName + QStringLiteral("的重量"),
                                goods->weight);
            return false;
        }
        const std::optional<qint64> count = whole(line.sellCount);
        if (!count) {
            *error = notANumber(QStringLiteral("货品") + goods->goodsName + QStringLiteral("的数量"),
                                line.sellCount);
            return false;
        }
        sum += *weight * static_cast<double>(*count);
    }

    using Box = ScanView::StaffBox;
    const QString package = view.staffText(Box::Package);
    if (settings.packageWeighed && view.staffSelected(Box::Package) && !package.isEmpty()) {
        std::optional<QString> packageWeight;
        if (!db.packageWeight(package, &packageWeight)) {
            *error = databaseFailure(db);
            return false;
        }
        if (packageWeight) {
            const std::optional<double> grams = decimal(*packageWeight);
            if (!grams) {
                *error =
                    notANumber(QStringLiteral("包装") + package + QStringLiteral("的重量"), *packageWeight);
                return false;
            }
            sum += *grams;
        }
    }
    *expected = sum;
    return true;
}

} // namespace TradeLookup
