// A login whose statement fails is no wrong password: the operator is told the database could not
// be read, and why.
#include "DemoFolder.h"

#include "store/SqlConnection.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class TestLoginFailures : public QObject
{
    Q_OBJECT

private slots:
    void failedStatementIsNoWrongPassword_data();
    void failedStatementIsNoWrongPassword();
    void readOnlyDataFolder();
};

namespace {

enum class Damage
{
    None,
    NotADatabase,
    UserTableGone,
};

const QString kWrongPassword = QStringLiteral("用户名或密码错误，请重新输入!");

} // namespace

void TestLoginFailures::failedStatementIsNoWrongPassword_data()
{
    QTest::addColumn<int>("damage");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message");
    using O = LoginService::Outcome;
    QTest::newRow("wrong password") << int(Damage::None) << "12345" << int(O::WrongCredentials)
                                    << kWrongPassword;
    QTest::newRow("order database no database")
        << int(Damage::NotADatabase) << "1234" << int(O::DatabaseUnreadable)
        << "数据库访问失败:订单数据库文件已损坏或不是数据库文件,无法登录,请联系管理员!";
    QTest::newRow("user table gone")
        << int(Damage::UserTableGone) << "1234" << int(O::DatabaseUnreadable)
        << "数据库访问失败:订单数据库中没有数据表G_Sys_UserList,无法登录,请联系管理员!";
}

void TestLoginFailures::failedStatementIsNoWrongPassword()
{
    QFETCH(int, damage);
    QFETCH(QString, password);
    QFETCH(int, outcome);
    QFETCH(QString, message);
    DemoFolder demo;
    const QString orderFile = demo.folder.file(QStringLiteral("zelvo-demo.db"));
    if (Damage(damage) == Damage::NotADatabase) {
        QFile file(orderFile);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(64 * 1024, '\x5a'));
    } else if (Damage(damage) == Damage::UserTableGone) {
        SqlConnection order(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        QString error;
        QVERIFY2(openSqliteFile(order, orderFile, &error), qPrintable(error));
        QSqlQuery drop(order.db());
        QVERIFY(drop.exec(QStringLiteral("drop table G_Sys_UserList")));
    }

    const LoginService::Result result =
        demo.session->logIn(QString::fromLatin1(DemoLogins::kOperatorName), password);
    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.message, message);
    QVERIFY(!demo.orderDb().isOpen());
    QVERIFY(demo.session->context().operatorName.isEmpty());
}

// The station as another user on a folder it may read but not write: the order database's journal
// cannot be made, so its user table cannot be read.
void TestLoginFailures::readOnlyDataFolder()
{
    const QString tool = qEnvironmentVariable("ZELVO_TOOLS_DIR") + QStringLiteral("/zelvo-station");
    if (!QFileInfo(tool).isExecutable()) {
        QSKIP("zelvo-station is not built");
    }
    TempDataFolder folder;
    const QStringList login = {QStringLiteral("--data-dir"), folder.path(),
                               QStringLiteral("--user"),     QStringLiteral("operator"),
                               QStringLiteral("--password"), QStringLiteral("1234")};
    QProcess first;
    first.start(tool, login + QStringList{QStringLiteral("1.5"), QStringLiteral("NOPE")});
    QVERIFY(first.waitForFinished(60000));
    QCOMPARE(first.exitCode(), 1); // logged in; NOPE is no waybill

    // Root writes anywhere: the station then runs as nobody, owning the files but not the folder's
    // right to take new ones.
    QString program = tool;
    QStringList arguments = login + QStringList{QStringLiteral("1.5"), QStringLiteral("NOPE")};
    const QByteArray dir = QFile::encodeName(QDir(folder.path()).absolutePath());
    if (::geteuid() == 0) {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty()) {
            QSKIP("running as root without setpriv: no user to whom the folder is read-only");
        }
        constexpr uid_t kNobody = 65534;
        QVERIFY(::chown(dir.constData(), kNobody, kNobody) == 0);
        for (const QFileInfo& file : QDir(folder.path()).entryInfoList(QDir::Files)) {
            QVERIFY(::chown(QFile::encodeName(file.absoluteFilePath()).constData(), kNobody, kNobody) == 0);
        }
        arguments.prepend(tool);
        arguments = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                QStringLiteral("--clear-groups")} +
                    arguments;
        program = setpriv;
    }
    QVERIFY(::chmod(dir.constData(), 0555) == 0);
    QProcess station;
    station.start(program, arguments);
    const bool finished = station.waitForFinished(60000);
    ::chmod(dir.constData(), 0755);
    QVERIFY(finished);
    const QString errors = QString::fromUtf8(station.readAllStandardError());
    QCOMPARE(station.exitCode(), 3);
    QVERIFY2(!errors.contains(kWrongPassword), qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("数据库访问失败:订单数据库文件或其所在文件夹不可写")),
             qPrintable(errors));
}

QTEST_GUILESS_MAIN(TestLoginFailures)
#include "TestLoginFailures.moc"
