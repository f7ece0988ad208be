#pragma once

#include "postage/gui/PostageDialogs.h"
#include "scale/ScaleSettingsApply.h"

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
class Prompter;
class ReaderScale;
class ScaleReaderHost;
class SoundPlayer;
class TElectronicScaleSetDlg;
class WeightBoxesView;
class StationStores;
class TLogin;
class TLoginSetDlg;
class TPublishDlg;
struct LoginContext;

// The main window: four tabs for scanning and shipping, goods weighing, query and export, and the
// settings. It is built before anyone logs in and shown after a successful login.
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

    TFunctionsDlg(StationStores& stores, LoginContext& context, Prompter& prompter, SoundPlayer& sounds,
                  TLogin& login, QWidget* parent = nullptr);
    ~TFunctionsDlg() override;

    void setDialogs(const Dialogs& dialogs) { m_dialogs = dialogs; }

    ScanTab* scanTab() const { return m_scanTab; }
    GoodsTab* goodsTab() const { return m_goodsTab; }
    QueryTab* queryTab() const { return m_queryTab; }
    SettingsTab* settingsTab() const { return m_settingsTab; }

    // 0-based row of ScaleTypel in use; 3 means weights are typed.
    int scaleTypeIndex() const { return m_scale.scaleTypeIndex; }
    const ScaleState& scale() const { return m_scale; }
    ScaleReaderHost& scaleReader() const { return *m_scaleReader; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void loadSettings();
    void FormShow();
    void Sheet1OnShow();
    void Action1Execute();
    void Action2Execute();
    void BtnUpdateClick();
    void btnPublishClick();
    void ConnectBtnClick();
    void Button3Click();
    void BitBtn3Click();

    std::unique_ptr<Ui::TFunctionsDlg> m_ui;
    StationStores& m_stores;
    LoginContext& m_context;
    Prompter& m_prompter;
    SoundPlayer& m_sounds;
    TLogin& m_login;
    Dialogs m_dialogs;

    ScanTab* m_scanTab;
    GoodsTab* m_goodsTab;
    QueryTab* m_queryTab;
    SettingsTab* m_settingsTab;
    QAction* m_action1;
    QAction* m_action2;

    ScaleState m_scale;
    std::unique_ptr<ScaleReaderHost> m_scaleReader;
    std::unique_ptr<ReaderScale> m_stationScale;
    std::unique_ptr<WeightBoxesView> m_weightBoxes;
    TElectronicScaleSetDlg* m_scaleDialog = nullptr;
    PostageDialogs m_postageDialogs;
};
