#include "settings/gui/SettingsTab.h"
#include "ui_SettingsTab.h"

SettingsTab::SettingsTab(QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::SettingsTab>())
{
    m_ui->setupUi(this);
    connect(m_ui->BtnUpdate, &QPushButton::clicked, this, &SettingsTab::updateRequested);
    connect(m_ui->btnPublish, &QPushButton::clicked, this, &SettingsTab::versionRequested);
    connect(m_ui->ConnectBtn, &QPushButton::clicked, this, &SettingsTab::connectionRequested);
    connect(m_ui->Button3, &QPushButton::clicked, this, &SettingsTab::scaleRequested);
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, &SettingsTab::expressStylesRequested);
    connect(m_ui->Button2, &QPushButton::clicked, this, &SettingsTab::otherSettingsRequested);
    connect(m_ui->Button4, &QPushButton::clicked, this, &SettingsTab::alarmSettingsRequested);
    connect(m_ui->FastFnBtn1, &QPushButton::clicked, this, [this] {
        emit maintenanceRequested(MaintenanceCommands::Command::CopyEstimatedWeight,
                                  m_ui->FastFnBtn1->text());
    });
    connect(m_ui->FastFnBtn2, &QPushButton::clicked, this, [this] {
        emit maintenanceRequested(MaintenanceCommands::Command::ClearAwaitingReview,
                                  m_ui->FastFnBtn2->text());
    });
}

SettingsTab::~SettingsTab() = default;

PanelStatusBar* SettingsTab::statusBar() const
{
    return m_ui->StatusBar4;
}

void SettingsTab::setCommandsBusy(bool busy)
{
    m_ui->FastFnBtn1->setEnabled(!busy);
    m_ui->FastFnBtn2->setEnabled(!busy);
    if (busy) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
    }
}
