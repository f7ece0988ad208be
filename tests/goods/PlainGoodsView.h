#pragma once

#include "goods/GoodsLogSink.h"
#include "goods/GoodsView.h"

#include <QStringList>

// The goods tab's boxes as plain values, and the log as a list of lines (first line on top).
struct PlainGoodsView : GoodsView, GoodsLogSink
{
    QString weight, barcode, count, sampleWeight, name, spec, goodWeightText;
    bool weightReadOnly = true;
    bool manualWeight = false;
    bool samplingEnabled = false;
    // "weight", "barcode" or "count": the box focused last.
    QString focused;
    QStringList lines;

    QString weightText() const override { return weight; }
    void setWeightText(const QString& text) override { weight = text; }
    void setWeightReadOnly(bool readOnly) override { weightReadOnly = readOnly; }
    void focusWeight() override { focused = QStringLiteral("weight"); }
    QString barcodeText() const override { return barcode; }
    void focusBarcode() override { focused = QStringLiteral("barcode"); }
    bool isManualWeightChecked() const override { return manualWeight; }
    QString countText() const override { return count; }
    void resetCount() override { count.clear(); }
    void focusCount() override { focused = QStringLiteral("count"); }
    void setSamplingEnabled(bool enabled) override { samplingEnabled = enabled; }
    void setSampleWeight(const QString& text) override { sampleWeight = text; }
    void setGoodName(const QString& text) override { name = text; }
    void setGoodSpec(const QString& text) override { spec = text; }
    QString goodWeight() const override { return goodWeightText; }
    void setGoodWeight(const QString& text) override { goodWeightText = text; }

    int lineCount() const override { return int(lines.size()); }
    void clear() override { lines.clear(); }
    void insertFirst(const QString& line) override { lines.prepend(line); }
    void append(const QString& line) override { lines.append(line); }
};
