#pragma once

#include "goods/GoodsLogSink.h"
#include "goods/GoodsView.h"

#include <QWidget>

#include <memory>

namespace Ui {
class GoodsTab;
}
class GoodsWeighing;
class PanelStatusBar;
class StationSession;

// The tab "商品称重": weigh one article or a counted sample and store its unit weight. The tab
// only carries its controls' events to GoodsWeighing and lets it read and write the boxes.
class GoodsTab : public QWidget, public GoodsView, public GoodsLogSink
{
    Q_OBJECT

public:
    // The session lives longer than the tab.
    explicit GoodsTab(StationSession& session, QWidget* parent = nullptr);
    ~GoodsTab() override;

    // The scale type in use, again whenever the scale settings change it.
    void followScaleType();
    GoodsWeighing* weighing() const { return m_weighing.get(); }

    PanelStatusBar* statusBar() const;

    // The sample sizes offered in Count and whether sampling is on, from the settings; follows
    // every change of them.
    void loadSettings();
    // A text of the scale reader for the weight box.
    void showScaleWeight(const QString& text);
    // Caption of the manual-weight box, as the scale settings name it.
    void setManualWeightCaption(const QString& caption);

    // GoodsView; focusWeight() and focusBarcode() are also F1 and F2 on this tab.
    QString weightText() const override;
    void setWeightText(const QString& text) override;
    void setWeightReadOnly(bool readOnly) override;
    void focusWeight() override;
    QString barcodeText() const override;
    void focusBarcode() override;
    bool isManualWeightChecked() const override;
    QString countText() const override;
    void resetCount() override;
    void focusCount() override;
    void setSamplingEnabled(bool enabled) override;
    void setSampleWeight(const QString& text) override;
    void setGoodName(const QString& text) override;
    void setGoodSpec(const QString& text) override;
    QString goodWeight() const override;
    void setGoodWeight(const QString& text) override;

    // GoodsLogSink: the log Memo3.
    int lineCount() const override;
    void clear() override;
    void insertFirst(const QString& line) override;
    void append(const QString& line) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void installKeyFilters();
    void EntryClick();
    void Edit4Change(const QString& text);
    void CountChange(const QString& text);
    void CheckCapacityClick(bool checked);
    void CheckInputClick(bool checked);
    void TableSheet2OnShow();

    // The sample sizes offered in Count, replacing any offered before.
    void setSampleCounts(const QStringList& counts);
    // Sampling on: the sample count and its weight are enabled on the window colour; off: greyed.
    void setSampling(bool on);

    std::unique_ptr<Ui::GoodsTab> m_ui;
    StationSession& m_session;
    std::unique_ptr<GoodsWeighing> m_weighing;
};
