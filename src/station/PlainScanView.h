#pragma once

#include "station/ScanView.h"

#include <QList>

// The scan tab's boxes as plain values: the headless station, the benchmark and the tests fill
// them in and read what the ship procedure left there.
class PlainScanView : public ScanView
{
public:
    struct Staff
    {
        bool enabled = true;
        bool selected = true;
        QString text;
    };

    QString weight;
    QString scan;
    QString postage;
    QString postageExplanation;
    bool tradeNumber = false;
    bool summary = false;
    bool weighOnly = false;
    bool manualPostage = false;
    bool manualWeight = false;
    Staff picker;
    Staff packer;
    Staff package;

    QStringList summaryLines;
    QList<QStringList> goodsRows;
    QString difference;
    QString lastWeight;
    enum class Focus
    {
        None,
        Scan,
        Weight
    };
    Focus focus = Focus::None;

    QString weightText() const override { return weight; }
    QString scanText() const override { return scan; }
    QString postageText() const override { return postage; }
    void setPostageText(const QString& text) override { postage = text; }
    void setPostageExplanation(const QString& text) override { postageExplanation = text; }

    bool tradeNumberChecked() const override { return tradeNumber; }
    bool summaryChecked() const override { return summary; }
    bool weighOnlyChecked() const override { return weighOnly; }
    bool manualPostageChecked() const override { return manualPostage; }
    bool manualWeightChecked() const override { return manualWeight; }

    bool staffEnabled(StaffBox box) const override { return staff(box).enabled; }
    QString staffText(StaffBox box) const override { return staff(box).text; }
    bool staffSelected(StaffBox box) const override { return staff(box).selected; }
    void showStaff(StaffBox box, const QString& name) override
    {
        staff(box).text = name;
        staff(box).selected = true;
    }

    void clearTradeDisplays() override
    {
        summaryLines.clear();
        goodsRows.clear();
    }
    void appendSummaryLine(const QString& line) override { summaryLines.append(line); }
    void addGoodsRow(const QStringList& columns) override { goodsRows.append(columns); }
    void setDifferenceText(const QString& text) override { difference = text; }
    void setLastWeightText(const QString& text) override { lastWeight = text; }

    void selectScanBox() override { focus = Focus::Scan; }
    void selectWeightBox() override { focus = Focus::Weight; }

    Staff& staff(StaffBox box)
    {
        return box == StaffBox::Picker ? picker : (box == StaffBox::PackageOperator ? packer : package);
    }
    const Staff& staff(StaffBox box) const
    {
        return box == StaffBox::Picker ? picker : (box == StaffBox::PackageOperator ? packer : package);
    }
};
