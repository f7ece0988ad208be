#pragma once

#include <QString>
#include <QStringList>

// The boxes of the scan tab that the ship procedure reads and writes. The scan tab implements it
// on its controls; the headless station and the tests on plain values.
class ScanView
{
public:
    enum class StaffBox
    {
        Picker,          // Picker, 配货员
        PackageOperator, // PackageOperator, 打包员
        Package          // PackageID, 包装
    };

    virtual ~ScanView() = default;

    // Edit2 (kilograms), Edit1 (waybill or trade number), Edit3 (postage in yuan).
    virtual QString weightText() const = 0;
    virtual QString scanText() const = 0;
    virtual QString postageText() const = 0;
    virtual void setPostageText(const QString& text) = 0;
    // What priced the parcel of this run (empty: nothing was priced by rule), for whoever can show
    // it beside the postage and the run's log line. A view without room for it ignores it.
    virtual void setPostageExplanation(const QString& /*text*/) {}

    // chkTradeNo, CheckBox4, CheckBox6, CheckBox2, CheckBox1.
    virtual bool tradeNumberChecked() const = 0;
    virtual bool summaryChecked() const = 0;
    virtual bool weighOnlyChecked() const = 0;
    virtual bool manualPostageChecked() const = 0;
    virtual bool manualWeightChecked() const = 0;

    // The staff pick-lists: whether the operator may choose (a disabled list records the
    // logged-in user), the chosen text, whether an entry is selected, and showing a name in it.
    virtual bool staffEnabled(StaffBox box) const = 0;
    virtual QString staffText(StaffBox box) const = 0;
    virtual bool staffSelected(StaffBox box) const = 0;
    virtual void showStaff(StaffBox box, const QString& name) = 0;

    // Memo2 and ListViewDetail.
    virtual void clearTradeDisplays() = 0;
    virtual void appendSummaryLine(const QString& line) = 0;
    // Goods name, variant, quantity, grams per article.
    virtual void addGoodsRow(const QStringList& columns) = 0;
    // EditDW and edtPreWeight.
    virtual void setDifferenceText(const QString& text) = 0;
    virtual void setLastWeightText(const QString& text) = 0;

    // Select all of Edit1 (or Edit2) and give it the focus.
    virtual void selectScanBox() = 0;
    virtual void selectWeightBox() = 0;
};
