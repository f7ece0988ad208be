#pragma once

#include <QDialog>
#include <QSqlDatabase>
#include <QStringList>

#include <functional>
#include <memory>

class Prompter;
class TPostageRuleDlg;
class TPostageStyleDlg;

namespace Ui {
class TSndStyleDlg;
}

// The entry to the postage rules: the companies and styles that have rules, adding a company,
// deleting all rules of a company and style, and the rule list of one.
class TSndStyleDlg : public QDialog
{
    Q_OBJECT

public:
    // orderDatabaseOpen tells whether the company names can be read; companyNames reads them
    // ("select Name from G_Cfg_LogisticList", in the order returned).
    TSndStyleDlg(QSqlDatabase& postageDb, Prompter& prompter, TPostageStyleDlg& postageStyleDlg,
                 TPostageRuleDlg& postageRuleDlg, std::function<bool()> orderDatabaseOpen,
                 std::function<QStringList()> companyNames, QWidget* parent = nullptr);
    ~TSndStyleDlg() override;

    // Rebuilds the binding list from SndStyle_Form.
    void RefreshBindingList();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SndStyleDlgOnShow();
    void BtnAddClick();
    void BtnCancelClick();
    void BtnDetailClick();

    std::unique_ptr<Ui::TSndStyleDlg> m_ui;
    QSqlDatabase& m_db;
    Prompter& m_prompter;
    TPostageStyleDlg& m_postageStyleDlg;
    TPostageRuleDlg& m_postageRuleDlg;
    std::function<bool()> m_orderDatabaseOpen;
    std::function<QStringList()> m_companyNames;
};
