#include "postage/gui/TRuleDlg.h"
#include "ui_TRuleDlg.h"

#include "base/Prompter.h"
#include "base/gui/InputKeyFilter.h"
#include "base/gui/WindowFit.h"
#include "postage/PostageRegions.h"
#include "postage/PostageText.h"
#include "postage/RuleSave.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStackedWidget>

namespace {

const QString kWeightAboveZero = QStringLiteral("请输入大于0的数!");
const QString kStartSuffix = QStringLiteral("克~");

template <typename T> T* child(QWidget* parent, const QString& name)
{
    T* widget = parent->findChild<T*>(name);
    Q_ASSERT_X(widget, "TRuleDlg", qPrintable(name));
    return widget;
}

void setUpCheckList(QListWidget* list, const QStringList& names)
{
    // Four items to a line, as the lists are read across.
    list->setFlow(QListView::LeftToRight);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setGridSize(QSize(148, 22));
    for (const QString& name : names) {
        auto* item = new QListWidgetItem(name, list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void setAllChecks(QListWidget* list, Qt::CheckState state)
{
    for (int i = 0; i < list->count(); ++i) {
        list->item(i)->setCheckState(state);
    }
}

} // namespace

TRuleDlg::TRuleDlg(QSqlDatabase& postageDb, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TRuleDlg>())
    , m_db(postageDb)
    , m_prompter(prompter)
{
    m_ui->setupUi(this);

    setUpPage(0, QString(), m_ui->EditProvince, m_ui->Panel1, m_ui->CheckListBox1, m_ui->CheckListBox2);
    setUpPage(1, QStringLiteral("1_"), m_ui->EditProvince1, m_ui->Panel2, m_ui->CheckListBox3,
              m_ui->CheckListBox4);
    setUpPage(2, QStringLiteral("2_"), m_ui->EditProvince2, m_ui->Panel3, m_ui->CheckListBox5,
              m_ui->CheckListBox6);
    m_pages[1].city = m_ui->EditCity1;
    m_pages[1].town = m_ui->EditTown1;
    m_pages[1].adr = m_ui->EditAdr;
    m_pages[2].city = m_ui->EditCity2;
    m_pages[2].town = m_ui->EditTown2;
    for (QLineEdit* box : {m_ui->EditCity1, m_ui->EditTown1, m_ui->EditCity2, m_ui->EditTown2}) {
        box->installEventFilter(this);
    }
    for (int page = 0; page < 3; ++page) {
        connectPage(page);
    }

    // The panel buttons of each tab.
    connect(m_ui->Button1, &QPushButton::clicked, this, [this] { PanelOkClick(0); });
    connect(m_ui->Button2, &QPushButton::clicked, this, [this] { PanelCancelClick(0); });
    connect(m_ui->Button4, &QPushButton::clicked, this, [this] { SelectAllClick(0); });
    connect(m_ui->Button5, &QPushButton::clicked, this, [this] { SelectNoneClick(0); });
    connect(m_ui->Button6, &QPushButton::clicked, this, [this] { InvertClick(0); });
    connect(m_ui->Button11, &QPushButton::clicked, this, [this] { PanelOkClick(1); });
    connect(m_ui->Button10, &QPushButton::clicked, this, [this] { PanelCancelClick(1); });
    connect(m_ui->Button7, &QPushButton::clicked, this, [this] { SelectAllClick(1); });
    connect(m_ui->Button8, &QPushButton::clicked, this, [this] { SelectNoneClick(1); });
    connect(m_ui->Button9, &QPushButton::clicked, this, [this] { InvertClick(1); });
    connect(m_ui->BtnOk, &QPushButton::clicked, this, [this] { PanelOkClick(2); });
    connect(m_ui->BtnCancel, &QPushButton::clicked, this, [this] { PanelCancelClick(2); });
    connect(m_ui->Button13, &QPushButton::clicked, this, [this] { SelectAllClick(2); });
    connect(m_ui->Button14, &QPushButton::clicked, this, [this] { SelectNoneClick(2); });
    connect(m_ui->Button15, &QPushButton::clicked, this, [this] { InvertClick(2); });

    connect(m_ui->BtnClear, &QPushButton::clicked, this, [this] { ClearPage(0); });
    connect(m_ui->BtnExit1, &QPushButton::clicked, this, [this] { ClearPage(1); });
    connect(m_ui->BtnClear2, &QPushButton::clicked, this, [this] { ClearPage(2); });
    connect(m_ui->BtnRuleDecide, &QPushButton::clicked, this, &TRuleDlg::BtnRuleDecideClick);
    connect(m_ui->BtnRuleCance, &QPushButton::clicked, this, &QDialog::reject);
}

TRuleDlg::~TRuleDlg() = default;

void TRuleDlg::setUpPage(int index, const QString& rowSuffix, QLineEdit* province, QFrame* panel,
                         QListWidget* regions, QListWidget* provinces)
{
    Page& page = m_pages[index];
    page.province = province;
    page.panel = panel;
    page.stack = qobject_cast<QStackedWidget*>(panel->parentWidget());
    Q_ASSERT(page.stack);
    page.regions = regions;
    page.provinces = provinces;
    province->installEventFilter(this);

    QStringList regionNames;
    for (const PostageRegions::Region& region : PostageRegions::regions()) {
        regionNames.append(region.name);
    }
    setUpCheckList(regions, regionNames);
    setUpCheckList(provinces, PostageRegions::provinces());

    for (int row = 0; row < kBracketRows; ++row) {
        const QString suffix = rowSuffix + QString::number(row + 1);
        page.startLabels[row] = child<QLabel>(this, QStringLiteral("LabelWS") + suffix);
        page.endWeights[row] = child<QLineEdit>(this, QStringLiteral("EditWE") + suffix);
        page.firstWeights[row] = child<QLineEdit>(this, QStringLiteral("EditWSC") + suffix);
        page.firstFees[row] = child<QLineEdit>(this, QStringLiteral("EditSF") + suffix);
        page.stepWeights[row] = child<QLineEdit>(this, QStringLiteral("EditWAC") + suffix);
        page.stepFees[row] = child<QLineEdit>(this, QStringLiteral("EditAF") + suffix);
        for (QLineEdit* grams : {page.endWeights[row], page.firstWeights[row], page.stepWeights[row]}) {
            InputKeyFilter::install(grams, InputRules::kBracketGrams);
        }
        for (QLineEdit* yuan : {page.firstFees[row], page.stepFees[row]}) {
            InputKeyFilter::install(yuan, InputRules::kBracketYuan);
        }
    }
}

void TRuleDlg::connectPage(int index)
{
    const Page& page = m_pages[index];
    // The keys that open a drop-down list open the province panel too.
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_Space), QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter),
          QKeySequence(Qt::Key_F4), QKeySequence(Qt::AltModifier | Qt::Key_Down)}) {
        auto* shortcut = new QShortcut(key, page.province);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, index] { EditProvinceOnClick(index); });
    }
    connect(page.regions, &QListWidget::itemChanged, this,
            [this, index](QListWidgetItem* item) { CheckListBoxRegionClick(index, item); });
    for (int row = 0; row < kBracketRows; ++row) {
        connect(page.endWeights[row], &QLineEdit::textChanged, this,
                [this, index, row] { EditWEChange(index, row); });
        connect(page.firstWeights[row], &QLineEdit::textChanged, this,
                [this, index] { firstZeroOfColumn(m_pages[index].firstWeights); });
        connect(page.stepWeights[row], &QLineEdit::textChanged, this,
                [this, index] { firstZeroOfColumn(m_pages[index].stepWeights); });
        connect(page.firstFees[row], &QLineEdit::textChanged, this,
                [this, index] { lonePointOfColumn(m_pages[index].firstFees); });
        connect(page.stepFees[row], &QLineEdit::textChanged, this,
                [this, index] { lonePointOfColumn(m_pages[index].stepFees); });
    }
}

bool TRuleDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (int page = 0; page < 3; ++page) {
            const Page& p = m_pages[page];
            if (watched == p.province) {
                EditProvinceOnClick(page);
            } else if (p.city && (watched == p.city || watched == p.town)) {
                EditCityTownOnClick(page, static_cast<QLineEdit*>(watched));
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TRuleDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Centred over a main window near the top of a small screen, the title bar would be off it.
    WindowFit::keepOnScreen(*this);
}

void TRuleDlg::EditProvinceOnClick(int page)
{
    showPanel(page, true);
    QListWidget* regions = m_pages[page].regions;
    if (regions->currentRow() < 0) {
        regions->setCurrentRow(0);
    }
    regions->setFocus();
}

void TRuleDlg::showPanel(int page, bool shown)
{
    const Page& p = m_pages[page];
    p.stack->setCurrentIndex(shown ? p.stack->indexOf(p.panel) : 0);
}

void TRuleDlg::PanelOkClick(int page)
{
    const Page& p = m_pages[page];
    QStringList checked;
    for (int i = 0; i < p.provinces->count(); ++i) {
        if (p.provinces->item(i)->checkState() == Qt::Checked) {
            checked.append(p.provinces->item(i)->text());
        }
    }
    p.province->setText(PostageText::listText(checked));
    showPanel(page, false);
    p.province->setFocus();
}

void TRuleDlg::PanelCancelClick(int page)
{
    showPanel(page, false);
    m_pages[page].province->setFocus();
}

void TRuleDlg::SelectAllClick(int page)
{
    setAllChecks(m_pages[page].provinces, Qt::Checked);
}

void TRuleDlg::SelectNoneClick(int page)
{
    setAllChecks(m_pages[page].provinces, Qt::Unchecked);
}

void TRuleDlg::InvertClick(int page)
{
    QListWidget* list = m_pages[page].provinces;
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

void TRuleDlg::CheckListBoxRegionClick(int page, QListWidgetItem* item)
{
    const QListWidget* provinces = m_pages[page].provinces;
    for (const PostageRegions::Region& region : PostageRegions::regions()) {
        if (region.name != item->text()) {
            continue;
        }
        for (int i = 0; i < provinces->count(); ++i) {
            if (region.provinces.contains(provinces->item(i)->text())) {
                provinces->item(i)->setCheckState(item->checkState());
            }
        }
    }
}

void TRuleDlg::EditCityTownOnClick(int page, QLineEdit* box)
{
    const Page& p = m_pages[page];
    if (p.province->text().isEmpty()) {
        box->clear();
        m_prompter.inform(QStringLiteral("省份不能为空，请选择省份!"));
        p.province->setFocus();
    }
}

void TRuleDlg::ClearPage(int page)
{
    Page& p = m_pages[page];
    p.province->clear();
    if (p.city) {
        p.city->clear();
        p.town->clear();
    }
    for (int row = 0; row < kBracketRows; ++row) {
        for (QLineEdit* box : {p.endWeights[row], p.firstWeights[row], p.firstFees[row], p.stepWeights[row],
                               p.stepFees[row]}) {
            box->clear();
        }
    }
    setAllChecks(p.regions, Qt::Unchecked);
    setAllChecks(p.provinces, Qt::Unchecked);
}

void TRuleDlg::EditWEChange(int page, int row)
{
    QLineEdit* box = m_pages[page].endWeights[row];
    if (box->text() == QLatin1String("0")) {
        m_prompter.inform(kWeightAboveZero);
        box->clear();
        return;
    }
    if (row + 1 < kBracketRows) {
        m_pages[page].startLabels[row + 1]->setText(box->text() + kStartSuffix);
    }
}

void TRuleDlg::firstZeroOfColumn(const std::array<QLineEdit*, kBracketRows>& column)
{
    for (QLineEdit* box : column) {
        if (box->text() == QLatin1String("0")) {
            m_prompter.inform(kWeightAboveZero);
            box->clear();
            return;
        }
    }
}

void TRuleDlg::lonePointOfColumn(const std::array<QLineEdit*, kBracketRows>& column)
{
    for (QLineEdit* box : column) {
        if (box->text() == QLatin1String(".")) {
            m_prompter.inform(QStringLiteral("首位数字不能为'.'!"));
            box->clear();
            return;
        }
    }
}

void TRuleDlg::ResetRule()
{
    for (int page = 0; page < 3; ++page) {
        ClearPage(page);
        showPanel(page, false);
    }
    m_ui->EditAdr->clear();
    // A rule opened for change and then cancelled must not be replaced by the next new rule.
    clearOldRegion(RuleStyle::Special1);
    clearOldRegion(RuleStyle::Special2);
}

void TRuleDlg::setRuleOwner(const QString& express, const QString& styleName)
{
    m_ui->EditSndStyle->setText(express);
    m_ui->EditSndTyple->setText(styleName);
}

int TRuleDlg::pageOf(RuleStyle style)
{
    switch (style) {
    case RuleStyle::Normal:
        return 0;
    case RuleStyle::Special1:
        return 1;
    case RuleStyle::Special2:
        break;
    }
    return 2;
}

void TRuleDlg::showOnlyPage(RuleStyle style)
{
    const int shown = pageOf(style);
    for (int page = 0; page < 3; ++page) {
        m_ui->pgc1->setTabVisible(page, page == shown);
    }
    m_ui->pgc1->setCurrentIndex(shown);
}

void TRuleDlg::showAllPages()
{
    for (int page = 0; page < 3; ++page) {
        m_ui->pgc1->setTabVisible(page, true);
    }
}

void TRuleDlg::loadRule(RuleStyle style, const RuleBook::LoadedRule& rule,
                        const RuleBook::RuleSummary& summary)
{
    Page& p = m_pages[pageOf(style)];
    for (int row = 0; row < kBracketRows; ++row) {
        p.endWeights[row]->setText(rule.rows[row].endWeight);
        p.firstWeights[row]->setText(rule.rows[row].firstWeight);
        p.firstFees[row]->setText(rule.rows[row].firstFee);
        p.stepWeights[row]->setText(rule.rows[row].stepWeight);
        p.stepFees[row]->setText(rule.rows[row].stepFee);
    }
    for (int i = 0; i < p.provinces->count(); ++i) {
        QListWidgetItem* item = p.provinces->item(i);
        item->setCheckState(rule.checkedProvinces.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
    }
    p.province->setText(rule.provinceText);
    if (style == RuleStyle::Special1) {
        p.city->setText(rule.city);
        p.town->setText(rule.town);
        p.adr->setText(rule.adr);
        m_ui->EditUpdateprovince->setText(summary.region);
        m_ui->EditUpdatecity->setText(summary.city);
        m_ui->EditUpdatetown->setText(summary.town);
        m_ui->EditUpdateadr->setText(summary.adr);
    } else if (style == RuleStyle::Special2) {
        p.city->setText(rule.city);
        p.town->setText(rule.town);
        m_ui->EditUpdateprovince2->setText(summary.region);
        m_ui->EditUpdatecity2->setText(summary.city);
        m_ui->EditUpdatetown2->setText(summary.town);
    }
}

void TRuleDlg::clearOldRegion(RuleStyle style)
{
    if (style == RuleStyle::Special1) {
        m_ui->EditUpdateprovince->clear();
        m_ui->EditUpdatecity->clear();
        m_ui->EditUpdatetown->clear();
        m_ui->EditUpdateadr->clear();
    } else if (style == RuleStyle::Special2) {
        m_ui->EditUpdateprovince2->clear();
        m_ui->EditUpdatecity2->clear();
        m_ui->EditUpdatetown2->clear();
    }
}

RuleDraft TRuleDlg::draftOf(RuleStyle style) const
{
    const Page& p = m_pages[pageOf(style)];
    RuleDraft draft;
    draft.express = m_ui->EditSndStyle->text();
    draft.styleName = m_ui->EditSndTyple->text();
    draft.provinceText = p.province->text();
    for (int i = 0; i < p.provinces->count(); ++i) {
        if (p.provinces->item(i)->checkState() == Qt::Checked) {
            draft.checkedProvinces.append(p.provinces->item(i)->text());
        }
    }
    if (p.city) {
        draft.city = p.city->text();
        draft.town = p.town->text();
    }
    if (p.adr) {
        draft.adr = p.adr->text();
    }
    for (int row = 0; row < kBracketRows; ++row) {
        draft.rows[row] =
            BracketTexts{p.endWeights[row]->text(), p.firstWeights[row]->text(), p.firstFees[row]->text(),
                         p.stepWeights[row]->text(), p.stepFees[row]->text()};
    }
    if (style == RuleStyle::Special1) {
        draft.oldProvince = m_ui->EditUpdateprovince->text();
        draft.oldCity = m_ui->EditUpdatecity->text();
        draft.oldTown = m_ui->EditUpdatetown->text();
        draft.oldAdr = m_ui->EditUpdateadr->text();
    } else if (style == RuleStyle::Special2) {
        draft.oldProvince = m_ui->EditUpdateprovince2->text();
        draft.oldCity = m_ui->EditUpdatecity2->text();
        draft.oldTown = m_ui->EditUpdatetown2->text();
    }
    return draft;
}

void TRuleDlg::BtnRuleDecideClick()
{
    for (QLineEdit* box :
         {m_ui->EditTown1, m_ui->EditAdr, m_ui->EditCity1, m_ui->EditCity2, m_ui->EditTown2}) {
        box->setText(PostageText::withFinalSeparator(box->text()));
    }
    const RuleStyle style = PostageStyle::fromName(m_ui->EditSndTyple->text());
    const RuleSaveOutcome outcome = SaveRule(m_db, draftOf(style), QDateTime::currentDateTime(), m_prompter);
    // Refused input and failed writes leave the window open with what was typed, to be corrected.
    if (outcome == RuleSaveOutcome::Refused || outcome == RuleSaveOutcome::Failed) {
        return;
    }
    m_ui->EditSndStyle->clear();
    m_ui->EditSndTyple->clear();
    clearOldRegion(style);
    accept();
}
