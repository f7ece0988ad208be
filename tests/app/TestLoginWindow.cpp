#include "DemoFolder.h"
#include "RecordingPrompter.h"
#include "RecordingSoundPlayer.h"

#include "app/LoginContext.h"
#include "app/SavedUsers.h"
#include "app/ServerRow.h"
#include "app/gui/TLogin.h"
#include "app/gui/TLoginSetDlg.h"
#include "store/DemoOrderData.h"
#include "store/LocalQuery.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

// A login window over a demo data folder, with its message boxes and sounds recorded.
struct LoginFixture
{
    DemoFolder demo;
    RecordingPrompter& prompter = demo.prompter;
    RecordingSoundPlayer& sounds = demo.sounds;
    const LoginContext& context = demo.session->context();
    std::unique_ptr<TLogin> window;

    explicit LoginFixture(const QStringList& savedUsers = {}, const QString& defaultUser = QString())
        : demo([&](QSqlDatabase& loginDb) {
            for (const QString& user : savedUsers) {
                SavedUsers::savePair(loginDb, user, user + QStringLiteral("-pw"), nullptr);
            }
            LocalQuery::exec(loginDb,
                             QStringLiteral("update Initialization set DefaultUserName = ?, DefaultPsw = ?"),
                             {defaultUser, defaultUser + QStringLiteral("-pw")});
        })
    {
        window = std::make_unique<TLogin>(*demo.session);
        window->show();
    }

    QComboBox* user() const { return window->findChild<QComboBox*>(QStringLiteral("Username")); }
    QLineEdit* password() const { return window->findChild<QLineEdit*>(QStringLiteral("PSW")); }
    QCheckBox* box(const char* name) const
    {
        return window->findChild<QCheckBox*>(QString::fromLatin1(name));
    }
    void click(const char* name) const
    {
        QTest::mouseClick(window->findChild<QAbstractButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    void type(const QString& name, const QString& pw) const
    {
        user()->setEditText(name);
        password()->setText(pw);
    }
    int savedCount(const QString& name)
    {
        std::optional<QSqlRecord> row;
        LocalQuery::firstRow(demo.loginDb(), QStringLiteral("select count(*) from Users where Uname = ?"),
                             {name}, &row, nullptr);
        return row ? row->value(0).toInt() : -1;
    }
    QString savedPassword(const QString& name)
    {
        std::optional<QString> password;
        return SavedUsers::passwordOf(demo.loginDb(), name, &password, nullptr) && password
                   ? *password
                   : QStringLiteral("?");
    }
};

} // namespace

class TestLoginWindow : public QObject
{
    Q_OBJECT

private slots:
    void savedUsersAndDefault();
    void defaultUserNoLongerSaved();
    void choosingASavedUserFillsThePassword();
    void loginSucceeds();
    void loginRefused();
    void saveUserPair();
    void saveWithEmptyPassword();
    void deleteUser();
    void connectionSettingsDialog();
    void connectionSettingsEnterWalksToOk();
    void keyboard();
};

void TestLoginWindow::savedUsersAndDefault()
{
    LoginFixture f({QStringLiteral("张三"), QStringLiteral("operator")}, QStringLiteral("operator"));
    QCOMPARE(f.user()->count(), 2);
    QCOMPARE(f.user()->currentText(), QStringLiteral("operator"));
    QCOMPARE(f.password()->text(), QStringLiteral("operator-pw"));
    QCOMPARE(f.context.server.serverIp, QStringLiteral("sqlite:zelvo-demo.db"));
    QVERIFY(f.prompter.messages.isEmpty());
}

void TestLoginWindow::defaultUserNoLongerSaved()
{
    LoginFixture f({QStringLiteral("张三")}, QStringLiteral("李四"));
    QCOMPARE(f.user()->currentIndex(), -1);
    QCOMPARE(f.password()->text(), QString());
}

void TestLoginWindow::choosingASavedUserFillsThePassword()
{
    LoginFixture f({QStringLiteral("张三"), QStringLiteral("李四")});
    f.user()->setCurrentIndex(1);
    QCOMPARE(f.password()->text(), QStringLiteral("李四-pw"));
    // A typed name that is not an entry leaves the password alone.
    f.password()->setText(QStringLiteral("typed"));
    f.user()->setEditText(QStringLiteral("王五"));
    QCOMPARE(f.password()->text(), QStringLiteral("typed"));
}

void TestLoginWindow::loginSucceeds()
{
    LoginFixture f;
    QSignalSpy loggedIn(f.window.get(), &TLogin::loggedIn);
    f.type(QString::fromLatin1(DemoLogins::kOperatorName),
           QString::fromLatin1(DemoLogins::kOperatorPassword));
    f.click("LoginBtn");
    QCOMPARE(loggedIn.count(), 1);
    QVERIFY(!f.window->isVisible());
    QCOMPARE(f.sounds.played, QStringList{QStringLiteral("Welcome.wav")});
    QCOMPARE(f.context.operatorName, QString::fromLatin1(DemoLogins::kOperatorName));
    QVERIFY(f.prompter.messages.isEmpty());
    StationSettings::Options options;
    QVERIFY(f.demo.session->settings().read(&options, nullptr));
    QCOMPARE(options.defaultUserName, QString::fromLatin1(DemoLogins::kOperatorName));
}

void TestLoginWindow::loginRefused()
{
    LoginFixture f;
    QSignalSpy loggedIn(f.window.get(), &TLogin::loggedIn);
    f.type(QString(), QStringLiteral("1234"));
    f.click("LoginBtn");
    f.type(QString::fromLatin1(DemoLogins::kDisabledName),
           QString::fromLatin1(DemoLogins::kDisabledPassword));
    f.click("LoginBtn");
    f.type(QString::fromLatin1(DemoLogins::kOperatorName), QStringLiteral("wrong"));
    f.click("LoginBtn");
    QCOMPARE(f.prompter.messages,
             QStringList({QStringLiteral("请输入用户名!"), QStringLiteral("此用户已停用!"),
                          QStringLiteral("用户名或密码错误，请重新输入!")}));
    QCOMPARE(loggedIn.count(), 0);
    QVERIFY(f.window->isVisible());
    QVERIFY(f.sounds.played.isEmpty());
}

void TestLoginWindow::saveUserPair()
{
    LoginFixture f;
    QCheckBox* save = f.box("Savepsw");
    f.type(QString(), QStringLiteral("pw"));
    f.click("Savepsw");
    QCOMPARE(f.prompter.messages.takeLast(), QStringLiteral("请选择要保存的用户名和密码!"));

    f.type(QStringLiteral("张三"), QStringLiteral("pw"));
    save->setChecked(false);
    f.click("Savepsw"); // checks it: saved
    f.click("Savepsw"); // unchecks it: refused
    QCOMPARE(f.prompter.messages, QStringList{QStringLiteral("请选择要保存的用户名和密码!")});
    f.click("Savepsw"); // the same pair again adds nothing
    QCOMPARE(f.savedCount(QStringLiteral("张三")), 1);
    QCOMPARE(f.savedPassword(QStringLiteral("张三")), QStringLiteral("pw"));
}

void TestLoginWindow::saveWithEmptyPassword()
{
    LoginFixture f;
    f.type(QStringLiteral("张三"), QString());
    f.prompter.answers = {false, true};
    f.click("Savepsw");
    QCOMPARE(f.prompter.questions, QStringList{QStringLiteral("确定密码为空?")});
    QCOMPARE(f.prompter.messages, QStringList{QStringLiteral("请输入密码!")});
    QCOMPARE(f.savedCount(QStringLiteral("张三")), 0);

    f.box("Savepsw")->setChecked(false);
    f.click("Savepsw");
    QCOMPARE(f.savedCount(QStringLiteral("张三")), 1);
    QCOMPARE(f.savedPassword(QStringLiteral("张三")), QString());
}

void TestLoginWindow::deleteUser()
{
    LoginFixture f({QStringLiteral("张三"), QStringLiteral("李四")});
    QCheckBox* remove = f.box("CheckDelete");

    f.type(QString(), QString());
    f.click("CheckDelete");
    QCOMPARE(f.prompter.messages.takeLast(), QStringLiteral("未选择用户信息!"));
    QVERIFY(!remove->isChecked());

    f.user()->setCurrentIndex(0);
    f.prompter.answers = {false};
    f.click("CheckDelete");
    QVERIFY(!remove->isChecked());
    QCOMPARE(f.savedCount(QStringLiteral("张三")), 1);

    // A password that does not match the saved one deletes nothing and leaves the box ticked.
    f.password()->setText(QStringLiteral("not it"));
    f.click("CheckDelete");
    QVERIFY(remove->isChecked());
    QCOMPARE(f.savedCount(QStringLiteral("张三")), 1);

    remove->setChecked(false);
    f.password()->setText(QStringLiteral("张三-pw"));
    f.click("CheckDelete");
    QCOMPARE(f.prompter.messages.takeLast(), QStringLiteral("用户信息删除成功!"));
    QCOMPARE(f.savedCount(QStringLiteral("张三")), 0);
    QCOMPARE(f.user()->count(), 1);
    QCOMPARE(f.user()->currentText(), QString());
    QCOMPARE(f.password()->text(), QString());
    QVERIFY(!remove->isChecked());
}

void TestLoginWindow::connectionSettingsDialog()
{
    LoginFixture f;
    TLoginSetDlg dialog(f.demo.stores());
    f.window->setConnectionDialog(&dialog);
    const ServerSettings before = *ServerRow::read(f.demo.loginDb());
    QSignalSpy closed(f.window.get(), &TLogin::closed);

    // Each opening shows the stored values, or those typed when the last OK was refused.
    auto answer = [&](const QStringList& shown, const QString& ip, const QString& pw, const char* button) {
        QTimer::singleShot(0, &dialog, [&dialog, shown, ip, pw, button] {
            QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("SserverIp"))->text(), shown.at(0));
            QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("Spsw"))->text(), shown.at(1));
            QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("Spsw"))->echoMode(), QLineEdit::Password);
            dialog.findChild<QLineEdit*>(QStringLiteral("SserverIp"))->setText(ip);
            dialog.findChild<QLineEdit*>(QStringLiteral("Spsw"))->setText(pw);
            QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
        });
        f.click("Setting");
    };

    const QStringList stored = {before.serverIp, before.passWord};
    answer(stored, QStringLiteral("10.0.0.9"), QStringLiteral("x"), "SsettingCancel");
    QCOMPARE(ServerRow::read(f.demo.loginDb())->serverIp, before.serverIp);
    QCOMPARE(closed.count(), 0);

    answer(stored, QString(), QStringLiteral("x"), "SsettingDecide");
    QCOMPARE(f.prompter.messages.takeLast(), QStringLiteral("输入不能为空!"));
    QCOMPARE(ServerRow::read(f.demo.loginDb())->serverIp, before.serverIp);
    QCOMPARE(closed.count(), 0);
    QVERIFY(!f.context.loginWindowClosed);

    answer({QString(), QStringLiteral("x")}, QStringLiteral("10.0.0.9,1433"), QString(), "SsettingDecide");
    QCOMPARE(f.prompter.messages.takeLast(), QStringLiteral("数据库配置修改成功,请退出重新启动程序!"));
    const ServerSettings after = *ServerRow::read(f.demo.loginDb());
    QCOMPARE(after.serverIp, QStringLiteral("10.0.0.9,1433"));
    QCOMPARE(after.passWord, QString());
    QCOMPARE(after.dataBase, before.dataBase);
    QCOMPARE(closed.count(), 1);
    // The running program keeps the values it started with.
    QCOMPARE(f.context.server.serverIp, before.serverIp);
}

void TestLoginWindow::connectionSettingsEnterWalksToOk()
{
    LoginFixture f;
    TLoginSetDlg dialog(f.demo.stores());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QLineEdit* first = dialog.findChild<QLineEdit*>(QStringLiteral("SserverIp"));
    first->setFocus();
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QCOMPARE(QApplication::focusWidget(), dialog.findChild<QPushButton*>(QStringLiteral("SsettingDecide")));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
}

// Enter in the name box logs in without adding the typed name; Esc ends the program as the close
// button does, instead of hiding the window while the program runs on.
void TestLoginWindow::keyboard()
{
    LoginFixture f({QStringLiteral("张三")});
    QSignalSpy loggedIn(f.window.get(), &TLogin::loggedIn);
    QSignalSpy closed(f.window.get(), &TLogin::closed);
    f.user()->lineEdit()->setFocus();
    f.user()->setEditText(QStringLiteral("nobody"));
    QTest::keyClick(f.user()->lineEdit(), Qt::Key_Return);
    QCOMPARE(f.prompter.messages.takeLast(), QStringLiteral("用户名或密码错误，请重新输入!"));
    QCOMPARE(f.user()->count(), 1);

    f.type(QString::fromLatin1(DemoLogins::kOperatorName),
           QString::fromLatin1(DemoLogins::kOperatorPassword));
    QTest::keyClick(f.user()->lineEdit(), Qt::Key_Return);
    QCOMPARE(loggedIn.count(), 1);
    QCOMPARE(f.user()->count(), 1);

    f.window->show();
    QTest::keyClick(f.window.get(), Qt::Key_Escape);
    QCOMPARE(closed.count(), 1);
    QVERIFY(f.context.loginWindowClosed);
}

QTEST_MAIN(TestLoginWindow)
#include "TestLoginWindow.moc"
