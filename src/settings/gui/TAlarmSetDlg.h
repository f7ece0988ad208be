#pragma once

#include "store/StationSettings.h"

#include <QDialog>

#include <array>
#include <memory>

namespace Ui {
class TAlarmSetDlg;
}
class Prompter;
class QLabel;
class QLineEdit;

// The weight alarm's brackets: nine rows of range end, safe interval and percentage, and the rule
// that applies. The rule is stored at each click of its button; the brackets only by OK, all
// together.
class TAlarmSetDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kRows = 9;

    TAlarmSetDlg(StationSettings& settings, Prompter& prompter, QWidget* parent = nullptr);
    ~TAlarmSetDlg() override;

    // Shows the stored rule and brackets; rows beyond the stored ones keep what they showed. False,
    // after saying so, when the settings cannot be read: the dialog is then not to be shown.
    bool AlarmFormShow();

private:
    void setRangeMode(bool range);
    void storeRule();
    void RbAlarmRangClick(bool checked);
    void RbAlarmPercentClick(bool checked);
    void BtnDecideClick();
    void BtnClearClick();
    void EdtEwChange(int row, const QString& text);
    // What the operator typed, judged; texts the dialog writes itself are not.
    void rangeEndEdited(QLineEdit* box);
    void valueEdited(QLineEdit* box);

    std::unique_ptr<Ui::TAlarmSetDlg> m_ui;
    StationSettings& m_settings;
    Prompter& m_prompter;
    std::array<QLabel*, kRows> m_starts{};
    std::array<QLineEdit*, kRows> m_rangeEnds{};
    std::array<QLineEdit*, kRows> m_intervalFrom{};
    std::array<QLineEdit*, kRows> m_intervalTo{};
    std::array<QLineEdit*, kRows> m_percents{};
};
