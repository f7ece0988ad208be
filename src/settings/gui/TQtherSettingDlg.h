#pragma once

#include <QDialog>

#include <array>
#include <memory>

namespace Ui {
class TQtherSettingDlg;
}
class Prompter;
class QCheckBox;
class StationSettings;

// The other settings: the scan tab's options, the columns and page size of the query tab and the
// alarm switch. Each opening shows what is stored; OK stores everything together, and the tabs
// follow at once.
class TQtherSettingDlg : public QDialog
{
    Q_OBJECT

public:
    // One box per column of the query tab's result list, in column order.
    static constexpr int kColumns = 22;

    TQtherSettingDlg(StationSettings& settings, Prompter& prompter, QWidget* parent = nullptr);
    ~TQtherSettingDlg() override;

    // Loads every control from the settings. False, after saying so, when they cannot be read: the
    // dialog is then not to be shown.
    bool FormShow();

private:
    void OkbtnClick();
    void Button1Click();
    void Button2Click();
    void MultiPostIDClick(bool checked);

    std::unique_ptr<Ui::TQtherSettingDlg> m_ui;
    StationSettings& m_settings;
    Prompter& m_prompter;
    std::array<QCheckBox*, kColumns> m_columns{};
};
