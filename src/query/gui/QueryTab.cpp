#include "query/gui/QueryTab.h"
#include "ui_QueryTab.h"

#include "store/LocalQuery.h"

#include <QDate>

namespace {
// Rows of the column configuration whose columns carry a sum.
constexpr int kFirstSumRow = 16;
constexpr int kShownWidth = 100;

void refill(QComboBox* box, const QStringList& entries)
{
    box->clear();
    box->addItem(QString());
    box->addItems(entries);
}
} // namespace

QueryTab::QueryTab(QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::QueryTab>())
{
    m_ui->setupUi(this);
    m_ui->ButtonUp->setEnabled(false);
    m_ui->ButtonDown->setEnabled(false);
    m_ui->ComboBox1->setCurrentIndex(0);
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

void QueryTab::fillOrderLists(const QStringList& shops, const QStringList& logistics,
                              const QStringList& staff)
{
    refill(m_ui->ComboShop, shops);
    refill(m_ui->ComboBoxSnd, logistics);
    refill(m_ui->ComboBoxSndOpr, staff);
}

void QueryTab::applyLocalSettings(QSqlDatabase& loginDb)
{
    m_sumFlags = {};
    const QStringList selected =
        LocalQuery::column(loginDb, QStringLiteral("select Sel from ListView1Conf order by ColIndex"));
    for (int row = 0; row < selected.size(); ++row) {
        const bool shown = selected[row].toInt() != 0;
        const int column = row + 1;
        m_ui->ListView1->setColumnHidden(column, !shown);
        m_ui->ListView1->setColumnWidth(column, shown ? kShownWidth : 0);
        if (shown && row >= kFirstSumRow && row < kFirstSumRow + int(m_sumFlags.size())) {
            m_sumFlags[row - kFirstSumRow] = true;
        }
    }
    refill(m_ui->SearchTypel,
           LocalQuery::column(loginDb, QStringLiteral("select SerarchTypel from Search order by ID")));
    refill(
        m_ui->WeightTypel,
        LocalQuery::column(loginDb, QStringLiteral("select WeightTypel from SearchWeightTypel order by ID")));
    const auto pageSize = LocalQuery::firstRow(
        loginDb, QStringLiteral("select DefaultPageSize from Initialization where ID=1"));
    m_ui->Edit7->setText(pageSize ? pageSize->value(0).toString() : QString());
}
