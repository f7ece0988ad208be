#include "app/gui/WeightBoxesView.h"
#include "ui_GoodsTab.h"
#include "ui_ScanTab.h"

#include "goods/gui/GoodsTab.h"
#include "station/gui/ScanTab.h"

void WeightBoxesView::setManualWeightCaptions(const QString& caption)
{
    m_scan.form()->CheckBox1->setText(caption);
    m_goods.form()->CheckInput->setText(caption);
}

void WeightBoxesView::setScanWeightReadOnly(bool readOnly)
{
    m_scan.form()->Edit2->setReadOnly(readOnly);
}

void WeightBoxesView::setGoodsWeightReadOnly(bool readOnly)
{
    m_goods.form()->Edit4->setReadOnly(readOnly);
}

void WeightBoxesView::clearWeights()
{
    m_scan.form()->Edit2->clear();
    m_goods.form()->Edit4->clear();
}

bool WeightBoxesView::isScanManualWeightChecked() const
{
    return m_scan.form()->CheckBox1->isChecked();
}

bool WeightBoxesView::isGoodsManualWeightChecked() const
{
    return m_goods.form()->CheckInput->isChecked();
}
