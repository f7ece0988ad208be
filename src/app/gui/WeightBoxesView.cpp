#include "app/gui/WeightBoxesView.h"

#include "goods/gui/GoodsTab.h"
#include "station/gui/ScanTab.h"

void WeightBoxesView::setManualWeightCaptions(const QString& caption)
{
    m_scan.setManualWeightCaption(caption);
    m_goods.setManualWeightCaption(caption);
}

void WeightBoxesView::setScanWeightReadOnly(bool readOnly)
{
    m_scan.setWeightReadOnly(readOnly);
}

void WeightBoxesView::setGoodsWeightReadOnly(bool readOnly)
{
    m_goods.setWeightReadOnly(readOnly);
}

void WeightBoxesView::clearWeights()
{
    m_scan.showScaleWeight(QString());
    m_goods.setWeightText(QString());
}

bool WeightBoxesView::isScanManualWeightChecked() const
{
    return m_scan.manualWeightChecked();
}

bool WeightBoxesView::isGoodsManualWeightChecked() const
{
    return m_goods.isManualWeightChecked();
}
