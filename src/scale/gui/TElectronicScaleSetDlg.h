#pragma once

#include "scale/ScaleSettingsApply.h"

#include <QDialog>
#include <QSqlDatabase>

#include <functional>
#include <memory>

class Prompter;
class RawByteHistory;

namespace Ui {
class TElectronicScaleSetDlg;
}

// The scale settings: scale type, port and its device, range and baud rate. Showing it brings
// the scale type table up to date; what the operator confirms is read through choice() and
// applied by the main window (ScaleSettingsApply::apply).
class TElectronicScaleSetDlg : public QDialog
{
    Q_OBJECT

public:
    // `state` is the main window's scale settings; the lists show them at each showing.
    // `history` is the reader's recent raw bytes, saved by "保存称重记录"; without it the button is
    // hidden.
    TElectronicScaleSetDlg(QSqlDatabase& loginDb, Prompter& prompter, const ScaleState& state,
                           QWidget* parent = nullptr, const RawByteHistory* history = nullptr);
    ~TElectronicScaleSetDlg() override;

    int chosenPort() const { return m_chosenPort; }
    int chosenType() const { return m_chosenType; }
    ScaleChoice choice() const;

    // Asks where the recording goes; an empty path cancels. A save dialog unless replaced.
    void setRecordPathChooser(std::function<QString()> chooser) { m_chooseRecordPath = std::move(chooser); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormOnShow();
    void ComboBox1Change(int index);
    void ComboBox2Change(int index);
    void RangeChange(const QString& text);
    void showDeviceOf(int portNumber);
    void BtnSaveRecordClick();

    std::unique_ptr<Ui::TElectronicScaleSetDlg> m_ui;
    QSqlDatabase& m_db;
    Prompter& m_prompter;
    const ScaleState& m_state;
    int m_chosenPort = 0;
    int m_chosenType = -1;
    const RawByteHistory* m_history;
    std::function<QString()> m_chooseRecordPath;
};
