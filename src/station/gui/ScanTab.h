#pragma once

#include "station/ScanView.h"
#include "station/ShipOutcome.h"
#include "store/StationSettings.h"

#include <QHash>
#include <QWidget>

#include <memory>

namespace Ui {
class ScanTab;
}
class PanelStatusBar;
class QCheckBox;
class QComboBox;
class QLineEdit;
class StationReport;
class StationSession;

// The tab "扫描称重": weight, waybill and postage boxes, the options, the staff record, the
// station log and the order displays. Enter in the waybill box or the ship button runs the ship
// procedure; the outcome of the last scan stands large and coloured above the staff record.
class ScanTab : public QWidget, public ScanView
{
    Q_OBJECT

public:
    // The session lives longer than the tab.
    explicit ScanTab(StationSession& session, QWidget* parent = nullptr);
    ~ScanTab() override;

    PanelStatusBar* statusBar() const;

    // After the login: the staff and package pick-lists from the order database, each headed by an
    // empty entry, then the tab's options.
    void fillFromOrderDatabase();
    // The summary and weigh-only boxes, the remembered staff and which staff boxes are asked for.
    // Follows every change of the settings.
    void loadSettings();

    // The scale's side of the weight box: a reader's text, the manual-weight caption, read-only
    // while the reader writes it.
    void showScaleWeight(const QString& text);
    void setManualWeightCaption(const QString& caption);
    void setWeightReadOnly(bool readOnly);
    // The box to start from when the tab shows: the weight box for typed weights, else the waybill.
    void focusFirstBox();

    // The ship button and Enter in the waybill box.
    void Button1Click();
    ShipOutcome lastOutcome() const { return m_lastOutcome; }

    // ScanView: the boxes as the ship procedure sees them.
    QString weightText() const override;
    QString scanText() const override;
    QString postageText() const override;
    void setPostageText(const QString& text) override;
    // The tooltip of Edit3 and, once the parcel is shipped, of its log line.
    void setPostageExplanation(const QString& text) override;
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void installKeyFilters();
    void Edit2Enter();
    void Edit2Change(const QString& text);
    void Edit3Change(const QString& text);
    void CheckBox1Click(bool checked);
    void CheckBox2Click(bool checked);
    void CheckBox4Click(bool checked);
    void CheckBox6Click(bool checked);
    void RememberClick(StationSettings::Staff which, bool checked);
    // The outcome in large words, followed by the scan or, when given, the detail.
    void showOutcome(ShipOutcome outcome, const QString& scan, const QString& detail = QString());
    // A scan the scanner sent while a question of the run was open: kept in the waybill box for
    // the next run, and said in the log, so that no parcel goes unnoticed.
    void keepScanTypedDuringQuestion();
    void redrawLog();
    // The stable mark beside the weight box: shown while the scale's reader weighs, in colour.
    void showStableMark();
    bool isManualScale() const;
    QComboBox* list(StaffBox box) const;

    class OutcomeSink;

    std::unique_ptr<Ui::ScanTab> m_ui;
    StationSession& m_session;
    std::unique_ptr<StationReport> m_report;
    std::unique_ptr<OutcomeSink> m_sink;
    // Typed weights: Enter in the weight box moves on to the waybill box once per typed weight.
    bool m_enterHandled = false;
    bool m_shipping = false;
    ShipOutcome m_lastOutcome = ShipOutcome::None;
    // What priced the parcel of the run under way, and of each shipped line still in the log.
    QString m_runExplanation;
    QHash<QString, QString> m_lineExplanations;
};
