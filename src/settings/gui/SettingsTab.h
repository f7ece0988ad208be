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

    Ui::SettingsTab* form() const { return m_ui.get(); }
    PanelStatusBar* statusBar() const;

private:
    std::unique_ptr<Ui::SettingsTab> m_ui;
};
