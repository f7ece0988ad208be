#pragma once

#include <QWidget>

#include <array>
#include <memory>

namespace Ui {
class QueryTab;
}
class PanelStatusBar;
class StationSession;

// The tab "查询及导出": filters, paging and the result list of shipped trades.
class QueryTab : public QWidget
{
    Q_OBJECT

public:
    // The session lives longer than the tab.
    explicit QueryTab(StationSession& session, QWidget* parent = nullptr);
    ~QueryTab() override;

    PanelStatusBar* statusBar() const;

    // From the first day of this month to today.
    void resetDates(const QDate& today);
    // After the login: shops, express companies and staff from the order database.
    void fillFromOrderDatabase();
    // Fuzzy search, search types, weight types, visible columns and page size; follows every
    // change of the settings.
    void loadSettings();
    // Which of goods weight, parcel weight, difference and postage are summed (their column is shown).
    const std::array<bool, 4>& sumFlags() const { return m_sumFlags; }

private:
    std::unique_ptr<Ui::QueryTab> m_ui;
    StationSession& m_session;
    std::array<bool, 4> m_sumFlags{};
};
