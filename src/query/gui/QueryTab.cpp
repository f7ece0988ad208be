#include "query/gui/QueryTab.h"
#include "ui_QueryTab.h"

#include "app/StationSession.h"
#include "base/Prompter.h"
#include "base/Texts.h"
#include "base/gui/InputKeyFilter.h"
#include "query/QueryCondition.h"
#include "query/QueryWorker.h"
#include "query/gui/TDataDetailDlg.h"
#include "query/gui/TFormProgress.h"

#include <QDate>
#include <QFileDialog>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPalette>

#include <algorithm>
#include <utility>

namespace {
constexpr int kShownWidth = 100;

// Whole grams: digits only; Enter still reaches the default button "查询".
constexpr InputRules::Rule kWeightGrams{InputRules::Characters::Digits, 0, InputRules::Shortcuts::Drop, true,
                                        false};

const char kPositiveNumber[] = "请输入大于0 的数!";
const char kChooseRecord[] = "请选择记录!";
const char kNotShown[] = "此项数据未显示！";

// The list headed by an empty entry; a choice still listed stays chosen, since the lists are
// filled again whenever a setting changes.
void refill(QComboBox* box, const QStringList& entries)
{
    const QString chosen = box->currentText();
    box->clear();
    box->addItem(QString());
    box->addItems(entries);
    box->setCurrentIndex(std::max(0, box->findText(chosen, Qt::MatchExactly | Qt::MatchCaseSensitive)));
}

int pageSizeOf(const QString& text)
{
    return text.trimmed().toInt();
}
} // namespace

QueryTab::QueryTab(StationSession& session, QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::QueryTab>())
    , m_session(session)
    , m_detail(std::make_unique<TDataDetailDlg>())
    , m_progress(new TFormProgress(this))
{
    m_ui->setupUi(this);
    m_ui->ButtonUp->setEnabled(false);
    m_ui->ButtonDown->setEnabled(false);
    m_ui->ComboBox1->setCurrentIndex(0);
    m_ui->ListView1->header()->setSectionsClickable(true);
    m_ui->ListView1->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    resetDates(QDate::currentDate());

    InputKeyFilter::install(m_ui->EditWFrom, kWeightGrams);
    InputKeyFilter::install(m_ui->EditWTo, kWeightGrams);
    connect(m_ui->EditWFrom, &QLineEdit::textChanged, this,
            [this](const QString& text) { EditWeightChange(m_ui->EditWFrom, text); });
    connect(m_ui->EditWTo, &QLineEdit::textChanged, this,
            [this](const QString& text) { EditWeightChange(m_ui->EditWTo, text); });
    connect(m_ui->ButtonSearch, &QPushButton::clicked, this, &QueryTab::ButtonSearchClick);
    connect(m_ui->ButtonDown, &QPushButton::clicked, this, &QueryTab::ButtonDownClick);
    connect(m_ui->ButtonUp, &QPushButton::clicked, this, &QueryTab::ButtonUpClick);
    connect(m_ui->ButtonExportPage, &QPushButton::clicked, this, &QueryTab::ButtonExportPageClick);
    connect(m_ui->ButtonExport, &QPushButton::clicked, this, &QueryTab::ButtonExportClick);
    connect(m_ui->SearchTypel, &QComboBox::activated, this, &QueryTab::SearchTypelChange);
    connect(m_ui->WeightTypel, &QComboBox::currentIndexChanged, this, &QueryTab::WeightTypelChange);
    connect(m_ui->Chkfuzzy, &QCheckBox::clicked, this, &QueryTab::ChkfuzzyClick);
    connect(m_ui->ListView1->header(), &QHeaderView::sectionClicked, this, &QueryTab::ListView1ColumnClick);
    connect(m_ui->ListView1, &QTreeWidget::itemDoubleClicked, this, &QueryTab::ListView1DbClick);
    m_ui->ListView1->viewport()->installEventFilter(this);
    connect(&session.settings(), &StationSettings::changed, this, &QueryTab::loadSettings);
    loadSettings();
    WeightTypelChange(m_ui->WeightTypel->currentIndex());
}

QueryTab::~QueryTab() = default;

PanelStatusBar* QueryTab::statusBar() const
{
    return m_ui->StatusBar3;
}

void QueryTab::resetDates(const QDate& today)
{
    const QDate first(today.year(), today.month(), 1);
    m_ui->DateTimePickerFrom->setDate(first.isValid() ? first : today);
    m_ui->DateTimePickerTo->setDate(today);
}

void QueryTab::fillFromOrderDatabase()
{
    OrderDatabase& orderDb = m_session.orderDb();
    if (orderDb.isOpen()) {
        refill(m_ui->ComboShop, orderDb.shopNames());
        refill(m_ui->ComboBoxSnd, orderDb.logisticNames());
        refill(m_ui->ComboBoxSndOpr, orderDb.staffNames());
    }
    m_ui->DateTimePickerFrom->setEnabled(true);
    m_ui->DateTimePickerTo->setEnabled(true);
}

void QueryTab::loadSettings()
{
    // Without readable settings the tab keeps what it shows; the start has said why.
    const StationSettings& settings = m_session.settings();
    StationSettings::Options options;
    QList<bool> shown;
    QStringList searchTypes;
    QStringList weightTypes;
    if (!settings.read(&options, nullptr) || !settings.shownColumns(&shown, nullptr) ||
        !settings.searchTypes(&searchTypes, nullptr) || !settings.weightTypes(&weightTypes, nullptr)) {
        return;
    }
    const bool listChanged = m_settingsLoaded && (shown != m_shown || options.pageSize != m_pageSize);
    m_settingsLoaded = true;
    m_ui->Chkfuzzy->setChecked(options.fuzzy);
    m_shown = shown;
    m_sumFlags = QueryColumns::sumFlags(shown);
    for (int row = 0; row < shown.size() && row + 1 < QueryColumns::kCount; ++row) {
        const int column = row + 1;
        m_ui->ListView1->setColumnHidden(column, !shown[row]);
        m_ui->ListView1->setColumnWidth(column, shown[row] ? kShownWidth : 0);
    }
    refill(m_ui->SearchTypel, searchTypes);
    refill(m_ui->WeightTypel, weightTypes);
    // The search again shows the new columns and sums, on pages of the size it was made with.
    if (listChanged && m_ui->ListView1->topLevelItemCount() > 0) {
        if (busy()) {
            m_pendingSearchPageSize = pageSizeOf(m_ui->Edit7->text());
        } else {
            search(m_filter, pageSizeOf(m_ui->Edit7->text()));
        }
    }
    m_pageSize = options.pageSize;
    m_ui->Edit7->setText(options.pageSize);
}

bool QueryTab::busy() const
{
    return m_worker && m_worker->busy();
}

void QueryTab::waitUntilIdle()
{
    if (m_worker) {
        m_worker->wait();
    }
}

QueryWorker& QueryTab::worker()
{
    if (!m_worker) {
        const LoginContext& context = m_session.context();
        m_worker = std::make_unique<QueryWorker>(context.server, context.programFolder);
        connect(m_worker.get(), &QueryWorker::busyChanged, this, &QueryTab::setBusy);
        connect(m_worker.get(), &QueryWorker::progressed, m_progress, &TFormProgress::advanceTo);
    }
    return *m_worker;
}

OrderDatabase::Dialect QueryTab::dialect() const
{
    return OrderDatabase::isEmbedded(m_session.context().server) ? OrderDatabase::Dialect::Embedded
                                                                 : OrderDatabase::Dialect::SqlServer;
}

QueryFilters QueryTab::filters() const
{
    QueryFilters filters;
    filters.from = m_ui->DateTimePickerFrom->date();
    filters.to = m_ui->DateTimePickerTo->date();
    filters.searchType = m_ui->SearchTypel->currentText().isEmpty() ? 0 : m_ui->SearchTypel->currentIndex();
    filters.value = m_ui->SearchCondition2->currentText();
    filters.fuzzy = m_ui->Chkfuzzy->isChecked();
    filters.shop = m_ui->ComboShop->currentText();
    filters.shopEnabled = m_ui->ComboShop->isEnabled();
    filters.logistic = m_ui->ComboBoxSnd->currentText();
    filters.logisticEnabled = m_ui->ComboBoxSnd->isEnabled();
    filters.operatorName = m_ui->ComboBoxSndOpr->currentText();
    filters.weightType = m_ui->WeightTypel->currentIndex();
    filters.weightFrom = m_ui->EditWFrom->text();
    filters.weightTo = m_ui->EditWTo->text();
    return filters;
}

void QueryTab::ButtonSearchClick()
{
    if (busy()) {
        return;
    }
    m_ui->ListView1->clear();
    m_ui->StatusBar3->setPanelText(0, QString());
    m_paging.reset();
    m_listHasSumRow = false;
    updatePageButtons();
    OrderDatabase::TradeFilter filter;
    QString message;
    if (!QueryCondition::build(filters(), dialect(), &filter, &message)) {
        m_session.prompter().inform(message);
        return;
    }
    search(filter, pageSizeOf(m_ui->Edit7->text()));
}

void QueryTab::search(const OrderDatabase::TradeFilter& filter, int pageSize)
{
    m_filter = filter;
    auto shown = std::make_shared<QueryRun::Shown>();
    const QueryColumns::SumFlags flags = m_sumFlags;
    worker().run(
        [shown, filter, pageSize, flags](OrderDatabase& db, const auto&) {
            *shown = QueryRun::search(db, filter, pageSize, flags);
        },
        [this, shown](const QString& openError) {
            if (!openError.isEmpty()) {
                m_session.prompter().inform(openError);
                return;
            }
            m_paging = shown->paging;
            display(*shown);
        });
}

void QueryTab::ButtonDownClick()
{
    if (!m_paging.hasNext()) {
        m_ui->ButtonDown->setEnabled(false);
        return;
    }
    showPage(m_paging.next());
}

void QueryTab::ButtonUpClick()
{
    if (!m_paging.hasPrevious()) {
        m_ui->ButtonUp->setEnabled(false);
        return;
    }
    showPage(m_paging.previous());
}

void QueryTab::showPage(const QueryPaging& target)
{
    if (busy()) {
        return;
    }
    auto shown = std::make_shared<QueryRun::Shown>();
    const QueryColumns::SumFlags flags = m_sumFlags;
    const OrderDatabase::TradeFilter filter = m_filter;
    worker().run([shown, filter, target, flags](
                     OrderDatabase& db, const auto&) { *shown = QueryRun::page(db, filter, target, flags); },
                 [this, shown](const QString& openError) {
                     if (!openError.isEmpty()) {
                         m_session.prompter().inform(QString::fromUtf8(QueryRun::kPageFailed));
                         return;
                     }
                     // A page that could not be read leaves the list on the page it shows.
                     if (shown->ok) {
                         m_paging = shown->paging;
                     }
                     display(*shown);
                 });
}

void QueryTab::display(const QueryRun::Shown& shown)
{
    if (shown.ok) {
        m_ui->ListView1->clear();
        QList<QTreeWidgetItem*> items;
        items.reserve(shown.rows.size());
        for (const QStringList& row : shown.rows) {
            auto* item = new QTreeWidgetItem(row);
            item->setCheckState(0, Qt::Unchecked);
            items.append(item);
        }
        m_ui->ListView1->addTopLevelItems(items);
        m_listHasSumRow = !shown.rows.isEmpty() && QueryColumns::anySum(m_sumFlags);
        m_ui->StatusBar3->setPanelText(0, shown.rangeText);
        m_ui->StatusBar3->setPanelText(1, shown.totalText);
    }
    updatePageButtons();
    if (!shown.message.isEmpty()) {
        m_session.prompter().inform(shown.message);
    }
}

void QueryTab::setBusy(bool busy)
{
    for (QPushButton* button : {m_ui->ButtonSearch, m_ui->ButtonExportPage, m_ui->ButtonExport}) {
        button->setEnabled(!busy);
    }
    if (busy) {
        m_ui->ButtonUp->setEnabled(false);
        m_ui->ButtonDown->setEnabled(false);
    } else {
        updatePageButtons();
        if (m_pendingSearchPageSize) {
            search(m_filter, *std::exchange(m_pendingSearchPageSize, std::nullopt));
        }
    }
}

void QueryTab::updatePageButtons()
{
    m_ui->ButtonDown->setEnabled(!busy() && m_paging.hasNext());
    m_ui->ButtonUp->setEnabled(!busy() && m_paging.hasPrevious());
}

void QueryTab::SearchTypelChange(int index)
{
    m_ui->SearchCondition2->clear();
    m_ui->SearchCondition2->setEnabled(true);
    for (QComboBox* box : {m_ui->ComboBoxSnd, m_ui->ComboShop, m_ui->ComboBoxSndOpr}) {
        box->setCurrentIndex(0);
    }
    m_ui->EditWFrom->clear();
    m_ui->EditWTo->clear();
    OrderDatabase& orderDb = m_session.orderDb();
    // Searching by shop or by logistics company offers their names; the other list then narrows.
    if (index == SearchType::kShop) {
        m_ui->ComboBoxSnd->setEnabled(true);
        m_ui->ComboShop->setEnabled(false);
        m_ui->SearchCondition2->addItems(orderDb.isOpen() ? orderDb.shopNames() : QStringList());
    } else if (index == SearchType::kLogistic) {
        m_ui->ComboShop->setEnabled(true);
        m_ui->ComboBoxSnd->setEnabled(false);
        m_ui->SearchCondition2->addItems(orderDb.isOpen() ? orderDb.logisticNames() : QStringList());
    } else {
        m_ui->ComboShop->setEnabled(true);
        m_ui->ComboBoxSnd->setEnabled(true);
        m_ui->SearchCondition2->setFocus();
    }
    m_ui->SearchCondition2->setCurrentText(QString());
}

void QueryTab::WeightTypelChange(int index)
{
    const bool blank = index <= 0;
    for (QLineEdit* edit : {m_ui->EditWFrom, m_ui->EditWTo}) {
        if (blank) {
            edit->clear();
        }
        edit->setEnabled(!blank);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, blank ? QWidget::palette().color(QPalette::Button)
                                               : QWidget::palette().color(QPalette::Base));
        edit->setPalette(palette);
    }
}

void QueryTab::ChkfuzzyClick()
{
    QString error;
    if (!m_session.settings().storeFuzzy(m_ui->Chkfuzzy->isChecked(), &error)) {
        m_session.prompter().inform(QString::fromUtf8(Texts::kSaveSettingsFailed) + error);
    }
}

void QueryTab::EditWeightChange(QLineEdit* edit, const QString& text)
{
    if (text.startsWith(QStringLiteral("00"))) {
        edit->clear();
        m_session.prompter().inform(QString::fromUtf8(kPositiveNumber));
    }
}

void QueryTab::ListView1ColumnClick(int column)
{
    if (column < 0 || column >= QueryColumns::kCount) {
        return;
    }
    const bool ascending = m_directions.click(column);
    QTreeWidget* list = m_ui->ListView1;
    QList<QTreeWidgetItem*> items;
    items.reserve(list->topLevelItemCount());
    while (list->topLevelItemCount() > 0) {
        items.append(list->takeTopLevelItem(0));
    }
    std::stable_sort(items.begin(), items.end(), [column, ascending](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        const int order = ListSort::compare(column, a->text(column), b->text(column));
        return ascending ? order < 0 : order > 0;
    });
    list->addTopLevelItems(items);
}

bool QueryTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->ListView1->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        !m_ui->ListView1->itemAt(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        ListView1DbClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void QueryTab::ListView1DbClick()
{
    const QTreeWidgetItem* item = m_ui->ListView1->currentItem();
    if (!item) {
        m_session.prompter().inform(QString::fromUtf8(kChooseRecord));
        return;
    }
    // The configuration as it stands now: a column hidden since the search shows nothing either.
    QList<bool> shown;
    if (!m_session.settings().shownColumns(&shown, nullptr)) {
        shown = m_shown;
    }
    QStringList fields;
    for (int column = 1; column < QueryColumns::kCount; ++column) {
        fields << (shown.value(column - 1) ? item->text(column) : QString::fromUtf8(kNotShown));
    }
    m_detail->fill(item->text(0), fields);
    m_detail->exec();
}

QList<QStringList> QueryTab::listRows() const
{
    QList<QStringList> rows;
    const QTreeWidget* list = m_ui->ListView1;
    rows.reserve(list->topLevelItemCount());
    for (int index = 0; index < list->topLevelItemCount(); ++index) {
        const QTreeWidgetItem* item = list->topLevelItem(index);
        QStringList row;
        for (int column = 0; column < QueryColumns::kCount; ++column) {
            row << item->text(column);
        }
        rows << row;
    }
    return rows;
}

QString QueryTab::chooseFile()
{
    if (m_chooseFile) {
        return m_chooseFile();
    }
    const QString xls = QStringLiteral("Excel 97-2003 (*.xls)");
    const QString xlsx = QStringLiteral("Excel (*.xlsx)");
    QString chosenFilter = xls;
    QString path = QFileDialog::getSaveFileName(this, QString(), QStringLiteral("default.xls"),
                                                xls + QStringLiteral(";;") + xlsx, &chosenFilter);
    if (path.isEmpty()) {
        return path;
    }
    if (!path.endsWith(QStringLiteral(".xls"), Qt::CaseInsensitive) &&
        !path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)) {
        path += chosenFilter == xlsx ? QStringLiteral(".xlsx") : QStringLiteral(".xls");
    }
    return path;
}

void QueryTab::ButtonExportPageClick()
{
    const QList<QStringList> rows = listRows();
    if (rows.isEmpty()) {
        m_session.prompter().inform(QString::fromUtf8(WorkbookExport::kNothingFound));
        return;
    }
    const bool withSumRow = m_listHasSumRow;
    runExport(rows.size(), false,
              [rows, withSumRow](OrderDatabase&, WorkbookWriter& writer,
                                 const WorkbookExport::Progress& progress, const QList<bool>& shown) {
                  return QueryRun::exportPage(rows, withSumRow, shown, writer, progress);
              });
}

void QueryTab::ButtonExportClick()
{
    const qint64 total = m_paging.total();
    if (total == 0) {
        m_session.prompter().inform(QString::fromUtf8(WorkbookExport::kNothingFound));
        return;
    }
    const OrderDatabase::TradeFilter filter = m_filter;
    runExport(total, true,
              [filter, total](OrderDatabase& db, WorkbookWriter& writer,
                              const WorkbookExport::Progress& progress, const QList<bool>& shown) {
                  return QueryRun::exportAll(db, filter, total, shown, writer, progress);
              });
}

void QueryTab::runExport(qint64 rows, bool readsTrades, ExportRows exportRows)
{
    if (busy()) {
        return;
    }
    const QString path = chooseFile();
    if (path.isEmpty()) {
        return;
    }
    QList<bool> shown;
    if (!m_session.settings().shownColumns(&shown, nullptr)) {
        m_session.prompter().inform(QString::fromUtf8(WorkbookExport::kQueryFailed));
        return;
    }
    m_progress->start(window(), rows);
    auto exported = std::make_shared<QueryRun::Exported>();
    worker().run(
        [exported, exportRows = std::move(exportRows), path, shown](OrderDatabase& db, const auto& report) {
            std::unique_ptr<WorkbookWriter> writer = makeWorkbookWriter(path);
            *exported = exportRows(db, *writer, report, shown);
        },
        [this, exported](const QString& openError) {
            m_progress->hide();
            m_session.prompter().inform(
                openError.isEmpty() ? exported->message : QString::fromUtf8(WorkbookExport::kQueryFailed));
        },
        readsTrades);
}
