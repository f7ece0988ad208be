#include "postage/gui/TSndStyleDlg.h"

#include "base/Texts.h"
#include "ui_TSndStyleDlg.h"

#include "base/Prompter.h"
#include "postage/RuleBook.h"
#include "postage/gui/TPostageRuleDlg.h"
#include "postage/gui/TPostageStyleDlg.h"

namespace {

enum Column
{
    Number,
    Type,
    Express,
};

} // namespace

TSndStyleDlg::TSndStyleDlg(QSqlDatabase& postageDb, Prompter& prompter, TPostageStyleDlg& postageStyleDlg,
                           TPostageRuleDlg& postageRuleDlg, std::function<bool()> orderDatabaseOpen,
                           std::function<QStringList()> companyNames, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TSndStyleDlg>())
    , m_db(postageDb)
    , m_prompter(prompter)
    , m_postageStyleDlg(postageStyleDlg)
    , m_postageRuleDlg(postageRuleDlg)
    , m_orderDatabaseOpen(std::move(orderDatabaseOpen))
    , m_companyNames(std::move(companyNames))
{
    m_ui->setupUi(this);
    connect(m_ui->BtnAdd, &QPushButton::clicked, this, &TSndStyleDlg::BtnAddClick);
    connect(m_ui->BtnCancel, &QPushButton::clicked, this, &TSndStyleDlg::BtnCancelClick);
    connect(m_ui->BtnDetail, &QPushButton::clicked, this, &TSndStyleDlg::BtnDetailClick);
    connect(m_ui->BtnExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->ListView1, &QTreeWidget::itemDoubleClicked, this, &TSndStyleDlg::BtnDetailClick);
    // Closing the rule list shows the pairs its saves and deletes left.
    connect(&m_postageRuleDlg, &QDialog::finished, this, &TSndStyleDlg::RefreshBindingList);
}

TSndStyleDlg::~TSndStyleDlg() = default;

void TSndStyleDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    SndStyleDlgOnShow();
}

void TSndStyleDlg::SndStyleDlgOnShow()
{
    if (m_orderDatabaseOpen && m_orderDatabaseOpen()) {
        m_ui->ComboSndStyleAdd->clear();
        m_ui->ComboSndStyleAdd->addItem(QString());
        if (m_companyNames) {
            m_ui->ComboSndStyleAdd->addItems(m_companyNames());
        }
    }
    RefreshBindingList();
}

void TSndStyleDlg::RefreshBindingList()
{
    if (!m_db.isOpen()) {
        return;
    }
    m_ui->ListView1->clear();
    QList<RuleBook::StyleBinding> bindings;
    QString error;
    if (!RuleBook::styleBindings(m_db, &bindings, &error)) {
        m_prompter.inform(QStringLiteral("读取物流方式失败：") + error);
        return;
    }
    int number = 0;
    for (const RuleBook::StyleBinding& binding : bindings) {
        auto* item = new QTreeWidgetItem(m_ui->ListView1);
        item->setText(Number, QString::number(++number));
        item->setText(Type, PostageStyle::name(binding.style));
        item->setText(Express, binding.express);
    }
}

void TSndStyleDlg::BtnAddClick()
{
    const QString express = m_ui->ComboSndStyleAdd->currentText();
    if (express.isEmpty()) {
        m_prompter.inform(QStringLiteral("请选择物流方式!"));
        return;
    }
    if (m_db.isOpen()) {
        int styles = 0;
        QString error;
        if (!RuleBook::boundStyleCount(m_db, express, &styles, &error)) {
            m_prompter.inform(QStringLiteral("读取物流方式失败：") + error);
            return;
        }
        if (styles >= 3) {
            m_prompter.inform(express + QStringLiteral("所有类型规则已存在请重新选择!"));
            return;
        }
    }
    m_postageStyleDlg.setCompany(express);
    if (m_postageStyleDlg.exec() == QDialog::Accepted) {
        RefreshBindingList();
    }
}

void TSndStyleDlg::BtnCancelClick()
{
    const QTreeWidgetItem* item = m_ui->ListView1->currentItem();
    if (!item) {
        m_prompter.inform(QStringLiteral("请选择要删除的规则!"));
        return;
    }
    const QString express = item->text(Express);
    const RuleStyle style = PostageStyle::fromName(item->text(Type));
    if (!m_prompter.ask(QStringLiteral("删除所选定的物流方式所有规则?"))) {
        return;
    }
    QString error;
    if (!RuleBook::deleteAllRules(m_db, express, style, &error)) {
        m_prompter.inform(QStringLiteral("删除邮资规则失败：") + error);
    }
    RefreshBindingList();
}

void TSndStyleDlg::BtnDetailClick()
{
    const QTreeWidgetItem* item = m_ui->ListView1->currentItem();
    if (!item) {
        m_prompter.inform(QString::fromUtf8(Texts::kChooseRule));
        return;
    }
    m_postageRuleDlg.setRuleOwner(item->text(Express), item->text(Type));
    m_postageRuleDlg.FillRuleList();
    m_postageRuleDlg.exec();
}
