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
}

SettingsTab::~SettingsTab() = default;

PanelStatusBar* SettingsTab::statusBar() const
{
    return m_ui->StatusBar4;
}
