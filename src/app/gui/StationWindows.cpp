#include "app/gui/StationWindows.h"

#include "app/gui/MessageBoxPrompter.h"
#include "app/gui/SoundEffectPlayer.h"
#include "app/gui/TFunctionsDlg.h"
#include "app/gui/TLogin.h"
#include "app/gui/TLoginSetDlg.h"
#include "app/gui/TPublishDlg.h"
#include "base/Texts.h"

StationWindows::StationWindows(const QString& dataFolder, QObject* parent)
    : QObject(parent)
    , m_sounds(std::make_unique<SoundEffectPlayer>())
    , m_prompter(std::make_unique<MessageBoxPrompter>())
    , m_session(std::make_unique<StationSession>(dataFolder, *m_prompter, *m_sounds))
{
    // The windows still open without a usable file: the login window shows the connection
    // settings, and the operator learns what is wrong before trying to log in.
    QString error;
    if (!m_session->start(&error)) {
        m_prompter->inform(QString::fromUtf8(Texts::kConfigAccessFailed));
    }
    m_login = std::make_unique<TLogin>(*m_session);
    m_main = std::make_unique<TFunctionsDlg>(*m_session, *m_login);
    m_connectionDialog = std::make_unique<TLoginSetDlg>(m_session->stores());
    m_versionDialog = std::make_unique<TPublishDlg>(m_main.get());
    m_versionDialog->setDataFolder(m_session->stores().dataFolder());

    m_login->setConnectionDialog(m_connectionDialog.get());
    m_main->setDialogs({m_connectionDialog.get(), m_versionDialog.get()});

    connect(m_login.get(), &TLogin::loggedIn, this, &StationWindows::showMainWindow);
    connect(m_login.get(), &TLogin::closed, this, &StationWindows::finished);
}

StationWindows::~StationWindows()
{
    // The windows hold on to the session; they go first.
    m_versionDialog.reset();
    m_main.reset();
    m_connectionDialog.reset();
    m_login.reset();
}

void StationWindows::showMainWindow()
{
    m_main->setWindowModality(Qt::ApplicationModal);
    m_main->show();
    m_main->raise();
    m_main->activateWindow();
}
