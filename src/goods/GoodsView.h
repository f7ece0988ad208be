#pragma once

#include <QString>

// The boxes of the goods tab that the weighing reads and writes: the weight box Edit4, the barcode
// box Edit5, the manual-weight box CheckInput, the sample boxes Count and Edit6 and the goods boxes
// GoodName, GoodSpec and GoodWeight.
class GoodsView
{
public:
    virtual ~GoodsView() = default;

    virtual QString weightText() const = 0;
    virtual void setWeightText(const QString& text) = 0;
    virtual void setWeightReadOnly(bool readOnly) = 0;
    // Selects all of the weight box and focuses it.
    virtual void focusWeight() = 0;

    virtual QString barcodeText() const = 0;
    // Selects all of the barcode box and focuses it.
    virtual void focusBarcode() = 0;

    virtual bool isManualWeightChecked() const = 0;

    virtual QString countText() const = 0;
    // No entry of the sample list chosen and its text empty.
    virtual void resetCount() = 0;
    // Selects all of the sample count and focuses it.
    virtual void focusCount() = 0;
    // The sample count and its weight: enabled on the window colour, or disabled and greyed.
    virtual void setSamplingEnabled(bool enabled) = 0;
    virtual void setSampleWeight(const QString& text) = 0;

    virtual void setGoodName(const QString& text) = 0;
    virtual void setGoodSpec(const QString& text) = 0;
    virtual QString goodWeight() const = 0;
    virtual void setGoodWeight(const QString& text) = 0;
};
