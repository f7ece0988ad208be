#pragma once

#include <QDialog>
#include <QSqlDatabase>

#include <memory>

namespace Ui {
class TLogin;
}
class StationSession;
class TLoginSetDlg;

// The login window: the program's principal window. It logs operators in against the order
// database's users and keeps the names and passwords remembered on this computer.
class TLogin : public QDialog
{
    Q_OBJECT

public:
    // The session has started and lives longer than the window.
    explicit TLogin(StationSession& session, QWidget* parent = nullptr);
    ~TLogin() override;

    // The connection settings dialog of "设   置", created once by the application.
    void setConnectionDialog(TLoginSetDlg* dialog) { m_connectionDialog = dialog; }

signals:
    // A login succeeded and the window hid itself: the main window is to be shown.
    void loggedIn();
    // The login window was closed: the program ends.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Esc closes the window like its close button, ending the program: a hidden login window
    // would leave the program running without a window, holding the scale's port.
    void keyPressEvent(QKeyEvent* event) override;
    // Enter in the user name box logs in; it never adds the typed name to the list.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoginFormOnShow();
    void LoginBtnClick();
    void UsernameChange();
    void SavepswClick();
    void CheckDeleteClick();
    void SettingClick();
    bool loginOpen() const;
    QSqlDatabase& loginDb();

    std::unique_ptr<Ui::TLogin> m_ui;
    StationSession& m_session;
    TLoginSetDlg* m_connectionDialog = nullptr;
};
