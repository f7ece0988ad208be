#pragma once

#include "postage/gui/PostageDialogs.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TFunctionsDlg;
}
class GoodsTab;
class QAction;
class QueryTab;
class ScanTab;
class SettingsTab;
class StationSession;
class TAlarmSetDlg;
class TElectronicScaleSetDlg;
class MaintenanceCommands;
class TOKRightDlg;
class TQtherSettingDlg;
class WeightBoxesView;
class TLogin;
class TLoginSetDlg;
class TPublishDlg;

// The main window: four tabs for scanning and shipping, goods weighing, query and export, and the
// settings. It places the tabs, routes F1 and F2 to the tab in front and opens the settings
// dialogs; each tab loads and applies its own settings. It is built before anyone logs in and
// shown after a successful login.
class TFunctionsDlg : public QDialog
{
    Q_OBJECT

public:
    // The dialogs the main window opens; each is created once by the application.
    struct Dialogs
    {
        TLoginSetDlg* connection = nullptr;
        TPublishDlg* version = nullptr;
    };

    TFunctionsDlg(StationSession& session, TLogin& login, QWidget* parent = nullptr);
    ~TFunctionsDlg() override;

    void setDialogs(const Dialogs& dialogs) { m_dialogs = dialogs; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Esc does not hide the main window: the program would run on without it.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();
    void Sheet1OnShow();
    void Action1Execute();
    void Action2Execute();
    void BtnUpdateClick();
    void btnPublishClick();
    void ConnectBtnClick();
    void Button3Click();
    void BitBtn3Click();
    void Button2Click();
    void Button4Click();

    std::unique_ptr<Ui::TFunctionsDlg> m_ui;
    StationSession& m_session;
    TLogin& m_login;
    Dialogs m_dialogs;

    ScanTab* m_scanTab;
    GoodsTab* m_goodsTab;
    QueryTab* m_queryTab;
    SettingsTab* m_settingsTab;
    QAction* m_action1;
    QAction* m_action2;

    std::unique_ptr<WeightBoxesView> m_weightBoxes;
    TElectronicScaleSetDlg* m_scaleDialog = nullptr;
    PostageDialogs m_postageDialogs;
    // Windows of their own, centred on the screen; their controls' names repeat those of the tabs.
    std::unique_ptr<TQtherSettingDlg> m_otherSettingsDialog;
    std::unique_ptr<TAlarmSetDlg> m_alarmDialog;
    std::unique_ptr<TOKRightDlg> m_operationCodeDialog;
    MaintenanceCommands* m_maintenance;
};
