#pragma once

#include "store/ServerSettings.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TLoginSetDlg;
}
class Prompter;
class StationStores;

// Connection settings of the order database (server row 3 of login.db).
class TLoginSetDlg : public QDialog
{
    Q_OBJECT

public:
    TLoginSetDlg(StationStores& stores, QWidget* parent = nullptr);
    ~TLoginSetDlg() override;

    ServerSettings typedValues() const;
    // Stores the typed values after the dialog returned OK. True when they were stored: the
    // program then ends, so that the next start uses them. Values refused are shown again at the
    // next opening instead of the stored ones.
    bool saveTyped(Prompter& prompter);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void installKeyFilters();
    void FormShow();

    std::unique_ptr<Ui::TLoginSetDlg> m_ui;
    StationStores& m_stores;
    ServerSettings m_shown;
    bool m_keepTyped = false;
};
