#include "app/gui/TLogin.h"

#include "base/Sounds.h"

#include "base/Texts.h"
#include "ui_TLogin.h"

#include "app/LoginContext.h"
#include "app/LoginService.h"
#include "app/SavedUsers.h"
#include "app/ServerRow.h"
#include "app/StationStores.h"
#include "app/gui/TLoginSetDlg.h"
#include "base/Prompter.h"
#include "base/SoundPlayer.h"
#include "store/LoginDbUpgrades.h"

#include <QCloseEvent>
#include <QLineEdit>

TLogin::TLogin(StationStores& stores, LoginContext& context, Prompter& prompter, SoundPlayer& sounds,
               QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TLogin>())
    , m_stores(stores)
    , m_context(context)
    , m_prompter(prompter)
    , m_sounds(sounds)
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    m_context.server = {};
    m_context.loginWindowClosed = false;
    m_context.programFolder = m_stores.dataFolder();

    QString error;
    if (!m_stores.openLogin(&error)) {
        m_prompter.inform(QString::fromUtf8(Texts::kConfigAccessFailed));
    } else {
        m_context.server = ServerRow::read(m_stores.loginDb()).value_or(ServerSettings{});
        LoginDbUpgrades::addMultiWaybillColumns(m_stores.loginDb());
        m_ui->Username->addItems(SavedUsers::names(m_stores.loginDb()));
        m_ui->Username->setCurrentIndex(-1);
    }
    if (!m_stores.loginOpen()) {
        m_prompter.inform(QString::fromUtf8(Texts::kConfigAccessFailed));
    }

    connect(m_ui->LoginBtn, &QPushButton::clicked, this, &TLogin::LoginBtnClick);
    connect(m_ui->Username, &QComboBox::currentTextChanged, this, &TLogin::UsernameChange);
    connect(m_ui->Username, &QComboBox::currentIndexChanged, this, &TLogin::UsernameChange);
    connect(m_ui->Savepsw, &QCheckBox::clicked, this, &TLogin::SavepswClick);
    connect(m_ui->CheckDelete, &QCheckBox::clicked, this, &TLogin::CheckDeleteClick);
    connect(m_ui->Setting, &QPushButton::clicked, this, &TLogin::SettingClick);
}

TLogin::~TLogin() = default;

void TLogin::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        LoginFormOnShow();
    }
}

void TLogin::closeEvent(QCloseEvent* event)
{
    m_context.loginWindowClosed = true;
    QDialog::closeEvent(event);
    emit closed();
}

void TLogin::LoginFormOnShow()
{
    if (m_stores.loginOpen()) {
        const auto preset = SavedUsers::defaultLogin(m_stores.loginDb());
        if (preset && !preset->userName.isEmpty()) {
            const int index =
                m_ui->Username->findText(preset->userName, Qt::MatchExactly | Qt::MatchCaseSensitive);
            m_ui->Username->setCurrentIndex(index);
            if (index < 0) {
                m_ui->Username->setEditText(QString());
            }
            m_ui->PSW->setText(index >= 0 ? preset->password : QString());
        }
    }
    m_ui->Username->setFocus();
}

void TLogin::UsernameChange()
{
    const QString name = m_ui->Username->currentText();
    const int index = m_ui->Username->currentIndex();
    if (name.isEmpty() || index < 0 || m_ui->Username->itemText(index) != name || !m_stores.loginOpen()) {
        return;
    }
    if (const auto password = SavedUsers::passwordOf(m_stores.loginDb(), name)) {
        m_ui->PSW->setText(*password);
    }
}

void TLogin::LoginBtnClick()
{
    QSqlDatabase* loginDb = m_stores.loginOpen() ? &m_stores.loginDb() : nullptr;
    const LoginService::Result result = LoginService::logIn(m_stores.orderDb(), loginDb, m_context,
                                                            m_ui->Username->currentText(), m_ui->PSW->text());
    if (result.outcome != LoginService::Outcome::LoggedIn) {
        m_prompter.inform(result.message);
        return;
    }
    hide();
    m_sounds.play(QString::fromLatin1(Sounds::kWelcome));
    if (result.rememberFailed) {
        m_prompter.inform(result.message);
    }
    emit loggedIn();
}

void TLogin::SavepswClick()
{
    const QString name = m_ui->Username->currentText();
    if (!m_ui->Savepsw->isChecked() || name.isEmpty()) {
        m_prompter.inform(QStringLiteral("请选择要保存的用户名和密码!"));
        return;
    }
    const QString password = m_ui->PSW->text();
    if (password.isEmpty() && !m_prompter.ask(QStringLiteral("确定密码为空?"))) {
        m_prompter.inform(QStringLiteral("请输入密码!"));
        return;
    }
    if (!m_stores.loginOpen() || !SavedUsers::savePair(m_stores.loginDb(), name, password)) {
        m_prompter.inform(QString::fromUtf8(Texts::kConfigAccessFailed));
    }
}

void TLogin::CheckDeleteClick()
{
    if (!m_ui->CheckDelete->isChecked()) {
        return;
    }
    const QString name = m_ui->Username->currentText();
    if (name.isEmpty()) {
        m_prompter.inform(QStringLiteral("未选择用户信息!"));
        m_ui->CheckDelete->setChecked(false);
        return;
    }
    if (!m_prompter.ask(QStringLiteral("是否删除选定的用户信息?"))) {
        m_ui->CheckDelete->setChecked(false);
        return;
    }
    if (!m_stores.loginOpen()) {
        return;
    }
    const auto id = SavedUsers::findPair(m_stores.loginDb(), name, m_ui->PSW->text());
    if (!id || !SavedUsers::remove(m_stores.loginDb(), *id)) {
        return;
    }
    const int entry = m_ui->Username->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry >= 0) {
        m_ui->Username->removeItem(entry);
    }
    m_ui->Username->setCurrentIndex(-1);
    m_ui->Username->setEditText(QString());
    m_ui->PSW->clear();
    m_prompter.inform(QStringLiteral("用户信息删除成功!"));
    m_ui->CheckDelete->setChecked(false);
}

void TLogin::SettingClick()
{
    if (!m_connectionDialog) {
        return;
    }
    if (m_connectionDialog->exec() != QDialog::Accepted) {
        return;
    }
    m_context.loginWindowClosed = true;
    if (!m_connectionDialog->saveTyped(m_prompter)) {
        m_context.loginWindowClosed = false;
        return;
    }
    close();
}
