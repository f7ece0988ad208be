#pragma once

#include <QSqlDatabase>
#include <QWidget>

#include <memory>

namespace Ui {
class ScanTab;
}
class PanelStatusBar;

// The tab "扫描称重": weight, waybill and postage boxes, the options, the staff record, the
// station log and the order displays.
class ScanTab : public QWidget
{
    Q_OBJECT

public:
    explicit ScanTab(QWidget* parent = nullptr);
    ~ScanTab() override;

    Ui::ScanTab* form() const { return m_ui.get(); }
    PanelStatusBar* statusBar() const;

    // The staff and package pick-lists, each headed by an empty entry.
    void fillStaffLists(const QStringList& staff, const QStringList& packages);
    // Remembered choices and which staff boxes are asked for, from the Initialization row.
    void applyStaffSettings(QSqlDatabase& loginDb);

private:
    std::unique_ptr<Ui::ScanTab> m_ui;
};
