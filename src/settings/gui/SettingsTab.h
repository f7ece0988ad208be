#pragma once

#include "settings/MaintenanceCommands.h"

#include <QWidget>

#include <memory>

namespace Ui {
class SettingsTab;
}
class PanelStatusBar;

// The tab "系统设置": the buttons that open the settings dialogs and the maintenance commands.
class SettingsTab : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsTab(QWidget* parent = nullptr);
    ~SettingsTab() override;

    PanelStatusBar* statusBar() const;
    // While a maintenance command runs, the tab shows it is busy and starts no second one.
    void setCommandsBusy(bool busy);

signals:
    // The buttons of the tab; the main window opens what each asks for.
    void updateRequested();
    void versionRequested();
    void connectionRequested();
    void scaleRequested();
    void expressStylesRequested();
    void otherSettingsRequested();
    void alarmSettingsRequested();
    // caption is the clicked button's, for the success message.
    void maintenanceRequested(MaintenanceCommands::Command command, const QString& caption);

private:
    std::unique_ptr<Ui::SettingsTab> m_ui;
};
