#pragma once

#include "scale/ScaleView.h"

class GoodsTab;
class ScanTab;

// The two weight boxes and their manual-weight check boxes, as the scale settings switch them.
class WeightBoxesView : public ScaleView
{
public:
    WeightBoxesView(ScanTab& scan, GoodsTab& goods)
        : m_scan(scan)
        , m_goods(goods)
    {
    }

    void setManualWeightCaptions(const QString& caption) override;
    void setScanWeightReadOnly(bool readOnly) override;
    void setGoodsWeightReadOnly(bool readOnly) override;
    void clearWeights() override;
    bool isScanManualWeightChecked() const override;
    bool isGoodsManualWeightChecked() const override;

private:
    ScanTab& m_scan;
    GoodsTab& m_goods;
};
