#include "DemoFolder.h"

#include "app/LoginService.h"
#include "store/DemoOrderData.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QtTest>

class TestLoginService : public QObject
{
    Q_OBJECT

private slots:
    void passwordForm_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("dataBase");
        QTest::addColumn<QString>("stored");
        // 密码 is C3DC C2EB in GBK.
        QTest::newRow("wdgj31 chinese")
            << QStringLiteral("密码ab") << QStringLiteral("wdgj31") << QStringLiteral("w9zC62Fi");
        QTest::newRow("wdgj31 padding")
            << QStringLiteral("1234") << QStringLiteral("wdgj31") << QStringLiteral("MTIzNA==");
        QTest::newRow("wdgj31 empty") << QString() << QStringLiteral("wdgj31") << QString();
        QTest::newRow("other database")
            << QStringLiteral("密码ab") << QStringLiteral("wdgj3") << QStringLiteral("密码ab");
        QTest::newRow("case matters")
            << QStringLiteral("1234") << QStringLiteral("WDGJ31") << QStringLiteral("1234");
    }

    void passwordForm()
    {
        QFETCH(QString, typed);
        QFETCH(QString, dataBase);
        QFETCH(QString, stored);
        QCOMPARE(LoginService::storedPasswordForm(typed, dataBase), stored);
    }

    void outcomes_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("group");
        QTest::addColumn<bool>("stillConnected");
        const auto row = [](const char* name, const char* user, const char* password,
                            LoginService::Outcome outcome, const char* message, int group, bool connected) {
            QTest::newRow(name) << QString::fromUtf8(user) << QString::fromUtf8(password) << int(outcome)
                                << QString::fromUtf8(message) << group << connected;
        };
        using O = LoginService::Outcome;
        const char* wrong = "用户名或密码错误，请重新输入!";
        row("operator", DemoLogins::kOperatorName, DemoLogins::kOperatorPassword, O::LoggedIn, "", 1, true);
        row("administrator", DemoLogins::kAdminName, DemoLogins::kAdminPassword, O::LoggedIn, "", 0, true);
        row("wrong password", DemoLogins::kOperatorName, "12345", O::WrongCredentials, wrong, -1, false);
        row("quote in name", "operator' or '1'='1", "x' or '1'='1", O::WrongCredentials, wrong, -1, false);
        row("disabled", DemoLogins::kDisabledName, DemoLogins::kDisabledPassword, O::Disabled,
            "此用户已停用!", -1, true);
        row("empty name", "", "1234", O::EmptyUserName, "请输入用户名!", -1, true);
    }

    void outcomes()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(int, outcome);
        QFETCH(QString, message);
        QFETCH(int, group);
        QFETCH(bool, stillConnected);

        DemoFolder demo;
        const LoginContext& context = demo.session->context();
        const auto result = demo.session->logIn(user, password);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.message, message);
        QCOMPARE(context.operatorGroup, group);
        QCOMPARE(context.operatorName, group >= 0 ? user : QString());
        QCOMPARE(demo.orderDb().isOpen(), stillConnected);
        // A successful login becomes the one the login window offers next.
        StationSettings::Options preset;
        QVERIFY(demo.session->settings().read(&preset, nullptr));
        QCOMPARE(preset.defaultUserName + QLatin1Char('|') + preset.defaultPassword,
                 group >= 0 ? user + QLatin1Char('|') + password : QStringLiteral("|"));
    }

    void wdgj31ComparesTheEncodedPassword()
    {
        DemoFolder demo;
        LoginContext context = demo.session->context();
        context.server.dataBase = QStringLiteral("wdgj31");
        QVERIFY(demo.orderDb().open(context.server, context.programFolder, nullptr));
        QVERIFY(demo.orderDb().execute(
            QStringLiteral(
                "insert into G_Sys_UserList (UserName, PWD, GroupID, bBlockUp) values (?, ?, 1, 0)"),
            {QStringLiteral("王小明"), QStringLiteral("w9zC62Fi")}));

        // Without login.db the login still succeeds, but the operator hears that it was not kept.
        const auto encoded = LoginService::logIn(demo.orderDb(), nullptr, context, QStringLiteral("王小明"),
                                                 QStringLiteral("密码ab"));
        QCOMPARE(encoded.outcome, LoginService::Outcome::LoggedIn);
        QVERIFY(encoded.rememberFailed);
        QCOMPARE(encoded.message, QString::fromUtf8(LoginService::kDatabaseAccessFailed));
        const auto plain = LoginService::logIn(demo.orderDb(), nullptr, context, QStringLiteral("王小明"),
                                               QStringLiteral("w9zC62Fi"));
        QCOMPARE(plain.outcome, LoginService::Outcome::WrongCredentials);
    }

    void silentServerIsReportedWithinTheLoginTimeout()
    {
        // A server that takes the connection and never answers, as a hung SQL Server would.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        LoginContext context;
        context.server = {QStringLiteral("127.0.0.1,%1").arg(silent.serverPort()), QStringLiteral("wdgj31"),
                          QStringLiteral("sa"), QStringLiteral("x")};
        OrderDatabase orderDb;
        QElapsedTimer clock;
        clock.start();
        const auto result =
            LoginService::logIn(orderDb, nullptr, context, QStringLiteral("operator"), QStringLiteral("1"));
        QCOMPARE(result.outcome, LoginService::Outcome::DatabaseUnreachable);
        QCOMPARE(result.message, QStringLiteral("数据库访问失败,请重新设置数据库参数!"));
        QVERIFY2(clock.elapsed() < (OrderDatabase::kLoginTimeoutSeconds + 10) * 1000,
                 qPrintable(QStringLiteral("took %1 ms").arg(clock.elapsed())));

        // No address at all fails at once.
        LoginContext empty;
        QCOMPARE(LoginService::logIn(orderDb, nullptr, empty, QStringLiteral("operator"), QString()).outcome,
                 LoginService::Outcome::DatabaseUnreachable);
    }

    void connectionStringForms_data()
    {
        QTest::addColumn<QString>("serverIp");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("expected"); // parts that must be in it, '|' between them; empty: refused
        QTest::addColumn<QString>("absent");
        // A plain host gets the default port, which FreeTDS does not assume.
        QTest::newRow("host") << "db.shop.local"
                              << "pw"
                              << "SERVER=db.shop.local|PORT=1433"
                              << "";
        QTest::newRow("host,port") << "10.1.2.3, 1533"
                                   << "pw"
                                   << "SERVER=10.1.2.3|PORT=1533"
                                   << "1433";
        QTest::newRow("instance") << "10.1.2.3\\SQLEXPRESS"
                                  << "pw"
                                  << "SERVER=10.1.2.3\\SQLEXPRESS"
                                  << "PORT=";
        // FreeTDS takes a braced value as it stands: a brace is never doubled, a value without ';'
        // needs no braces at all.
        QTest::newRow("brace") << "h"
                               << "a}b}"
                               << "PWD=a}b};"
                               << "}}";
        QTest::newRow("separator") << "h"
                                   << "a;b}c"
                                   << "PWD={a;b}c};"
                                   << "}}";
        QTest::newRow("leading brace") << "h"
                                       << "{x"
                                       << "PWD={{x};"
                                       << "";
        QTest::newRow("unwritable") << "h"
                                    << "a};b"
                                    << ""
                                    << "";
    }

    void connectionStringForms()
    {
        QFETCH(QString, serverIp);
        QFETCH(QString, password);
        QFETCH(QString, expected);
        QFETCH(QString, absent);
        QString error;
        const QString text = OrderDatabase::odbcConnectionString(
            {serverIp, QStringLiteral("wdgj31"), QStringLiteral("sa"), password}, QStringLiteral("Zelvo 王"),
            &error);
        if (expected.isEmpty()) {
            QVERIFY(text.isEmpty());
            QVERIFY(error.contains(QStringLiteral("PWD")));
            QVERIFY(!error.contains(password));
            return;
        }
        for (const QString& part : expected.split(QLatin1Char('|'))) {
            QVERIFY2(text.contains(part), qPrintable(text));
        }
        if (!absent.isEmpty()) {
            QVERIFY2(!text.contains(absent), qPrintable(text));
        }
        QVERIFY(text.contains(QStringLiteral("APP=Zelvo 王;")));
        // A user name that could not be written into it still names the session.
        QCOMPARE(OrderDatabase::applicationName(QStringLiteral("a};b")), QStringLiteral("Zelvo a  b"));
        QVERIFY(text.contains(QStringLiteral("TDS_Version=7.4")));
        QVERIFY(text.contains(QStringLiteral("ClientCharset=UTF-8")));
    }
};

QTEST_GUILESS_MAIN(TestLoginService)
#include "TestLoginService.moc"
