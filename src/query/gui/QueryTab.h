#pragma once

#include <QSqlDatabase>
#include <QWidget>

#include <array>
#include <memory>

namespace Ui {
class QueryTab;
}
class PanelStatusBar;

// The tab "查询及导出": filters, paging and the result list of shipped trades.
class QueryTab : public QWidget
{
    Q_OBJECT

public:
    explicit QueryTab(QWidget* parent = nullptr);
    ~QueryTab() override;

    Ui::QueryTab* form() const { return m_ui.get(); }
    PanelStatusBar* statusBar() const;

    // From the first day of this month to today.
    void resetDates(const QDate& today);
    void fillOrderLists(const QStringList& shops, const QStringList& logistics, const QStringList& staff);
    // Search types, weight types, visible columns and page size from login.db.
    void applyLocalSettings(QSqlDatabase& loginDb);
    // Which of goods weight, parcel weight, difference and postage are summed (their column is shown).
    const std::array<bool, 4>& sumFlags() const { return m_sumFlags; }

private:
    std::unique_ptr<Ui::QueryTab> m_ui;
    std::array<bool, 4> m_sumFlags{};
};
