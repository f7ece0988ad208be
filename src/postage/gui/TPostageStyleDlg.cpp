#include "postage/gui/TPostageStyleDlg.h"

#include "base/Texts.h"
#include "ui_TPostageStyleDlg.h"

#include "base/Prompter.h"
#include "postage/RuleBook.h"
#include "postage/gui/TPostageRuleDlg.h"

TPostageStyleDlg::TPostageStyleDlg(QSqlDatabase& postageDb, Prompter& prompter,
                                   TPostageRuleDlg& postageRuleDlg, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TPostageStyleDlg>())
    , m_db(postageDb)
    , m_prompter(prompter)
    , m_postageRuleDlg(postageRuleDlg)
{
    m_ui->setupUi(this);
    connect(m_ui->BtnCommon, &QPushButton::clicked, this, &TPostageStyleDlg::BtnCommonClick);
    connect(m_ui->BtnSpecial1, &QPushButton::clicked, this, &TPostageStyleDlg::BtnSpecial1Click);
    connect(m_ui->BtnSpecial2, &QPushButton::clicked, this, &TPostageStyleDlg::BtnSpecial2Click);
    connect(m_ui->BtnCancel, &QPushButton::clicked, this, &TPostageStyleDlg::BtnCancelClick);
}

TPostageStyleDlg::~TPostageStyleDlg() = default;

void TPostageStyleDlg::setCompany(const QString& express)
{
    m_ui->EditStyle->setText(express);
}

void TPostageStyleDlg::BtnCommonClick()
{
    chooseStyle(RuleStyle::Normal, QStringLiteral("普通规则已存在请重新选择!"));
}

void TPostageStyleDlg::BtnSpecial1Click()
{
    chooseStyle(RuleStyle::Special1, QStringLiteral("特殊规则1已存在请重新选择!"));
}

void TPostageStyleDlg::BtnSpecial2Click()
{
    chooseStyle(RuleStyle::Special2, QStringLiteral("特殊规则2已存在请重新选择!"));
}

void TPostageStyleDlg::chooseStyle(RuleStyle style, const QString& exists)
{
    const QString express = m_ui->EditStyle->text();
    if (m_db.isOpen()) {
        bool has = false;
        QString error;
        if (!RuleBook::hasBinding(m_db, express, style, &has, &error)) {
            m_prompter.inform(QString::fromUtf8(Texts::kReadRulesFailed) + error);
            return;
        }
        if (has) {
            m_prompter.inform(express + exists);
            return;
        }
    }
    m_postageRuleDlg.setRuleOwner(express, PostageStyle::name(style));
    m_postageRuleDlg.FillRuleList();
    m_postageRuleDlg.exec();
}

void TPostageStyleDlg::BtnCancelClick()
{
    m_ui->EditStyle->clear();
    accept();
}
