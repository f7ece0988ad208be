#pragma once

#include "app/StationSession.h"

#include <QObject>

#include <memory>

class MessageBoxPrompter;
class SoundEffectPlayer;
class TFunctionsDlg;
class TLogin;
class TLoginSetDlg;
class TPublishDlg;

// Every window of the program, created once at start in a fixed order, with the session they
// share. The login window is the principal one: closing it ends the program.
class StationWindows : public QObject
{
    Q_OBJECT

public:
    explicit StationWindows(const QString& dataFolder, QObject* parent = nullptr);
    ~StationWindows() override;

    TLogin& login() { return *m_login; }
    TFunctionsDlg& mainWindow() { return *m_main; }
    StationSession& session() { return *m_session; }

signals:
    // The login window closed: the program is to end.
    void finished();

private:
    void showMainWindow();

    std::unique_ptr<SoundEffectPlayer> m_sounds;
    std::unique_ptr<MessageBoxPrompter> m_prompter;
    std::unique_ptr<StationSession> m_session;
    std::unique_ptr<TLogin> m_login;
    std::unique_ptr<TFunctionsDlg> m_main;
    std::unique_ptr<TLoginSetDlg> m_connectionDialog;
    std::unique_ptr<TPublishDlg> m_versionDialog;
};
