#pragma once

#include "postage/PostageStyles.h"
#include "postage/RuleBook.h"
#include "postage/RuleDraft.h"

#include <QDialog>
#include <QSqlDatabase>

#include <array>
#include <memory>

class Prompter;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QFrame;
class QStackedWidget;

namespace Ui {
class TRuleDlg;
}

// The rule editor: one rule of one express company, region and up to nine weight brackets, saved
// into the table of its style. The rule list dialog prepares it before each opening.
class TRuleDlg : public QDialog
{
    Q_OBJECT

public:
    TRuleDlg(QSqlDatabase& postageDb, Prompter& prompter, QWidget* parent = nullptr);
    ~TRuleDlg() override;

    // Empties every region and bracket box of the three pages, the region of a rule being changed,
    // and unchecks every list.
    void ResetRule();
    // The company and style name the next save is for (the hidden EditSndStyle and EditSndTyple).
    void setRuleOwner(const QString& express, const QString& styleName);
    // Shows only the page of the style being edited, or all three again.
    void showOnlyPage(RuleStyle style);
    void showAllPages();
    // Fills the style's page from a saved rule; a special rule's region is kept as the region to
    // replace when saving.
    void loadRule(RuleStyle style, const RuleBook::LoadedRule& rule, const RuleBook::RuleSummary& summary);

private:
    // The controls of one tab, so that the three tabs are handled by index.
    struct Page
    {
        QLineEdit* province = nullptr;
        QFrame* panel = nullptr;
        // The panel opens in the place of what lies below the province box, so the window keeps its
        // size.
        QStackedWidget* stack = nullptr;
        QListWidget* regions = nullptr;
        QListWidget* provinces = nullptr;
        QLineEdit* city = nullptr;
        QLineEdit* town = nullptr;
        QLineEdit* adr = nullptr;
        std::array<QLabel*, kBracketRows> startLabels{};
        std::array<QLineEdit*, kBracketRows> endWeights{};
        std::array<QLineEdit*, kBracketRows> firstWeights{};
        std::array<QLineEdit*, kBracketRows> firstFees{};
        std::array<QLineEdit*, kBracketRows> stepWeights{};
        std::array<QLineEdit*, kBracketRows> stepFees{};
    };

    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

    void setUpPage(int index, const QString& rowSuffix, QLineEdit* province, QFrame* panel,
                   QListWidget* regions, QListWidget* provinces);
    void connectPage(int index);

    void EditProvinceOnClick(int page);
    void showPanel(int page, bool shown);
    void PanelOkClick(int page);
    void PanelCancelClick(int page);
    void SelectAllClick(int page);
    void SelectNoneClick(int page);
    void InvertClick(int page);
    void CheckListBoxRegionClick(int page, QListWidgetItem* item);
    void EditCityTownOnClick(int page, QLineEdit* box);
    void ClearPage(int page);
    void EditWEChange(int page, int row);
    void firstZeroOfColumn(const std::array<QLineEdit*, kBracketRows>& column);
    void lonePointOfColumn(const std::array<QLineEdit*, kBracketRows>& column);
    void BtnRuleDecideClick();

    void clearOldRegion(RuleStyle style);
    RuleDraft draftOf(RuleStyle style) const;
    static int pageOf(RuleStyle style);

    std::unique_ptr<Ui::TRuleDlg> m_ui;
    QSqlDatabase& m_db;
    Prompter& m_prompter;
    std::array<Page, 3> m_pages;
};
