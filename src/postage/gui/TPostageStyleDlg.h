#pragma once

#include "postage/PostageStyles.h"

#include <QDialog>
#include <QSqlDatabase>

#include <memory>

class Prompter;
class TPostageRuleDlg;

namespace Ui {
class TPostageStyleDlg;
}

// Picks the style of rules for a company being added; a style the company has already is refused.
class TPostageStyleDlg : public QDialog
{
    Q_OBJECT

public:
    TPostageStyleDlg(QSqlDatabase& postageDb, Prompter& prompter, TPostageRuleDlg& postageRuleDlg,
                     QWidget* parent = nullptr);
    ~TPostageStyleDlg() override;

    // The company being added (the hidden EditStyle).
    void setCompany(const QString& express);

private:
    void BtnCommonClick();
    void BtnSpecial1Click();
    void BtnSpecial2Click();
    void BtnCancelClick();
    void chooseStyle(RuleStyle style, const QString& exists);

    std::unique_ptr<Ui::TPostageStyleDlg> m_ui;
    QSqlDatabase& m_db;
    Prompter& m_prompter;
    TPostageRuleDlg& m_postageRuleDlg;
};
