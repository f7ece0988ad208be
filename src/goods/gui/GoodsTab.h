#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class GoodsTab;
}
class PanelStatusBar;

// The tab "商品称重": weigh one article or a counted sample and store its unit weight.
class GoodsTab : public QWidget
{
    Q_OBJECT

public:
    explicit GoodsTab(QWidget* parent = nullptr);
    ~GoodsTab() override;

    Ui::GoodsTab* form() const { return m_ui.get(); }
    PanelStatusBar* statusBar() const;

    void setSampleCounts(const QStringList& counts);
    // Sampling on: the sample count and its weight are enabled on the window colour; off: greyed.
    void setSampling(bool on);

private:
    std::unique_ptr<Ui::GoodsTab> m_ui;
};
