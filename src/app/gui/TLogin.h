#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TLogin;
}
struct LoginContext;
class Prompter;
class SoundPlayer;
class StationStores;
class TLoginSetDlg;

// The login window: the program's principal window. It opens login.db, reads where the order
// database is, upgrades old files, and logs operators in against the order database's users.
class TLogin : public QDialog
{
    Q_OBJECT

public:
    TLogin(StationStores& stores, LoginContext& context, Prompter& prompter, SoundPlayer& sounds,
           QWidget* parent = nullptr);
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

private:
    void LoginFormOnShow();
    void LoginBtnClick();
    void UsernameChange();
    void SavepswClick();
    void CheckDeleteClick();
    void SettingClick();

    std::unique_ptr<Ui::TLogin> m_ui;
    StationStores& m_stores;
    LoginContext& m_context;
    Prompter& m_prompter;
    SoundPlayer& m_sounds;
    TLoginSetDlg* m_connectionDialog = nullptr;
};
