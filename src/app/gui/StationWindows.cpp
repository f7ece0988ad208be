#include "app/gui/StationWindows.h"

#include "app/gui/MessageBoxPrompter.h"
#include "app/gui/SoundEffectPlayer.h"
#include "app/gui/TFunctionsDlg.h"
#include "app/gui/TLogin.h"
#include "app/gui/TLoginSetDlg.h"
#include "app/gui/TPublishDlg.h"

StationWindows::StationWindows(const QString& dataFolder, QObject* parent)
    : QObject(parent)
    , m_stores(dataFolder)
    , m_sounds(std::make_unique<SoundEffectPlayer>())
    , m_prompter(std::make_unique<MessageBoxPrompter>())
{
    // login.db is opened by the login window before the main window reads any setting.
    m_login = std::make_unique<TLogin>(m_stores, m_context, *m_prompter, *m_sounds);
    m_main = std::make_unique<TFunctionsDlg>(m_stores, m_context, *m_prompter, *m_sounds, *m_login);
    m_connectionDialog = std::make_unique<TLoginSetDlg>(m_stores);
    m_versionDialog = std::make_unique<TPublishDlg>(m_main.get());

    m_login->setConnectionDialog(m_connectionDialog.get());
    m_main->setDialogs({m_connectionDialog.get(), m_versionDialog.get()});

    connect(m_login.get(), &TLogin::loggedIn, this, &StationWindows::showMainWindow);
    connect(m_login.get(), &TLogin::closed, this, &StationWindows::finished);
}

StationWindows::~StationWindows() = default;

void StationWindows::showMainWindow()
{
    m_main->setWindowModality(Qt::ApplicationModal);
    m_main->show();
    m_main->raise();
    m_main->activateWindow();
}
