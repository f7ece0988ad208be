#pragma once

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

signals:
    // The buttons of the tab; the main window opens what each asks for.
    void updateRequested();
    void versionRequested();
    void connectionRequested();
    void scaleRequested();
    void expressStylesRequested();

private:
    std::unique_ptr<Ui::SettingsTab> m_ui;
};
