#pragma once

#include "query/ListSort.h"
#include "query/QueryColumns.h"
#include "query/QueryFilters.h"
#include "query/QueryPaging.h"
#include "query/QueryRun.h"
#include "store/OrderDatabase.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class QueryTab;
}
class PanelStatusBar;
class QLineEdit;
class QueryWorker;
class StationSession;
class TDataDetailDlg;
class TFormProgress;

// The tab "查询及导出": filters, paging and the result list of shipped trades, and their export.
// Searches and exports run on a worker thread; the tab's buttons wait until they end.
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
    // change of the settings. A changed column choice or page size searches again when the list
    // holds rows, still with the page size of the last search.
    void loadSettings();
    // Which of goods weight, parcel weight, difference and postage are summed (their column is shown).
    const QueryColumns::SumFlags& sumFlags() const { return m_sumFlags; }

    // The workbook name of an export; empty when the operator cancels. A save dialog unless replaced.
    void setFileChooser(std::function<QString()> chooser) { m_chooseFile = std::move(chooser); }
    // Whether a search or export is still running, and waiting for its end.
    bool busy() const;
    void waitUntilIdle();
    TDataDetailDlg& detailDialog() const { return *m_detail; }
    TFormProgress& progressWindow() const { return *m_progress; }

protected:
    // A double-click on the list away from any row still shows the focused row.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ButtonSearchClick();
    void ButtonDownClick();
    void ButtonUpClick();
    void SearchTypelChange(int index);
    void WeightTypelChange(int index);
    void ChkfuzzyClick();
    void EditWeightChange(QLineEdit* edit, const QString& text);
    void ListView1ColumnClick(int column);
    void ListView1DbClick();
    void ButtonExportPageClick();
    void ButtonExportClick();

    QueryFilters filters() const;
    OrderDatabase::Dialect dialect() const;
    QueryWorker& worker();
    void search(const OrderDatabase::TradeFilter& filter, int pageSize);
    void showPage(const QueryPaging& target);
    // The rows and status texts of a search or a page; false when it failed (message shown).
    void display(const QueryRun::Shown& shown);
    void setBusy(bool busy);
    void updatePageButtons();
    QList<QStringList> listRows() const;
    QString chooseFile();
    // The rows of an export written by a job on the worker thread, with the shown columns.
    using ExportRows = std::function<QueryRun::Exported(OrderDatabase&, WorkbookWriter&,
                                                        const WorkbookExport::Progress&, const QList<bool>&)>;
    void runExport(qint64 rows, bool readsTrades, ExportRows exportRows);

    std::unique_ptr<Ui::QueryTab> m_ui;
    StationSession& m_session;
    QueryColumns::SumFlags m_sumFlags{};
    QList<bool> m_shown;
    QString m_pageSize;
    bool m_settingsLoaded = false;
    // A search again asked for by a settings change while other work ran: its page size.
    std::optional<int> m_pendingSearchPageSize;
    // The last search: its condition, where its pages stand and whether the list ends in a sum row.
    OrderDatabase::TradeFilter m_filter;
    QueryPaging m_paging;
    bool m_listHasSumRow = false;
    ListSort::Directions m_directions;
    std::unique_ptr<QueryWorker> m_worker;
    // A window of its own, not a child: its edit boxes Edit0 … Edit22 would be found in place of
    // the main window's boxes of the same names.
    std::unique_ptr<TDataDetailDlg> m_detail;
    TFormProgress* m_progress;
    std::function<QString()> m_chooseFile;
};
