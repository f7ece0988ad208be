#include "query/gui/QueryTab.h"
#include "ui_QueryTab.h"

#include "app/StationSession.h"

#include <QDate>

#include <algorithm>

namespace {
// Rows of the column configuration whose columns carry a sum.
constexpr int kFirstSumRow = 16;
constexpr int kShownWidth = 100;

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
} // namespace

QueryTab::QueryTab(StationSession& session, QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::QueryTab>())
    , m_session(session)
{
    m_ui->setupUi(this);
    m_ui->ButtonUp->setEnabled(false);
    m_ui->ButtonDown->setEnabled(false);
    m_ui->ComboBox1->setCurrentIndex(0);
    resetDates(QDate::currentDate());
    connect(&session.settings(), &StationSettings::changed, this, &QueryTab::loadSettings);
    loadSettings();
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
    m_ui->Chkfuzzy->setChecked(options.fuzzy);
    m_sumFlags = {};
    for (int row = 0; row < shown.size(); ++row) {
        const int column = row + 1;
        m_ui->ListView1->setColumnHidden(column, !shown[row]);
        m_ui->ListView1->setColumnWidth(column, shown[row] ? kShownWidth : 0);
        if (shown[row] && row >= kFirstSumRow && row < kFirstSumRow + int(m_sumFlags.size())) {
            m_sumFlags[row - kFirstSumRow] = true;
        }
    }
    refill(m_ui->SearchTypel, searchTypes);
    refill(m_ui->WeightTypel, weightTypes);
    m_ui->Edit7->setText(options.pageSize);
}
