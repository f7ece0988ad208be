#pragma once

#include "postage/RuleBook.h"

#include <QDialog>
#include <QList>
#include <QSqlDatabase>

#include <memory>

class Prompter;
class TRuleDlg;

namespace Ui {
class TPostageRuleDlg;
}

// The rules of one express company and style: listed by RuleIndex, added, changed and deleted
// through the rule editor. Closing it in any way ends with finished(), on which the binding list
// is rebuilt.
class TPostageRuleDlg : public QDialog
{
    Q_OBJECT

public:
    TPostageRuleDlg(QSqlDatabase& postageDb, Prompter& prompter, TRuleDlg& ruleDlg,
                    QWidget* parent = nullptr);
    ~TPostageRuleDlg() override;

    // The company and style name whose rules are shown (EditSndStyle and EditSndTyple); the caption
    // names the company.
    void setRuleOwner(const QString& express, const QString& styleName);
    void FillRuleList();
    void ClearRuleList();

    void done(int result) override;

private:
    void BtnAddClick();
    void BtnUpdateClick();
    void BtnDeleteClick();
    void BtnExitClick();
    void openEditor();
    // Prices the test parcel as the station would and selects the rule of this list that priced
    // it; the explanation, or why nothing priced it, goes under the parcel.
    void BtnTestParcelClick();
    // The rule of the focused list item, or none with "请选择规则!".
    const RuleBook::RuleSummary* focusedRule();

    std::unique_ptr<Ui::TPostageRuleDlg> m_ui;
    QSqlDatabase& m_db;
    Prompter& m_prompter;
    TRuleDlg& m_ruleDlg;
    QList<RuleBook::RuleSummary> m_rules;
};
