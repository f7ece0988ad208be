#include "app/gui/TFunctionsDlg.h"
#include "ui_TFunctionsDlg.h"

#include "app/StationSession.h"
#include "app/gui/PanelStatusBar.h"
#include "app/gui/TLogin.h"
#include "app/gui/TLoginSetDlg.h"
#include "app/gui/TPublishDlg.h"
#include "app/gui/WeightBoxesView.h"
#include "base/Prompter.h"
#include "base/Texts.h"
#include "base/gui/WindowFit.h"
#include "goods/gui/GoodsTab.h"
#include "postage/gui/TSndStyleDlg.h"
#include "query/gui/QueryTab.h"
#include "scale/ScaleSettingsApply.h"
#include "scale/gui/TElectronicScaleSetDlg.h"
#include "settings/MaintenanceCommands.h"
#include "settings/gui/SettingsTab.h"
#include "settings/gui/TAlarmSetDlg.h"
#include "settings/gui/TOKRightDlg.h"
#include "settings/gui/TQtherSettingDlg.h"
#include "station/gui/ScanTab.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>

TFunctionsDlg::TFunctionsDlg(StationSession& session, TLogin& login, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TFunctionsDlg>())
    , m_session(session)
    , m_login(login)
    , m_scanTab(new ScanTab(session, this))
    , m_goodsTab(new GoodsTab(session, this))
    , m_queryTab(new QueryTab(session, this))
    , m_settingsTab(new SettingsTab(this))
    , m_action1(new QAction(this))
    , m_action2(new QAction(this))
    , m_otherSettingsDialog(std::make_unique<TQtherSettingDlg>(session.settings(), session.prompter()))
    , m_alarmDialog(std::make_unique<TAlarmSetDlg>(session.settings(), session.prompter()))
    , m_operationCodeDialog(std::make_unique<TOKRightDlg>())
    , m_maintenance(new MaintenanceCommands(
          session.prompter(), [this] { return m_operationCodeDialog->exec() == QDialog::Accepted; }, this))
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    m_ui->TabSheet1->layout()->addWidget(m_scanTab);
    m_ui->TabSheet2->layout()->addWidget(m_goodsTab);
    m_ui->TabSheet3->layout()->addWidget(m_queryTab);
    m_ui->TabSheet4->layout()->addWidget(m_settingsTab);
    m_ui->PageControl1->setCurrentIndex(0);

    m_action1->setObjectName(QStringLiteral("Action1"));
    m_action1->setShortcut(Qt::Key_F1);
    m_action2->setObjectName(QStringLiteral("Action2"));
    m_action2->setShortcut(Qt::Key_F2);
    for (QAction* action : {m_action1, m_action2}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }

    connect(m_action1, &QAction::triggered, this, &TFunctionsDlg::Action1Execute);
    connect(m_action2, &QAction::triggered, this, &TFunctionsDlg::Action2Execute);
    connect(m_ui->PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 0) {
            Sheet1OnShow();
        }
    });
    connect(m_settingsTab, &SettingsTab::updateRequested, this, &TFunctionsDlg::BtnUpdateClick);
    connect(m_settingsTab, &SettingsTab::versionRequested, this, &TFunctionsDlg::btnPublishClick);
    connect(m_settingsTab, &SettingsTab::connectionRequested, this, &TFunctionsDlg::ConnectBtnClick);
    connect(m_settingsTab, &SettingsTab::scaleRequested, this, &TFunctionsDlg::Button3Click);
    connect(m_settingsTab, &SettingsTab::expressStylesRequested, this, &TFunctionsDlg::BitBtn3Click);
    connect(m_settingsTab, &SettingsTab::otherSettingsRequested, this, &TFunctionsDlg::Button2Click);
    connect(m_settingsTab, &SettingsTab::alarmSettingsRequested, this, &TFunctionsDlg::Button4Click);
    connect(m_settingsTab, &SettingsTab::maintenanceRequested, this,
            [this](MaintenanceCommands::Command command, const QString& caption) {
                const LoginContext& context = m_session.context();
                m_maintenance->request(command, caption,
                                       {context.isAdministrator(), context.server, context.programFolder});
            });
    connect(m_maintenance, &MaintenanceCommands::busyChanged, m_settingsTab, &SettingsTab::setCommandsBusy);

    m_weightBoxes = std::make_unique<WeightBoxesView>(*m_scanTab, *m_goodsTab);
    StationStores& stores = session.stores();
    if (stores.loginOpen()) {
        m_scaleDialog =
            new TElectronicScaleSetDlg(stores.loginDb(), session.prompter(), session.scale(), this);
    }
    if (stores.postageOpen()) {
        m_postageDialogs = createPostageDialogs(
            stores.postageDb(), session.prompter(), [this] { return m_session.orderDb().isOpen(); },
            [this] { return m_session.orderDb().logisticNames(); }, this);
    }
}

TFunctionsDlg::~TFunctionsDlg()
{
    // The tabs work with the reader and the scale the session holds; they go before the window's
    // other parts.
    delete m_scanTab;
    delete m_goodsTab;
}

void TFunctionsDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Until someone moves it, the window is kept within the screen, title bar included.
    if (!testAttribute(Qt::WA_Moved)) {
        WindowFit::fitToScreen(*this);
    }
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TFunctionsDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFunctionsDlg::FormShow()
{
    const LoginContext& context = m_session.context();
    const QString who = QStringLiteral("登陆用户：") + context.operatorName + QStringLiteral(" | ") +
                        (context.isAdministrator() ? QStringLiteral("管理员") : QStringLiteral("非管理员"));
    for (PanelStatusBar* bar : {m_scanTab->statusBar(), m_goodsTab->statusBar(), m_queryTab->statusBar(),
                                m_settingsTab->statusBar()}) {
        bar->setPanelText(0, who);
        bar->setPanelText(1, QStringLiteral("数据目录：") +
                                 QDir::toNativeSeparators(m_session.stores().dataFolder()));
    }
    m_scanTab->fillFromOrderDatabase();
    m_queryTab->fillFromOrderDatabase();
    m_goodsTab->loadSettings();

    StationStores& stores = m_session.stores();
    if (stores.loginOpen() && m_session.scale().scaleTypeIndex >= 0) {
        ScaleSettingsApply::startAtShow(m_session.scale(), stores.loginDb(), m_session.scaleReader(),
                                        *m_weightBoxes);
    }
    Sheet1OnShow();
}

void TFunctionsDlg::Button3Click()
{
    if (!m_scaleDialog || m_scaleDialog->exec() != QDialog::Accepted) {
        return;
    }
    if (ScaleSettingsApply::apply(m_scaleDialog->choice(), m_session.scale(), m_session.settings(),
                                  m_session.stores().loginDb(), m_session.scaleReader(), *m_weightBoxes,
                                  m_session.prompter())) {
        m_goodsTab->followScaleType();
    }
}

void TFunctionsDlg::BitBtn3Click()
{
    if (m_postageDialogs.sndStyleDlg) {
        m_postageDialogs.sndStyleDlg->exec();
    } else {
        m_session.prompter().inform(QString::fromUtf8(Texts::kConfigAccessFailed));
    }
}

void TFunctionsDlg::Button2Click()
{
    // The tabs follow the stored settings as soon as OK has stored them.
    if (m_otherSettingsDialog->FormShow() && m_otherSettingsDialog->exec() == QDialog::Accepted) {
        m_session.prompter().tell(QStringLiteral("配置修改成功!"));
    }
}

void TFunctionsDlg::Button4Click()
{
    if (m_alarmDialog->AlarmFormShow() && m_alarmDialog->exec() == QDialog::Accepted) {
        m_session.prompter().tell(QStringLiteral("报警配置修改成功!"));
    }
}

void TFunctionsDlg::Sheet1OnShow()
{
    m_scanTab->focusFirstBox();
}

void TFunctionsDlg::Action1Execute()
{
    if (m_ui->PageControl1->currentWidget() == m_ui->TabSheet1) {
        m_scanTab->selectWeightBox();
    } else if (m_ui->PageControl1->currentWidget() == m_ui->TabSheet2) {
        m_goodsTab->focusWeight();
    }
}

void TFunctionsDlg::Action2Execute()
{
    if (m_ui->PageControl1->currentWidget() == m_ui->TabSheet1) {
        m_scanTab->selectScanBox();
    } else if (m_ui->PageControl1->currentWidget() == m_ui->TabSheet2) {
        m_goodsTab->focusBarcode();
    }
}

void TFunctionsDlg::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    m_login.close();
}

void TFunctionsDlg::BtnUpdateClick()
{
    Prompter& prompter = m_session.prompter();
    if (!prompter.ask(QStringLiteral("更新新版本需要关闭当前程序，是否继续?"))) {
        return;
    }
    const QString updater = QCoreApplication::applicationDirPath() + QStringLiteral("/update");
    if (!QFileInfo(updater).isExecutable()) {
        prompter.inform(QStringLiteral("未找到更新程序update，请将它放在程序目录中后再试!"));
        return;
    }
    close();
    QProcess::startDetached(updater, {}, QCoreApplication::applicationDirPath());
}

void TFunctionsDlg::btnPublishClick()
{
    if (m_dialogs.version) {
        m_dialogs.version->exec();
    }
}

void TFunctionsDlg::ConnectBtnClick()
{
    if (!m_dialogs.connection || m_dialogs.connection->exec() != QDialog::Accepted) {
        return;
    }
    if (m_dialogs.connection->saveTyped(m_session.prompter())) {
        close();
    }
}
