#include "goods/GoodsWeighing.h"

#include "base/Sounds.h"

#include "base/DateFormats.h"
#include "base/InputRules.h"
#include "base/Prompter.h"
#include "base/SoundPlayer.h"
#include "goods/GoodsLogSink.h"
#include "goods/GoodsLookup.h"
#include "goods/GoodsView.h"
#include "goods/UnitWeight.h"
#include "scale/ScaleReaderHost.h"
#include "store/OrderDatabase.h"

#include <optional>

namespace {

const QString& changed()
{
    static const QString text = QStringLiteral(" : 商品重量信息更改成功!");
    return text;
}

const QString& notChanged()
{
    static const QString text = QStringLiteral(" : 商品重量信息更改失败!");
    return text;
}

} // namespace

GoodsWeighing::GoodsWeighing(OrderDatabase& orderDb, GoodsView& view, GoodsLogSink& log, Prompter& prompter,
                             SoundPlayer& sounds)
    : m_orderDb(orderDb)
    , m_view(view)
    , m_log(log)
    , m_prompter(prompter)
    , m_sounds(sounds)
{
}

void GoodsWeighing::enter()
{
    // Fifty or more, not exactly fifty: an entry adds one to five lines and may step over fifty.
    if (m_log.lineCount() >= kLogLines) {
        m_log.clear();
    }

    const QString weightText = m_view.weightText();
    const std::optional<double> sampleGrams = UnitWeight::gramsOf(weightText);
    if (!sampleGrams) {
        report(QStringLiteral(" : ") + weightText + QStringLiteral(" : 重量值错误!"), false);
        return;
    }
    const QString barcode = m_view.barcodeText();
    if (barcode.isEmpty()) {
        report(QStringLiteral(" : ") + barcode + QStringLiteral(" : 条形码值错误!"), false);
        m_view.focusBarcode();
        return;
    }
    // A sample of no articles has no unit weight: refused before anything is looked up or written.
    const QString countText = m_view.countText();
    std::optional<int> count;
    if (!countText.isEmpty()) {
        count = UnitWeight::sampleCount(countText);
        if (!count) {
            report(QStringLiteral(" : ") + countText + QStringLiteral(" : 取样数量必须是大于0的整数!"),
                   false);
            m_view.focusCount();
            return;
        }
    }

    const GoodsLookup::Result found = GoodsLookup::find(m_orderDb, barcode);
    if (found.outcome == GoodsLookup::Outcome::Failed) {
        report(QStringLiteral(" : ") + barcode + QStringLiteral(" : 商品查询失败!") + found.error, false);
        return;
    }
    if (found.outcome == GoodsLookup::Outcome::NotFound) {
        report(QStringLiteral(" : ") + barcode + QStringLiteral(" : 编号的商品不存在!"), false);
        return;
    }
    const OrderDatabase::ScannedGoods& goods = found.goods;
    showGoods(goods.goodsName, goods.goodsSpec, goods.weight);

    double unitGrams = *sampleGrams;
    if (count) {
        const QString share = UnitWeight::perArticle(*sampleGrams, *count);
        unitGrams = share.toDouble();
        m_view.setSampleWeight(share);
    }

    if (goods.weight == QLatin1String("0")) {
        storeFirstWeight(goods.goodsId, barcode, unitGrams);
    } else {
        replaceWeight(goods.goodsId, barcode, goods.weight, unitGrams);
    }
    focusNext();
}

void GoodsWeighing::showGoods(const QString& name, const QString& spec, const QString& weight)
{
    m_view.setGoodName(name);
    m_view.setGoodSpec(spec.isEmpty() ? QStringLiteral("目前无规格信息!") : spec);
    m_view.setGoodWeight(weight.isEmpty() ? QStringLiteral("目前未录入重量信息!") : weight);
    m_log.append(QStringLiteral("商品名称：") + name);
    m_log.append(QStringLiteral("商品规格：") + spec);
    m_log.append(QStringLiteral("商品重量：") + m_view.goodWeight());
}

void GoodsWeighing::storeFirstWeight(const QString& goodsId, const QString& barcode, double grams)
{
    // Success needs the stored weight to have moved off "0": a write the database skipped, or one
    // that failed, is no change.
    std::optional<QString> stored;
    if (m_orderDb.setGoodsWeight(goodsId, grams) && m_orderDb.goodsWeight(goodsId, &stored) && stored &&
        *stored != QLatin1String("0")) {
        m_view.setGoodWeight(*stored);
        report(QStringLiteral(" : ") + barcode + changed(), true);
    } else {
        report(QStringLiteral(" : ") + barcode + notChanged(), false);
    }
}

void GoodsWeighing::replaceWeight(const QString& goodsId, const QString& barcode, const QString& storedWeight,
                                  double grams)
{
    // An empty weight, or one that is no number, counts as none.
    const double storedGrams = storedWeight.toDouble();
    const QString shownWeight = m_view.goodWeight();
    const QString question = QStringLiteral("是否替换原有的重量?");
    if (storedGrams == grams) {
        if (m_prompter.ask(question)) {
            report(QStringLiteral(" : 型号为") + barcode + changed(), true);
        }
        return;
    }
    if (!m_prompter.ask(question)) {
        return;
    }
    std::optional<QString> stored;
    if (!m_orderDb.setGoodsWeight(goodsId, grams) || !m_orderDb.goodsWeight(goodsId, &stored) || !stored) {
        report(QStringLiteral(" : ") + barcode + notChanged(), false);
    } else if (*stored != shownWeight) {
        m_view.setGoodWeight(*stored);
        report(QStringLiteral(" :型号为 ") + barcode + changed(), true);
    } else {
        report(QStringLiteral(" : 型号为") + barcode + notChanged(), false);
    }
}

void GoodsWeighing::focusNext()
{
    // With typed weights and nothing remembered, the next weight is typed before the next barcode.
    if (typedWeights() && !m_view.isManualWeightChecked()) {
        m_view.focusWeight();
    } else {
        m_view.focusBarcode();
    }
}

void GoodsWeighing::report(const QString& afterTime, bool success)
{
    m_log.insertFirst(m_clock().toString(QString::fromLatin1(DateFormats::kTime)) + afterTime);
    m_sounds.play(success ? QString::fromLatin1(Sounds::kSuccess) : QString::fromLatin1(Sounds::kFailure));
}

void GoodsWeighing::weightEnter()
{
    if (typedWeights() && !m_enterHandled && !m_view.isManualWeightChecked()) {
        m_sounds.play(QString::fromLatin1(Sounds::kDing));
        m_view.focusBarcode();
        m_enterHandled = true;
    }
}

void GoodsWeighing::weightKeyTyped()
{
    if (typedWeights()) {
        m_enterHandled = false;
    }
}

void GoodsWeighing::weightChanged(const QString& text)
{
    if (InputRules::startsIllegally(text)) {
        m_view.setWeightText(QString());
        m_prompter.inform(QStringLiteral("输入非法数据!"));
    }
}

void GoodsWeighing::countChanged(const QString& text)
{
    if (InputRules::isLoneZero(text)) {
        m_prompter.inform(QStringLiteral("首位数字禁止为0!"));
    }
}

void GoodsWeighing::samplingClicked(bool checked)
{
    m_view.resetCount();
    m_view.setSampleWeight(QString());
    m_view.setSamplingEnabled(checked);
}

void GoodsWeighing::manualWeightClicked(bool checked)
{
    if (typedWeights()) {
        // "Remember": checked keeps the typed weight for the following barcodes.
        m_view.setWeightReadOnly(checked);
        if (checked) {
            m_view.focusBarcode();
        } else {
            m_view.focusWeight();
        }
        return;
    }
    m_view.setWeightReadOnly(!checked);
    m_view.setWeightText(QString());
    // The reader is the scan tab's too: its live weight stops and starts with this box.
    if (m_reader && !m_reader->isStopRequested()) {
        if (checked) {
            m_reader->suspend();
        } else {
            m_reader->resume();
        }
    }
}

void GoodsWeighing::shown()
{
    if (typedWeights()) {
        m_view.focusWeight();
    } else {
        m_view.focusBarcode();
    }
}

void GoodsWeighing::scaleWeight(const QString& text)
{
    // A weight typed by hand is not overwritten by the scale; the scan tab may have resumed the
    // shared reader meanwhile.
    if (!typedWeights() && m_view.isManualWeightChecked()) {
        return;
    }
    m_view.setWeightText(text);
}

void GoodsWeighing::focusWeight()
{
    m_view.focusWeight();
}

void GoodsWeighing::focusBarcode()
{
    m_view.focusBarcode();
}
