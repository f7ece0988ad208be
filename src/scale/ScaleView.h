#pragma once

#include <QString>

// The controls of the main window that the scale settings switch: the manual-weight check boxes
// CheckBox1 (scan tab) and CheckInput (goods tab) and the weight boxes Edit2 and Edit4.
class ScaleView
{
public:
    virtual ~ScaleView() = default;
    // Caption of both CheckBox1 and CheckInput.
    virtual void setManualWeightCaptions(const QString& caption) = 0;
    virtual void setScanWeightReadOnly(bool readOnly) = 0;
    virtual void setGoodsWeightReadOnly(bool readOnly) = 0;
    // Empties Edit2 and Edit4.
    virtual void clearWeights() = 0;
    virtual bool isScanManualWeightChecked() const = 0;
    virtual bool isGoodsManualWeightChecked() const = 0;
};
