#include "station/ShipProcedure.h"

#include "base/Texts.h"

#include "base/Prompter.h"
#include "base/ReportSink.h"
#include "base/SoundPlayer.h"
#include "base/Sounds.h"
#include "base/Transaction.h"
#include "postage/PostageCalculation.h"
#include "postage/PostageCharge.h"
#include "postage/PostageExplanation.h"
#include "station/AdditionalWaybill.h"
#include "station/ScanText.h"
#include "station/ScanView.h"
#include "station/ShipText.h"
#include "station/StationScale.h"
#include "station/StationServices.h"
#include "station/TradeLookup.h"
#include "station/WeightAlarm.h"
#include "station/WeightText.h"
#include "store/OrderDatabaseFailure.h"

#include <cmath>
#include <limits>
#include <memory>

namespace {

const char kReadyToShip[] = "1";
constexpr int kShippableStatus = 5;
// How long Enter on a swinging parcel waits for it to settle.
constexpr int kStableWaitMs = 2000;

qint32 truncatedGrams(double grams)
{
    const double cut = std::trunc(grams);
    if (cut >= static_cast<double>(std::numeric_limits<qint32>::max())) {
        return std::numeric_limits<qint32>::max();
    }
    if (cut <= static_cast<double>(std::numeric_limits<qint32>::min())) {
        return std::numeric_limits<qint32>::min();
    }
    return static_cast<qint32>(cut);
}

PostageTrade postageTrade(const OrderDatabase::StationTrade& trade)
{
    return PostageTrade{trade.name, trade.province, trade.city, trade.town, trade.adr};
}

} // namespace

ShipProcedure::ShipProcedure(StationServices& services, ScanView& view)
    : m_services(services)
    , m_view(view)
{
}

ShipOutcome ShipProcedure::fail(const QString& line, ShipOutcome outcome)
{
    m_services.sink.reportResult(line, false);
    return outcome;
}

ShipOutcome ShipProcedure::inform(const QString& text)
{
    m_services.prompter.inform(text);
    return ShipOutcome::Refused;
}

ShipOutcome ShipProcedure::finish(ShipOutcome outcome)
{
    focusForNextScan(m_services, m_view);
    return outcome;
}

ShipOutcome ShipProcedure::databaseStop(const QString& message)
{
    return stopOnDatabase(m_services, m_scan, message);
}

ShipOutcome ShipProcedure::stopOnDatabase(StationServices& services, const QString& scan,
                                          const QString& message)
{
    // Said in the log with the failure sound: the operator may not be looking. The next scan
    // opens a lost connection again, and may find the lock gone. A statement that ran out of time
    // leaves the connection lost too, but says so in its own words.
    using Cause = OrderDatabaseFailure::Cause;
    const OrderDatabaseFailure::Failure failure =
        OrderDatabaseFailure::classify(services.orderDb.lastError());
    if (services.orderDb.connectionLost() && failure.cause != Cause::TimedOut) {
        services.sink.reportResult(ShipText::head(scan) + QStringLiteral("订单数据库连接已断开,请重新扫描!"),
                                   false);
        return ShipOutcome::Refused;
    }
    if (failure.cause != Cause::Unknown) {
        const QString advice = failure.cause == Cause::Locked || failure.cause == Cause::TimedOut
                                   ? QStringLiteral(",未发货,请稍后重新扫描!")
                                   : QStringLiteral(",未发货,请联系管理员!");
        services.sink.reportResult(ShipText::head(scan) + OrderDatabaseFailure::describe(failure) + advice,
                                   false);
        return ShipOutcome::Refused;
    }
    services.prompter.inform(message);
    return ShipOutcome::Refused;
}

void ShipProcedure::focusForNextScan(const StationServices& services, ScanView& view)
{
    if (services.scaleTypeIndex == kManualScaleTypeIndex && !view.manualWeightChecked()) {
        view.selectWeightBox();
    } else {
        view.selectScanBox();
    }
}

QString ShipProcedure::weights() const
{
    return ShipText::weights(WeightText::kilograms(m_expected), WeightText::kilograms(qint64(m_weight)),
                             WeightText::kilograms(qint64(m_difference)));
}

ShipOutcome ShipProcedure::run()
{
    const ShipOutcome outcome = steps();
    // Additional waybills go through here too: each is a parcel taken from the scale.
    if (wasShipped(outcome) && m_services.scale && !typedWeight()) {
        m_services.scale->markParcelShipped();
    }
    return outcome;
}

bool ShipProcedure::typedWeight() const
{
    return m_services.scaleTypeIndex == kManualScaleTypeIndex || m_view.manualWeightChecked();
}

std::optional<ShipOutcome> ShipProcedure::takeWeight()
{
    const QString weightBox = m_view.weightText();
    if (weightBox.isEmpty()) {
        return fail(ShipText::head(weightBox) + QStringLiteral("重量值错误!"));
    }
    if (weightBox == QString::fromUtf8(Texts::kScaleNotConnected)) {
        return fail(ShipText::now() + QStringLiteral(" : 请输入重量值!"));
    }
    const std::optional<qint32> weight = WeightText::grams(weightBox);
    if (!weight) {
        return inform(QStringLiteral("重量值类型错误!"));
    }
    if (!(m_services.scaleRange > 0)) {
        // A damaged scale type (its row gone, its range no number) leaves the range at 0.
        return fail(ShipText::head(m_scan) +
                    QStringLiteral("电子秤量程未设置,未发货,请在电子秤设置中重新选择电子秤类型并填写量程!"));
    }
    if (!(m_services.scaleRange * 1000 > *weight)) {
        return inform(QStringLiteral("超过电子秤量程!"));
    }
    m_weight = *weight;
    return std::nullopt;
}

std::optional<ShipOutcome> ShipProcedure::guardWeight()
{
    StationScale* scale = m_services.scale;
    if (!scale || typedWeight()) {
        return std::nullopt;
    }
    // The same parcel must not be booked again for the next waybill.
    if (m_settings.emptyScaleGate && !scale->readBelowSinceMark(m_settings.emptyScaleGrams)) {
        return fail(ShipText::head(m_scan) + QStringLiteral("请先取下上一个包裹!"), ShipOutcome::ParcelOn);
    }
    if (m_settings.stableShip && !scale->isStable()) {
        if (!scale->waitForStable(kStableWaitMs)) {
            return fail(ShipText::head(m_scan) + QStringLiteral("重量不稳定,请稍候重新扫描!"),
                        ShipOutcome::Unstable);
        }
        // The settled weight is the one shipped.
        return takeWeight();
    }
    return std::nullopt;
}

ShipOutcome ShipProcedure::steps()
{
    m_services.sink.trimLog();
    m_view.selectScanBox();
    m_view.clearTradeDisplays();
    // A scanner's prefix or suffix, or a byte-order mark from a pasted list, is no part of the number.
    m_scan = ScanText::cleaned(m_view.scanText());

    if (const auto stop = takeWeight()) {
        return *stop;
    }
    if (m_scan.isEmpty()) {
        return fail(ShipText::head(m_scan) + QStringLiteral("请输入单号!"));
    }
    // Options that cannot be read stop the run: shipping on guessed options could skip the weight
    // check or record the wrong staff.
    if (!m_services.settings.read(&m_settings, nullptr)) {
        return inform(QString::fromUtf8(Texts::kConfigAccessFailed));
    }
    if (const auto stop = guardWeight()) {
        return *stop;
    }
    QString error;
    if (!m_services.orderDb.reopenIfLost(&error)) {
        return fail(ShipText::head(m_scan) +
                    QStringLiteral("订单数据库无法连接,请检查网络和数据库设置后重新扫描!"));
    }

    // The trade.
    std::optional<Trade> found;
    if (!TradeLookup::LookupTrade(m_services.orderDb, m_scan, m_view.tradeNumberChecked(), &found, &error)) {
        return databaseStop(error);
    }
    if (!found) {
        if (m_settings.multiPostId) {
            return AdditionalWaybill(m_services, m_view, m_settings, m_scan).run();
        }
        return fail(ShipText::head(m_scan) + QString::fromUtf8(Texts::kNotFound), ShipOutcome::NotFound);
    }
    const Trade trade = *found;
    TradeLookup::ShowTradeSummary(m_view, trade);
    if (m_view.summaryChecked() &&
        !TradeLookup::ShowGoodsList(m_services.orderDb, m_view, m_services.sink, trade.tradeId, &error)) {
        return databaseStop(error);
    }
    if (!TradeLookup::ComputeExpectedWeight(m_services.orderDb, m_view, m_settings, trade, &m_expected,
                                            &error)) {
        return databaseStop(error);
    }
    m_difference = truncatedGrams(double(m_weight) - m_expected);
    m_view.setDifferenceText(WeightText::kilograms(qint64(m_difference)));

    // The weight check.
    const WeightAlarm::Verdict verdict =
        WeightAlarm::check(m_services.settings, m_settings, m_expected, m_difference,
                           ShipText::head(m_scan) + weights() + QStringLiteral("重量异常!"),
                           m_services.prompter, m_services.sink);
    if (verdict.unreadable) {
        return inform(QString::fromUtf8(Texts::kConfigAccessFailed));
    }
    if (!verdict.pass) {
        fail(ShipText::head(m_scan) + weights() + QStringLiteral("邮资为:") + ShipText::number(m_postage) +
             QStringLiteral("元,未发货!"));
        return finish(verdict.abnormal ? ShipOutcome::Abnormal : ShipOutcome::Refused);
    }
    if (m_view.weighOnlyChecked()) {
        fail(ShipText::head(m_scan) + weights() + QStringLiteral("未发货!!"));
        return finish(ShipOutcome::WeighedOnly);
    }

    if (const auto stop = price(trade)) {
        return *stop;
    }
    if (trade.tradeStatus != kShippableStatus) {
        return statusError();
    }
    // A parcel that G_TradeOver would refuse at the end is refused before the stock is taken out.
    const QString refusal = OrderDatabase::tradeOverRefusal(m_weight, m_postage);
    if (!refusal.isEmpty()) {
        return refuseClosing(refusal);
    }
    const QString operatorName = m_services.operatorName;
    if (!trade.stockOut) {
        if (const auto stop = takeStockOut(trade)) {
            return *stop;
        }
    }

    OrderDatabase& db = m_services.orderDb;
    std::unique_ptr<Transaction> closing;
    if (!db.beginTradeClosing(&closing)) {
        return databaseStop(TradeLookup::databaseFailure(db));
    }
    // The staff. A disabled list records the logged-in user.
    using Box = ScanView::StaffBox;
    QString picker = m_view.staffText(Box::Picker);
    if (!m_view.staffEnabled(Box::Picker)) {
        picker = operatorName;
        m_view.showStaff(Box::Picker, picker);
    }
    if (!picker.isEmpty()) {
        if (const auto stop = guarded(db.setTradePicker(trade.tradeId, picker))) {
            return *stop;
        }
    }
    if (m_settings.checkSum) {
        if (const auto stop = guarded(db.setTradeGoodsWeight(trade.tradeId, m_expected))) {
            return *stop;
        }
    }
    QString packer = m_view.staffText(Box::PackageOperator);
    if (!m_view.staffEnabled(Box::PackageOperator)) {
        packer = operatorName;
        m_view.showStaff(Box::PackageOperator, packer);
    }
    const QString package = m_view.staffText(Box::Package);

    // Closing the trade.
    const OrderDatabase::ProcedureResult over =
        db.tradeOver(trade.tradeId, packer, package, m_weight, m_postage, operatorName);
    if (!over.ran) {
        return databaseStop(QStringLiteral("存储过程G_TradeOver执行错误!"));
    }
    if (over.result != QLatin1String(kReadyToShip)) {
        return refuseClosing(over.result);
    }
    if (closing && !closing->commit(&error)) {
        return databaseStop(QStringLiteral("存储过程G_TradeOver执行错误!"));
    }
    if (!m_successReport) {
        return finish(ShipOutcome::Overweight);
    }
    m_services.sink.reportResult(ShipText::head(m_scan) + weights() + QStringLiteral("邮资为：") +
                                     ShipText::number(m_postage) + QString::fromUtf8(Texts::kShippedTail),
                                 true);
    m_view.setLastWeightText(m_view.weightText() + QStringLiteral("KG/") + ShipText::number(m_postage) +
                             QStringLiteral("元"));
    return finish(ShipOutcome::Shipped);
}

std::optional<ShipOutcome> ShipProcedure::price(const Trade& trade)
{
    if (m_view.manualPostageChecked()) {
        const QString typed = m_view.postageText();
        if (typed.isEmpty()) {
            return inform(QStringLiteral("请输入邮资!"));
        }
        const std::optional<double> fee = TradeLookup::decimal(typed);
        if (!fee || *fee < 0) {
            return inform(QStringLiteral("邮资值类型错误!"));
        }
        m_postage = *fee;
        return std::nullopt;
    }

    const PostageTrade destination = postageTrade(trade);
    PostageRuleMatch match;
    QString error;
    if (!m_services.postageDb ||
        !FindPostageRule(*m_services.postageDb, destination, m_weight, &match, &error)) {
        return inform(QString::fromUtf8(Texts::kPostageError));
    }
    if (!match.found) {
        reportNoPostageRule(m_services.sink, destination, m_view.weightText());
        m_view.setPostageText(noPostageRuleText());
        return ShipOutcome::Refused;
    }
    const std::optional<double> fee = PostageFee(m_weight, match);
    if (!fee) {
        return inform(QString::fromUtf8(Texts::kPostageError));
    }
    m_postage = *fee;
    m_view.setPostageExplanation(PostageExplanation(destination, m_weight, match).text());

    // Within the first weight a parcel is overweight only above the smallest first weight of its
    // rules; beyond it, the warning stands whenever it is switched on.
    const bool withinFirstWeight = m_weight > 0 && m_weight <= match.beginChargeWeight;
    const bool overweight =
        m_settings.chkOverWeight && (!withinFirstWeight || m_weight > match.minBeginChargeWeight);
    if (overweight) {
        m_services.sink.reportOverweight(ShipText::head(m_scan) + weights() + QStringLiteral("邮资为:") +
                                         ShipText::number(m_postage) + QStringLiteral("元,超重!"));
        m_view.setLastWeightText(m_view.weightText() + QStringLiteral("KG/") + ShipText::number(m_postage) +
                                 QStringLiteral("元"));
        m_successReport = false;
    }
    m_view.setPostageText(ShipText::number(m_postage));
    return std::nullopt;
}

ShipOutcome ShipProcedure::refuseClosing(const QString& reason)
{
    m_services.prompter.inform(reason);
    m_services.sounds.play(QString::fromLatin1(Sounds::kFailure));
    return ShipOutcome::Refused;
}

std::optional<ShipOutcome> ShipProcedure::guarded(OrderDatabase::GuardedWrite write)
{
    switch (write) {
    case OrderDatabase::GuardedWrite::Written:
        return std::nullopt;
    case OrderDatabase::GuardedWrite::Unchanged:
        // Another station closed the trade after it was read: the same words as for a trade that
        // was found closed.
        return statusError();
    case OrderDatabase::GuardedWrite::Failed:
        break;
    }
    return databaseStop(TradeLookup::databaseFailure(m_services.orderDb));
}

ShipOutcome ShipProcedure::statusError()
{
    m_view.setLastWeightText(QStringLiteral(" "));
    return fail(ShipText::head(m_scan) + QStringLiteral("订单状态错误!"));
}

std::optional<ShipOutcome> ShipProcedure::takeStockOut(const Trade& trade)
{
    OrderDatabase& db = m_services.orderDb;
    QString barcodeCheck;
    if (!db.barcodeCheckSetting(&barcodeCheck)) {
        return databaseStop(TradeLookup::databaseFailure(db));
    }
    if (barcodeCheck == QLatin1String("1")) {
        return fail(ShipText::head(m_scan) + QStringLiteral("未进行条码检验!"));
    }
    const OrderDatabase::ProcedureResult check = db.tradeStockOutCheck(trade.tradeId);
    if (!check.ran) {
        return databaseStop(QStringLiteral("存储过程G_TradeStockOutCHK执行失败!"));
    }
    if (check.result != QLatin1String(kReadyToShip)) {
        return inform(check.result);
    }
    if (!db.tradeStockOut(trade.tradeId, m_services.operatorName)) {
        return databaseStop(QStringLiteral("存储过程G_TradeStockOut执行失败!"));
    }
    return std::nullopt;
}
