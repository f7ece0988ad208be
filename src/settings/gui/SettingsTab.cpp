#include "settings/gui/SettingsTab.h"
#include "ui_SettingsTab.h"

SettingsTab::SettingsTab(QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::SettingsTab>())
{
    m_ui->setupUi(this);
}

SettingsTab::~SettingsTab() = default;

PanelStatusBar* SettingsTab::statusBar() const
{
    return m_ui->StatusBar4;
}
