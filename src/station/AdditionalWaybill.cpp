#include "station/AdditionalWaybill.h"

#include "base/Texts.h"

#include "base/Prompter.h"
#include "base/ReportSink.h"
#include "postage/PostageCharge.h"
#include "station/ScanView.h"
#include "station/ShipProcedure.h"
#include "station/ShipText.h"
#include "station/StationServices.h"
#include "station/TradeLookup.h"
#include "station/WaybillRemark.h"
#include "station/WeightText.h"
#include "store/OrderDatabase.h"

#include <cmath>
#include <limits>

namespace {

constexpr int kMainParcelPending = 5;
// Tries on a trade whose remark other stations keep changing before the station says so.
constexpr int kAttempts = 10;

// A running total as the trade holds it; an empty value counts as nothing shipped yet.
std::optional<double> total(const QString& text)
{
    return text.trimmed().isEmpty() ? std::optional<double>(0) : TradeLookup::decimal(text);
}

} // namespace

AdditionalWaybill::AdditionalWaybill(StationServices& services, ScanView& view,
                                     const StationSettings::Options& settings, const QString& scan)
    : m_services(services)
    , m_view(view)
    , m_settings(settings)
    , m_scan(scan)
{
}

ShipOutcome AdditionalWaybill::fail(const QString& line, ShipOutcome outcome)
{
    m_services.sink.reportResult(line, false);
    return outcome;
}

QString AdditionalWaybill::head() const
{
    return ShipText::head(QString::fromUtf8(WaybillRemark::kMarker) + m_scan);
}

ShipOutcome AdditionalWaybill::run()
{
    if (!m_services.prompter.ask(QStringLiteral("是否扫描一票多件？"))) {
        return fail(ShipText::head(m_scan) + QString::fromUtf8(Texts::kNotFound), ShipOutcome::NotFound);
    }
    // Each new try follows a parcel of the same trade that another station shipped meanwhile.
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (const std::optional<ShipOutcome> outcome = attemptShip()) {
            return *outcome;
        }
    }
    return fail(head() + QStringLiteral("订单正被其他工位修改,请重新扫描!"));
}

std::optional<ShipOutcome> AdditionalWaybill::attemptShip()
{
    OrderDatabase& db = m_services.orderDb;
    std::optional<OrderDatabase::StationTrade> found;
    const QString scan = m_scan;
    if (!db.findAdditionalWaybillTrade(
            scan,
            [&scan](const OrderDatabase::StationTrade& trade) {
                return WaybillRemark::names(trade.remark, scan);
            },
            &found)) {
        return ShipProcedure::stopOnDatabase(m_services, m_scan, TradeLookup::databaseFailure(db));
    }
    if (!found) {
        return fail(head() + QString::fromUtf8(Texts::kNotFound), ShipOutcome::NotFound);
    }
    const OrderDatabase::StationTrade& trade = *found;
    m_view.clearTradeDisplays();
    TradeLookup::ShowTradeSummary(m_view, trade);
    if (trade.tradeStatus == kMainParcelPending) {
        return fail(ShipText::now() + QStringLiteral(" : 请先处理主单号") + trade.postId +
                    QStringLiteral("（交易号") + trade.tradeNo + QStringLiteral("）!"));
    }
    if (WaybillRemark::isShipped(trade.remark, m_scan)) {
        return fail(head() + QStringLiteral("已发货!"));
    }

    // The parcel and the trade's totals so far.
    const QString weightBox = m_view.weightText();
    const std::optional<qint32> parcel = WeightText::grams(weightBox);
    if (!parcel) {
        m_services.prompter.inform(QStringLiteral("重量值类型错误!"));
        return ShipOutcome::Refused;
    }
    // A parcel of no weight would lower the trade's total instead of adding to it.
    if (*parcel <= 0) {
        return fail(head() + QStringLiteral("重量值错误!"));
    }
    const std::optional<double> packagedWeight = total(trade.packagedWeight);
    const std::optional<double> postage = total(trade.postage);
    if (!packagedWeight || !postage) {
        m_services.prompter.inform(QStringLiteral("订单的包裹重量或邮资不是有效的数字!"));
        return ShipOutcome::Refused;
    }
    const qint64 newTotalWeight = static_cast<qint64>(std::trunc(*packagedWeight + *parcel));
    // One first weight: the whole trade is priced again on its new total. Separate first weights:
    // the parcel is priced alone and added.
    const qint64 pricedWeight = m_settings.calcWeightOnce ? newTotalWeight : qint64(*parcel);
    double fee = -1;
    if (m_services.postageDb && pricedWeight <= std::numeric_limits<qint32>::max()) {
        const PostageCharge charge =
            CalculatePostage(*m_services.postageDb,
                             PostageTrade{trade.name, trade.province, trade.city, trade.town, trade.adr},
                             static_cast<int>(pricedWeight), weightBox, m_services.sink, m_services.prompter);
        if (!charge.postageBoxText.isEmpty()) {
            m_view.setPostageText(charge.postageBoxText);
        }
        fee = charge.fee;
        m_view.setPostageExplanation(charge.explanation.text());
    }
    if (fee <= 0) {
        return fail(head() + QStringLiteral("邮资计算错误!"));
    }
    const double newTotalPostage = m_settings.calcWeightOnce ? fee : *postage + fee;
    const QString note = m_settings.calcWeightOnce
                             ? WaybillRemark::onceNote(weightBox)
                             : WaybillRemark::separateNote(weightBox, ShipText::number(fee));

    // Written only over the remark as read here; another station's parcel of this trade in between
    // changed it, and the next try starts from the trade as it is now.
    switch (db.updateAdditionalWaybill(trade.tradeId, newTotalWeight, newTotalPostage, trade.remark,
                                       WaybillRemark::marked(trade.remark, m_scan, note))) {
    case OrderDatabase::GuardedWrite::Written:
        break;
    case OrderDatabase::GuardedWrite::Unchanged:
        return std::nullopt;
    case OrderDatabase::GuardedWrite::Failed:
        return ShipProcedure::stopOnDatabase(m_services, m_scan, TradeLookup::databaseFailure(db));
    }
    const QString totals = QStringLiteral("kg，当前总重量") +
                           ShipText::number(double(newTotalWeight) * 0.001) +
                           QStringLiteral("kg，当前总邮资为：") + ShipText::number(newTotalPostage) +
                           QString::fromUtf8(Texts::kShippedTail);
    if (m_settings.calcWeightOnce) {
        m_services.sink.reportResult(head() + QStringLiteral("单票重量：") + weightBox + totals, true);
    } else {
        m_services.sink.reportResult(
            head() + QStringLiteral("单票重量：") + weightBox + QStringLiteral("kg，单票邮资：") +
                ShipText::number(fee) + QStringLiteral("元，当前总重量") +
                ShipText::number(double(newTotalWeight) * 0.001) + QStringLiteral("kg，当前总邮资为：") +
                ShipText::number(newTotalPostage) + QString::fromUtf8(Texts::kShippedTail),
            true);
    }
    if (!db.addTradeLog(trade.tradeId, m_services.operatorName,
                        QString::fromUtf8(WaybillRemark::kMarker) + m_scan + note)) {
        return ShipProcedure::stopOnDatabase(m_services, m_scan, TradeLookup::databaseFailure(db));
    }
    ShipProcedure::focusForNextScan(m_services, m_view);
    return ShipOutcome::Shipped;
}
