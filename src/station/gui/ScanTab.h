#pragma once

#include "station/ScanOptions.h"
#include "station/ScanView.h"
#include "station/ShipOutcome.h"

#include <QSqlDatabase>
#include <QWidget>

#include <memory>

namespace Ui {
class ScanTab;
}
struct LoginContext;
class PanelStatusBar;
class Prompter;
class QCheckBox;
class QComboBox;
class QLineEdit;
class SoundPlayer;
class StationReport;
class StationScale;
class StationStores;

// The tab "扫描称重": weight, waybill and postage boxes, the options, the staff record, the
// station log and the order displays. Enter in the waybill box or the ship button runs the ship
// procedure; the outcome of the last scan stands large and coloured above the staff record.
class ScanTab : public QWidget, public ScanView
{
    Q_OBJECT

public:
    explicit ScanTab(QWidget* parent = nullptr);
    ~ScanTab() override;

    Ui::ScanTab* form() const { return m_ui.get(); }
    PanelStatusBar* statusBar() const;

    // What the tab works with, all owned by the caller and living longer than the tab. Until it is
    // called the tab ships nothing.
    void attach(StationStores& stores, LoginContext& context, Prompter& prompter, SoundPlayer& sounds,
                StationScale& scale);

    // The staff and package pick-lists, each headed by an empty entry.
    void fillStaffLists(const QStringList& staff, const QStringList& packages);
    // Remembered choices and which staff boxes are asked for, from the Initialization row.
    void applyStaffSettings(QSqlDatabase& loginDb);

    // The ship button and Enter in the waybill box.
    void Button1Click();
    ShipOutcome lastOutcome() const { return m_lastOutcome; }

    // ScanView: the boxes as the ship procedure sees them.
    QString weightText() const override;
    QString scanText() const override;
    QString postageText() const override;
    void setPostageText(const QString& text) override;
    bool tradeNumberChecked() const override;
    bool summaryChecked() const override;
    bool weighOnlyChecked() const override;
    bool manualPostageChecked() const override;
    bool manualWeightChecked() const override;
    bool staffEnabled(StaffBox box) const override;
    QString staffText(StaffBox box) const override;
    bool staffSelected(StaffBox box) const override;
    void showStaff(StaffBox box, const QString& name) override;
    void clearTradeDisplays() override;
    void appendSummaryLine(const QString& line) override;
    void addGoodsRow(const QStringList& columns) override;
    void setDifferenceText(const QString& text) override;
    void setLastWeightText(const QString& text) override;
    // F2 and F1 on this tab, and the focus after a scan.
    void selectScanBox() override;
    void selectWeightBox() override;

private:
    void installKeyFilters();
    void Edit2Enter();
    void Edit2Change(const QString& text);
    void Edit3Change(const QString& text);
    void CheckBox1Click(bool checked);
    void CheckBox2Click(bool checked);
    void CheckBox4Click(bool checked);
    void CheckBox6Click(bool checked);
    void RememberClick(ScanOptions::Staff which, bool checked);
    void showOutcome(ShipOutcome outcome, const QString& scan);
    void redrawLog();
    bool isManualScale() const;
    QComboBox* list(StaffBox box) const;
    QSqlDatabase* loginDb() const;

    std::unique_ptr<Ui::ScanTab> m_ui;
    StationStores* m_stores = nullptr;
    LoginContext* m_context = nullptr;
    Prompter* m_prompter = nullptr;
    SoundPlayer* m_sounds = nullptr;
    StationScale* m_scale = nullptr;
    std::unique_ptr<StationReport> m_report;
    // Typed weights: Enter in the weight box moves on to the waybill box once per typed weight.
    bool m_enterHandled = false;
    bool m_shipping = false;
    ShipOutcome m_lastOutcome = ShipOutcome::None;
};
