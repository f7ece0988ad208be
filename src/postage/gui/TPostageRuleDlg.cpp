#include "postage/gui/TPostageRuleDlg.h"

#include "base/Texts.h"
#include "ui_TPostageRuleDlg.h"

#include "base/Prompter.h"
#include "postage/PostageCalculation.h"
#include "postage/PostageCharge.h"
#include "postage/PostageExplanation.h"
#include "postage/PostageText.h"
#include "postage/gui/TRuleDlg.h"

namespace {

enum Column
{
    Number,
    Type,
    Region,
    City,
    Town,
    Address,
    Range,
};

} // namespace

TPostageRuleDlg::TPostageRuleDlg(QSqlDatabase& postageDb, Prompter& prompter, TRuleDlg& ruleDlg,
                                 QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TPostageRuleDlg>())
    , m_db(postageDb)
    , m_prompter(prompter)
    , m_ruleDlg(ruleDlg)
{
    m_ui->setupUi(this);
    m_ui->ListView1->setColumnWidth(Number, 40);
    m_ui->ListView1->setColumnWidth(Type, 50);
    m_ui->ListView1->setColumnWidth(Region, 260);
    connect(m_ui->BtnAdd, &QPushButton::clicked, this, &TPostageRuleDlg::BtnAddClick);
    connect(m_ui->BtnUpdate, &QPushButton::clicked, this, &TPostageRuleDlg::BtnUpdateClick);
    connect(m_ui->BtnDelete, &QPushButton::clicked, this, &TPostageRuleDlg::BtnDeleteClick);
    connect(m_ui->BtnExit, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->ListView1, &QTreeWidget::itemDoubleClicked, this, &TPostageRuleDlg::BtnUpdateClick);
    connect(m_ui->BtnTestParcel, &QPushButton::clicked, this, &TPostageRuleDlg::BtnTestParcelClick);
}

TPostageRuleDlg::~TPostageRuleDlg() = default;

void TPostageRuleDlg::setRuleOwner(const QString& express, const QString& styleName)
{
    m_ui->EditSndStyle->setText(express);
    m_ui->EditSndTyple->setText(styleName);
    setWindowTitle(express + QStringLiteral("邮资规则"));
}

void TPostageRuleDlg::ClearRuleList()
{
    m_ui->ListView1->clear();
    m_rules.clear();
}

void TPostageRuleDlg::FillRuleList()
{
    ClearRuleList();
    const QString styleName = m_ui->EditSndTyple->text();
    const RuleStyle style = PostageStyle::fromName(styleName);
    // A normal rule is a list of provinces only.
    for (const int column : {City, Town, Address}) {
        m_ui->ListView1->setColumnHidden(column, style == RuleStyle::Normal);
        if (style != RuleStyle::Normal) {
            m_ui->ListView1->setColumnWidth(column, 50);
        }
    }
    if (!m_db.isOpen()) {
        return;
    }
    QString error;
    if (!RuleBook::ruleSummaries(m_db, m_ui->EditSndStyle->text(), style, &m_rules, &error)) {
        m_prompter.inform(QString::fromUtf8(Texts::kReadRulesFailed) + error);
        return;
    }
    for (int i = 0; i < m_rules.size(); ++i) {
        const RuleBook::RuleSummary& rule = m_rules.at(i);
        auto* item = new QTreeWidgetItem(m_ui->ListView1);
        item->setText(Number, QString::number(i + 1));
        item->setText(Type, styleName);
        item->setText(Region, rule.region);
        item->setText(City, rule.city);
        item->setText(Town, rule.town);
        item->setText(Address, rule.adr);
        item->setText(Range, RuleBook::rangeText(rule));
        item->setData(Number, Qt::UserRole, i);
    }
}

const RuleBook::RuleSummary* TPostageRuleDlg::focusedRule()
{
    const QTreeWidgetItem* item = m_ui->ListView1->currentItem();
    if (!item) {
        m_prompter.inform(QString::fromUtf8(Texts::kChooseRule));
        return nullptr;
    }
    const int index = item->data(Number, Qt::UserRole).toInt();
    return index >= 0 && index < m_rules.size() ? &m_rules.at(index) : nullptr;
}

void TPostageRuleDlg::BtnAddClick()
{
    m_ruleDlg.ResetRule();
    m_ruleDlg.setRuleOwner(m_ui->EditSndStyle->text(), m_ui->EditSndTyple->text());
    openEditor();
}

void TPostageRuleDlg::BtnUpdateClick()
{
    const RuleBook::RuleSummary* rule = focusedRule();
    if (!rule) {
        return;
    }
    const QString express = m_ui->EditSndStyle->text();
    const RuleStyle style = PostageStyle::fromName(m_ui->EditSndTyple->text());
    RuleBook::LoadedRule loaded;
    QString error;
    if (!RuleBook::loadRule(m_db, express, style, *rule, &loaded, &error)) {
        m_prompter.inform(QString::fromUtf8(Texts::kReadRulesFailed) + error);
        return;
    }
    m_ruleDlg.ResetRule();
    m_ruleDlg.setRuleOwner(express, m_ui->EditSndTyple->text());
    m_ruleDlg.loadRule(style, loaded, *rule);
    openEditor();
}

void TPostageRuleDlg::openEditor()
{
    m_ruleDlg.showOnlyPage(PostageStyle::fromName(m_ui->EditSndTyple->text()));
    m_ruleDlg.setWindowTitle(m_ui->EditSndStyle->text() + QStringLiteral("邮资规则!"));
    const int result = m_ruleDlg.exec();
    m_ruleDlg.showAllPages();
    if (result == QDialog::Accepted) {
        FillRuleList();
    }
}

void TPostageRuleDlg::BtnTestParcelClick()
{
    // The rule of an earlier parcel must not stand for this one.
    m_ui->ListView1->setCurrentItem(nullptr);
    m_ui->ListView1->clearSelection();
    bool whole = false;
    const int grams = m_ui->EditTestWeight->text().trimmed().toInt(&whole);
    if (!whole) {
        m_ui->LabelTestResult->setText(QStringLiteral("重量必须是整数克数"));
        return;
    }
    const PostageTrade trade{m_ui->EditSndStyle->text(), m_ui->EditTestProvince->text().trimmed(),
                             m_ui->EditTestCity->text().trimmed(), m_ui->EditTestTown->text().trimmed(),
                             m_ui->EditTestAdr->text().trimmed()};
    PostageRuleMatch match;
    QString error;
    if (!FindPostageRule(m_db, trade, grams, &match, &error)) {
        m_ui->LabelTestResult->setText(QString::fromUtf8(Texts::kPostageError) + error);
        return;
    }
    if (!match.found) {
        m_ui->LabelTestResult->setText(noPostageRuleMessage(trade, PostageText::number(grams / 1000.0)));
        return;
    }
    QString text = PostageExplanation(trade, grams, match).text();
    const QString shownTable = PostageStyle::table(PostageStyle::fromName(m_ui->EditSndTyple->text()));
    if (match.table == shownTable) {
        for (int i = 0; i < m_rules.size(); ++i) {
            if (m_rules.at(i).ruleIndex == match.ruleIndex) {
                m_ui->ListView1->setCurrentItem(m_ui->ListView1->topLevelItem(i));
            }
        }
    } else {
        // A more specific table, or the next one, prices this parcel before this list is reached.
        text = QStringLiteral("此包裹不按本列表的规则计费:\n") + text;
    }
    m_ui->LabelTestResult->setText(text);
}

void TPostageRuleDlg::BtnDeleteClick()
{
    const RuleBook::RuleSummary* rule = focusedRule();
    if (!rule) {
        return;
    }
    // One click must not lose a rule by mistake.
    if (!m_prompter.ask(QStringLiteral("删除所选定的规则?"))) {
        return;
    }
    QString error;
    if (!RuleBook::deleteRule(m_db, m_ui->EditSndStyle->text(),
                              PostageStyle::fromName(m_ui->EditSndTyple->text()), *rule, &error)) {
        m_prompter.inform(QStringLiteral("删除邮资规则失败：") + error);
    }
    FillRuleList();
}

void TPostageRuleDlg::BtnExitClick()
{
    m_ui->EditSndStyle->clear();
    m_ui->EditSndTyple->clear();
}

void TPostageRuleDlg::done(int result)
{
    BtnExitClick();
    QDialog::done(result);
}
