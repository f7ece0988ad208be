#include "app/gui/TFunctionsDlg.h"

#include "scale/ScaleTypes.h"

#include "base/Texts.h"
#include "ui_GoodsTab.h"
#include "ui_QueryTab.h"
#include "ui_ScanTab.h"
#include "ui_SettingsTab.h"
#include "ui_TFunctionsDlg.h"

#include "app/LoginContext.h"
#include "app/StationStores.h"
#include "app/gui/PanelStatusBar.h"
#include "app/gui/TLogin.h"
#include "app/gui/TLoginSetDlg.h"
#include "app/gui/TPublishDlg.h"
#include "app/gui/WeightBoxesView.h"
#include "base/Prompter.h"
#include "base/SoundPlayer.h"
#include "base/gui/WindowFit.h"
#include "goods/gui/GoodsTab.h"
#include "postage/gui/TSndStyleDlg.h"
#include "query/gui/QueryTab.h"
#include "scale/ScaleReaderHost.h"
#include "scale/ScaleSettingsStore.h"
#include "scale/gui/TElectronicScaleSetDlg.h"
#include "settings/gui/SettingsTab.h"
#include "station/ReaderScale.h"
#include "station/gui/ScanTab.h"
#include "store/LocalQuery.h"
#include "store/LoginDbUpgrades.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QProcess>

namespace {

void selectAllAndFocus(QLineEdit* box)
{
    box->selectAll();
    box->setFocus();
}
} // namespace

TFunctionsDlg::TFunctionsDlg(StationStores& stores, LoginContext& context, Prompter& prompter,
                             SoundPlayer& sounds, TLogin& login, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TFunctionsDlg>())
    , m_stores(stores)
    , m_context(context)
    , m_prompter(prompter)
    , m_sounds(sounds)
    , m_login(login)
    , m_scanTab(new ScanTab(this))
    , m_goodsTab(new GoodsTab(this))
    , m_queryTab(new QueryTab(this))
    , m_settingsTab(new SettingsTab(this))
    , m_action1(new QAction(this))
    , m_action2(new QAction(this))
    , m_scaleReader(std::make_unique<ScaleReaderHost>(prompter))
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    m_ui->TabSheet1->layout()->addWidget(m_scanTab);
    m_ui->TabSheet2->layout()->addWidget(m_goodsTab);
    m_ui->TabSheet3->layout()->addWidget(m_queryTab);
    m_ui->TabSheet4->layout()->addWidget(m_settingsTab);

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
    const Ui::SettingsTab* settings = m_settingsTab->form();
    connect(settings->BtnUpdate, &QPushButton::clicked, this, &TFunctionsDlg::BtnUpdateClick);
    connect(settings->btnPublish, &QPushButton::clicked, this, &TFunctionsDlg::btnPublishClick);
    connect(settings->ConnectBtn, &QPushButton::clicked, this, &TFunctionsDlg::ConnectBtnClick);
    connect(settings->Button3, &QPushButton::clicked, this, &TFunctionsDlg::Button3Click);
    connect(settings->BitBtn3, &QPushButton::clicked, this, &TFunctionsDlg::BitBtn3Click);

    // Without Postage.db the window is built without its scale settings.
    m_scale.scaleTypeIndex = -1;
    QString error;
    if (m_stores.openPostage(&error)) {
        loadSettings();
    } else {
        m_prompter.inform(QString::fromUtf8(Texts::kConfigAccessFailed));
    }

    m_weightBoxes = std::make_unique<WeightBoxesView>(*m_scanTab, *m_goodsTab);
    m_stationScale = std::make_unique<ReaderScale>(m_scale, *m_scaleReader);
    m_scanTab->attach(m_stores, m_context, m_prompter, m_sounds, *m_stationScale);
    m_goodsTab->setup(m_stores.orderDb(), m_prompter, m_sounds, m_scaleReader.get());
    m_goodsTab->setScaleTypeIndex(m_scale.scaleTypeIndex);
    connect(m_scaleReader.get(), &ScaleReaderHost::weightText, m_scanTab->form()->Edit2, &QLineEdit::setText);
    connect(m_scaleReader.get(), &ScaleReaderHost::weightText, m_goodsTab, &GoodsTab::showScaleWeight);

    m_scaleDialog = new TElectronicScaleSetDlg(m_stores.loginDb(), m_prompter, m_scale, this);
    m_postageDialogs = createPostageDialogs(
        m_stores.postageDb(), m_prompter, [this] { return m_stores.orderDb().isOpen(); },
        [this] { return m_stores.orderDb().logisticNames(); }, this);
}

TFunctionsDlg::~TFunctionsDlg()
{
    // The reader may be waiting on its port; it is asked to stop and given a second at most.
    if (!m_context.loginWindowClosed) {
        m_scaleReader->requestStop();
    }
    // The tabs work with the scale and the reader held here: they go first.
    delete m_scanTab;
    delete m_goodsTab;
}

void TFunctionsDlg::loadSettings()
{
    if (m_stores.loginOpen()) {
        QSqlDatabase& loginDb = m_stores.loginDb();
        if (const auto row = LocalQuery::firstRow(
                loginDb,
                QStringLiteral(
                    "select Com, ScaleType, Chkfuzzy, check4, check6 from Initialization where ID = 1"))) {
            m_scale.portNumber = row->value(0).toInt();
            m_scale.scaleTypeIndex = row->value(1).toInt() - 1;
            m_queryTab->form()->Chkfuzzy->setChecked(row->value(2).toInt() != 0);
            m_scanTab->form()->CheckBox4->setChecked(row->value(3).toInt() != 0);
            m_scanTab->form()->CheckBox6->setChecked(row->value(4).toInt() != 0);
        }
        LoginDbUpgrades::addBaudRates(loginDb);
    }
    m_scanTab->form()->Edit2->setText(QString::fromUtf8(Texts::kScaleNotConnected));
    m_goodsTab->form()->Edit4->setText(m_scanTab->form()->Edit2->text());
    m_queryTab->resetDates(QDate::currentDate());
    m_ui->PageControl1->setCurrentIndex(0);
    m_scanTab->form()->edtPreWeight->setAlignment(Qt::AlignCenter);
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

void TFunctionsDlg::FormShow()
{
    const QString who = QStringLiteral("登陆用户：") + m_context.operatorName + QStringLiteral(" | ") +
                        (m_context.isAdministrator() ? QStringLiteral("管理员") : QStringLiteral("非管理员"));
    for (PanelStatusBar* bar : {m_scanTab->statusBar(), m_goodsTab->statusBar(), m_queryTab->statusBar(),
                                m_settingsTab->statusBar()}) {
        bar->setPanelText(0, who);
    }

    OrderDatabase& orderDb = m_stores.orderDb();
    if (orderDb.isOpen()) {
        const QStringList staff = orderDb.staffNames();
        m_scanTab->fillStaffLists(staff, orderDb.packageNames());
        m_queryTab->fillOrderLists(orderDb.shopNames(), orderDb.logisticNames(), staff);
    }
    if (!m_stores.loginOpen()) {
        return;
    }
    QSqlDatabase& loginDb = m_stores.loginDb();
    m_scanTab->applyStaffSettings(loginDb);
    m_goodsTab->setSampleCounts(LocalQuery::column(loginDb, QStringLiteral("select Count from Capacity")));
    m_queryTab->applyLocalSettings(loginDb);
    const auto capacity =
        LocalQuery::firstRow(loginDb, QStringLiteral("select CheckCapacity from Initialization where ID=1"));
    m_goodsTab->setSampling(capacity && capacity->value(0).toInt() != 0);

    if (const auto type = ScaleSettingsStore::typeValues(loginDb, m_scale.scaleTypeIndex + 1)) {
        m_scale.scaleRange = type->range;
        m_scale.baudRate = type->baudRate;
    }
    m_queryTab->form()->DateTimePickerFrom->setEnabled(true);
    m_queryTab->form()->DateTimePickerTo->setEnabled(true);

    if (m_scale.scaleTypeIndex >= 0) {
        ScaleSettingsApply::startAtShow(m_scale, loginDb, *m_scaleReader, *m_weightBoxes);
    }
    Sheet1OnShow();
}

void TFunctionsDlg::Button3Click()
{
    if (!m_stores.loginOpen() || m_scaleDialog->exec() != QDialog::Accepted) {
        return;
    }
    if (ScaleSettingsApply::apply(m_scaleDialog->choice(), m_scale, m_stores.loginDb(), *m_scaleReader,
                                  *m_weightBoxes, m_prompter)) {
        m_goodsTab->setScaleTypeIndex(m_scale.scaleTypeIndex);
    }
}

void TFunctionsDlg::BitBtn3Click()
{
    m_postageDialogs.sndStyleDlg->exec();
}

void TFunctionsDlg::Sheet1OnShow()
{
    const Ui::ScanTab* scan = m_scanTab->form();
    selectAllAndFocus(m_scale.scaleTypeIndex == kManualScaleTypeIndex ? scan->Edit2 : scan->Edit1);
}

void TFunctionsDlg::Action1Execute()
{
    if (m_ui->PageControl1->currentWidget() == m_ui->TabSheet1) {
        selectAllAndFocus(m_scanTab->form()->Edit2);
    } else if (m_ui->PageControl1->currentWidget() == m_ui->TabSheet2) {
        selectAllAndFocus(m_goodsTab->form()->Edit4);
    }
}

void TFunctionsDlg::Action2Execute()
{
    if (m_ui->PageControl1->currentWidget() == m_ui->TabSheet1) {
        selectAllAndFocus(m_scanTab->form()->Edit1);
    } else if (m_ui->PageControl1->currentWidget() == m_ui->TabSheet2) {
        selectAllAndFocus(m_goodsTab->form()->Edit5);
    }
}

void TFunctionsDlg::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    m_login.close();
}

void TFunctionsDlg::BtnUpdateClick()
{
    if (!m_prompter.ask(QStringLiteral("更新新版本需要关闭当前程序，是否继续?"))) {
        return;
    }
    const QString updater = QCoreApplication::applicationDirPath() + QStringLiteral("/update");
    if (!QFileInfo(updater).isExecutable()) {
        m_prompter.inform(QStringLiteral("未找到更新程序update，请将它放在程序目录中后再试!"));
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
    if (m_dialogs.connection->saveTyped(m_prompter)) {
        close();
    }
}
