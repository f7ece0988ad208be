#include "DemoFolder.h"

#include "app/SavedUsers.h"
#include "app/ServerRow.h"
#include "app/gui/TLogin.h"
#include "app/gui/TLoginSetDlg.h"
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
    // The passwords saved with the name, one per saved pair.
    QStringList saved(const QString& name)
    {
        QStringList passwords;
        LocalQuery::column(demo.loginDb(),
                           QStringLiteral("select ifnull(Upsw, '') from Users where Uname = ?"), {name},
                           &passwords, nullptr);
        return passwords;
    }
};

} // namespace

class TestLoginWindow : public QObject
{
    Q_OBJECT

private slots:
    // Refused logins say why; Enter in the name box logs in without adding the typed name; Esc ends the
    // program as the close button does, instead of hiding the window while the program runs on.
    void logIn()
    {
        // The default user is no longer saved: nothing is chosen.
        LoginFixture f({QStringLiteral("张三")}, QStringLiteral("李四"));
        QCOMPARE(f.user()->currentIndex(), -1);
        QCOMPARE(f.user()->currentText(), QString());
        QCOMPARE(f.password()->text(), QString());
        QSignalSpy loggedIn(f.window.get(), &TLogin::loggedIn);
        QSignalSpy closed(f.window.get(), &TLogin::closed);
        f.type(QString(), QStringLiteral("1234"));
        f.click("LoginBtn");
        f.type(DemoLogins::kDisabledName, DemoLogins::kDisabledPassword);
        f.click("LoginBtn");
        f.type(DemoLogins::kOperatorName, QStringLiteral("wrong"));
        f.click("LoginBtn");
        f.user()->lineEdit()->setFocus();
        f.type(QStringLiteral("nobody"), QString());
        QTest::keyClick(f.user()->lineEdit(), Qt::Key_Return);
        QCOMPARE(f.prompter.messages,
                 QStringList({QStringLiteral("请输入用户名!"), QStringLiteral("此用户已停用!"),
                              QStringLiteral("用户名或密码错误，请重新输入!"),
                              QStringLiteral("用户名或密码错误，请重新输入!")}));
        QCOMPARE(loggedIn.count(), 0);
        QVERIFY(f.window->isVisible());
        QVERIFY(f.sounds.played.isEmpty());

        f.type(DemoLogins::kOperatorName, DemoLogins::kOperatorPassword);
        QTest::keyClick(f.user()->lineEdit(), Qt::Key_Return);
        QCOMPARE(loggedIn.count(), 1);
        QCOMPARE(f.user()->count(), 1);
        QVERIFY(!f.window->isVisible());
        QCOMPARE(f.sounds.played, QStringList{QStringLiteral("Welcome.wav")});
        QCOMPARE(f.context.operatorName, QString::fromLatin1(DemoLogins::kOperatorName));
        QCOMPARE(f.prompter.messages.size(), 4);
        StationSettings::Options options;
        QVERIFY(f.demo.session->settings().read(&options, nullptr));
        QCOMPARE(options.defaultUserName, QString::fromLatin1(DemoLogins::kOperatorName));

        f.window->show();
        QTest::keyClick(f.window.get(), Qt::Key_Escape);
        QCOMPARE(closed.count(), 1);
        QVERIFY(f.context.loginWindowClosed);
    }

    void saveUser()
    {
        LoginFixture f;
        QCheckBox* save = f.box("Savepsw");
        f.type(QString(), QStringLiteral("pw"));
        f.click("Savepsw");
        QCOMPARE(f.prompter.messages.takeLast(), QStringLiteral("请选择要保存的用户名和密码!"));

        // An empty password is saved only when the question is answered with OK.
        f.type(QStringLiteral("张三"), QString());
        f.prompter.answers = {false, true};
        save->setChecked(false);
        f.click("Savepsw");
        QCOMPARE(f.prompter.questions, QStringList{QStringLiteral("确定密码为空?")});
        QCOMPARE(f.prompter.messages.takeLast(), QStringLiteral("请输入密码!"));
        QVERIFY(f.saved(QStringLiteral("张三")).isEmpty());
        save->setChecked(false);
        f.click("Savepsw");
        QCOMPARE(f.saved(QStringLiteral("张三")), QStringList{QString()});

        f.type(QStringLiteral("李四"), QStringLiteral("pw"));
        save->setChecked(false);
        f.click("Savepsw"); // checks it: saved
        f.click("Savepsw"); // unchecks it: refused
        QCOMPARE(f.prompter.messages, QStringList{QStringLiteral("请选择要保存的用户名和密码!")});
        f.click("Savepsw"); // the same pair again adds nothing
        QCOMPARE(f.saved(QStringLiteral("李四")), QStringList{QStringLiteral("pw")});
    }

    // The saved users are offered with the default one chosen; choosing a saved user fills in the
    // password, a typed name that is no entry leaves it alone. Deleting a user needs its password.
    void savedUsers()
    {
        LoginFixture f({QStringLiteral("张三"), QStringLiteral("李四")}, QStringLiteral("李四"));
        QCOMPARE(f.user()->count(), 2);
        QCOMPARE(f.user()->currentIndex(), 1);
        QCOMPARE(f.password()->text(), QStringLiteral("李四-pw"));
        f.user()->setCurrentIndex(0);
        QCOMPARE(f.password()->text(), QStringLiteral("张三-pw"));
        f.password()->setText(QStringLiteral("typed"));
        f.user()->setEditText(QStringLiteral("王五"));
        QCOMPARE(f.password()->text(), QStringLiteral("typed"));
        QVERIFY(f.prompter.messages.isEmpty());

        QCheckBox* remove = f.box("CheckDelete");

        f.type(QString(), QString());
        f.click("CheckDelete");
        QCOMPARE(f.prompter.messages.takeLast(), QStringLiteral("未选择用户信息!"));
        QVERIFY(!remove->isChecked());

        f.user()->setCurrentIndex(0);
        f.prompter.answers = {false};
        f.click("CheckDelete");
        QVERIFY(!remove->isChecked());
        QCOMPARE(f.saved(QStringLiteral("张三")).size(), 1);

        // A password that does not match the saved one deletes nothing and leaves the box ticked.
        f.password()->setText(QStringLiteral("not it"));
        f.click("CheckDelete");
        QVERIFY(remove->isChecked());
        QCOMPARE(f.saved(QStringLiteral("张三")).size(), 1);

        remove->setChecked(false);
        f.password()->setText(QStringLiteral("张三-pw"));
        f.click("CheckDelete");
        QCOMPARE(f.prompter.messages.takeLast(), QStringLiteral("用户信息删除成功!"));
        QVERIFY(f.saved(QStringLiteral("张三")).isEmpty());
        QCOMPARE(f.user()->count(), 1);
        QCOMPARE(f.user()->currentText(), QString());
        QCOMPARE(f.password()->text(), QString());
        QVERIFY(!remove->isChecked());
    }

    void connectionSettingsDialog()
    {
        LoginFixture f;
        TLoginSetDlg dialog(f.demo.stores());
        auto* ipBox = dialog.findChild<QLineEdit*>(QStringLiteral("SserverIp"));
        auto* pwBox = dialog.findChild<QLineEdit*>(QStringLiteral("Spsw"));
        QCOMPARE(pwBox->echoMode(), QLineEdit::Password);
        // Enter walks through the boxes to OK, and closes nothing.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        ipBox->setFocus();
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QCOMPARE(QApplication::focusWidget(),
                 dialog.findChild<QPushButton*>(QStringLiteral("SsettingDecide")));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        dialog.hide();

        f.window->setConnectionDialog(&dialog);
        const ServerSettings before = *ServerRow::read(f.demo.loginDb());
        QSignalSpy closed(f.window.get(), &TLogin::closed);
        // Each opening shows the stored values, or those typed when the last OK was refused.
        auto answer = [&](const QStringList& shown, const QString& ip, const QString& pw,
                          const char* button) {
            QTimer::singleShot(0, &dialog, [=, &dialog] {
                QCOMPARE((QStringList{ipBox->text(), pwBox->text()}), shown);
                ipBox->setText(ip);
                pwBox->setText(pw);
                QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(button)),
                                  Qt::LeftButton);
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

        answer({QString(), QStringLiteral("x")}, QStringLiteral("10.0.0.9,1433"), QString(),
               "SsettingDecide");
        QCOMPARE(f.prompter.messages.takeLast(), QStringLiteral("数据库配置修改成功,请退出重新启动程序!"));
        const ServerSettings after = *ServerRow::read(f.demo.loginDb());
        QCOMPARE(after.serverIp, QStringLiteral("10.0.0.9,1433"));
        QCOMPARE(after.passWord, QString());
        QCOMPARE(after.dataBase, before.dataBase);
        QCOMPARE(closed.count(), 1);
        // The running program keeps the values it started with.
        QCOMPARE(f.context.server.serverIp, before.serverIp);
    }
};

QTEST_MAIN(TestLoginWindow)
#include "TestLoginWindow.moc"
