#include "app/gui/TLogin.h"
#include "ui_TLogin.h"

#include "app/LoginService.h"
#include "app/SavedUsers.h"
#include "app/StationSession.h"
#include "app/gui/TLoginSetDlg.h"
#include "base/Prompter.h"
#include "base/SoundPlayer.h"
#include "base/Sounds.h"
#include "base/Texts.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>

TLogin::TLogin(StationSession& session, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TLogin>())
    , m_session(session)
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_ui->Username->setInsertPolicy(QComboBox::NoInsert);
    m_ui->Username->lineEdit()->installEventFilter(this);
    m_ui->LoginBtn->setDefault(true);
    m_session.context().loginWindowClosed = false;

    QStringList names;
    if (loginOpen() && SavedUsers::names(loginDb(), &names, nullptr)) {
        m_ui->Username->addItems(names);
        m_ui->Username->setCurrentIndex(-1);
    }

    connect(m_ui->LoginBtn, &QPushButton::clicked, this, &TLogin::LoginBtnClick);
    connect(m_ui->Username, &QComboBox::currentTextChanged, this, &TLogin::UsernameChange);
    connect(m_ui->Username, &QComboBox::currentIndexChanged, this, &TLogin::UsernameChange);
    connect(m_ui->Savepsw, &QCheckBox::clicked, this, &TLogin::SavepswClick);
    connect(m_ui->CheckDelete, &QCheckBox::clicked, this, &TLogin::CheckDeleteClick);
    connect(m_ui->Setting, &QPushButton::clicked, this, &TLogin::SettingClick);
}

TLogin::~TLogin() = default;

bool TLogin::loginOpen() const
{
    return m_session.stores().loginOpen();
}

QSqlDatabase& TLogin::loginDb()
{
    return m_session.stores().loginDb();
}

void TLogin::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        LoginFormOnShow();
    }
}

void TLogin::closeEvent(QCloseEvent* event)
{
    m_session.context().loginWindowClosed = true;
    QDialog::closeEvent(event);
    emit closed();
}

void TLogin::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->Username->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            LoginBtnClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TLogin::LoginFormOnShow()
{
    StationSettings::Options options;
    if (m_session.settings().read(&options, nullptr) && !options.defaultUserName.isEmpty()) {
        const int index =
            m_ui->Username->findText(options.defaultUserName, Qt::MatchExactly | Qt::MatchCaseSensitive);
        m_ui->Username->setCurrentIndex(index);
        if (index < 0) {
            m_ui->Username->setEditText(QString());
        }
        m_ui->PSW->setText(index >= 0 ? options.defaultPassword : QString());
    }
    m_ui->Username->setFocus();
}

void TLogin::UsernameChange()
{
    const QString name = m_ui->Username->currentText();
    const int index = m_ui->Username->currentIndex();
    if (name.isEmpty() || index < 0 || m_ui->Username->itemText(index) != name || !loginOpen()) {
        return;
    }
    std::optional<QString> password;
    if (SavedUsers::passwordOf(loginDb(), name, &password, nullptr) && password) {
        m_ui->PSW->setText(*password);
    }
}

void TLogin::LoginBtnClick()
{
    const LoginService::Result result = m_session.logIn(m_ui->Username->currentText(), m_ui->PSW->text());
    if (result.outcome != LoginService::Outcome::LoggedIn) {
        m_session.prompter().inform(result.message);
        return;
    }
    hide();
    m_session.sounds().play(QString::fromLatin1(Sounds::kWelcome));
    if (result.rememberFailed) {
        m_session.prompter().inform(result.message);
    }
    emit loggedIn();
}

void TLogin::SavepswClick()
{
    Prompter& prompter = m_session.prompter();
    const QString name = m_ui->Username->currentText();
    if (!m_ui->Savepsw->isChecked() || name.isEmpty()) {
        prompter.inform(QStringLiteral("请选择要保存的用户名和密码!"));
        return;
    }
    const QString password = m_ui->PSW->text();
    if (password.isEmpty() && !prompter.ask(QStringLiteral("确定密码为空?"))) {
        prompter.inform(QStringLiteral("请输入密码!"));
        return;
    }
    if (!loginOpen() || !SavedUsers::savePair(loginDb(), name, password, nullptr)) {
        prompter.inform(QString::fromUtf8(Texts::kConfigAccessFailed));
    }
}

void TLogin::CheckDeleteClick()
{
    Prompter& prompter = m_session.prompter();
    if (!m_ui->CheckDelete->isChecked()) {
        return;
    }
    const QString name = m_ui->Username->currentText();
    if (name.isEmpty()) {
        prompter.inform(QStringLiteral("未选择用户信息!"));
        m_ui->CheckDelete->setChecked(false);
        return;
    }
    if (!prompter.ask(QStringLiteral("是否删除选定的用户信息?"))) {
        m_ui->CheckDelete->setChecked(false);
        return;
    }
    if (!loginOpen()) {
        return;
    }
    std::optional<int> id;
    if (!SavedUsers::findPair(loginDb(), name, m_ui->PSW->text(), &id, nullptr)) {
        prompter.inform(QString::fromUtf8(Texts::kConfigAccessFailed));
        m_ui->CheckDelete->setChecked(false);
        return;
    }
    if (!id || !SavedUsers::remove(loginDb(), *id, nullptr)) {
        return;
    }
    const int entry = m_ui->Username->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry >= 0) {
        m_ui->Username->removeItem(entry);
    }
    m_ui->Username->setCurrentIndex(-1);
    m_ui->Username->setEditText(QString());
    m_ui->PSW->clear();
    m_session.prompter().tell(QStringLiteral("用户信息删除成功!"));
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
    m_session.context().loginWindowClosed = true;
    if (!m_connectionDialog->saveTyped(m_session.prompter())) {
        m_session.context().loginWindowClosed = false;
        return;
    }
    close();
}
