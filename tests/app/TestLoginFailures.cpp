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
const QString kWrongPassword = QStringLiteral("用户名或密码错误，请重新输入!");
}

void TestLoginFailures::failedStatementIsNoWrongPassword_data()
{
    QTest::addColumn<QString>("damage"); // to the order database: "garbage" or a statement
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message");
    using O = LoginService::Outcome;
    QTest::newRow("wrong password") << ""
                                    << "12345" << int(O::WrongCredentials) << kWrongPassword;
    QTest::newRow("order database no database")
        << "garbage"
        << "1234" << int(O::DatabaseUnreadable)
        << "数据库访问失败:订单数据库文件已损坏或不是数据库文件,无法登录,请联系管理员!";
    QTest::newRow("user table gone")
        << "drop table G_Sys_UserList"
        << "1234" << int(O::DatabaseUnreadable)
        << "数据库访问失败:订单数据库中没有数据表G_Sys_UserList,无法登录,请联系管理员!";
}

void TestLoginFailures::failedStatementIsNoWrongPassword()
{
    QFETCH(QString, damage);
    QFETCH(QString, password);
    DemoFolder demo;
    const QString orderFile = demo.folder.file(QStringLiteral("zelvo-demo.db"));
    if (damage == QLatin1String("garbage")) {
        QFile file(orderFile);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(64 * 1024, '\x5a'));
    } else if (!damage.isEmpty()) {
        SqlConnection order(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        QVERIFY(openSqliteFile(order, orderFile, nullptr));
        QVERIFY(QSqlQuery(order.db()).exec(damage));
    }
    const auto result = demo.session->logIn(QString::fromLatin1(DemoLogins::kOperatorName), password);
    QTEST(int(result.outcome), "outcome");
    QTEST(result.message, "message");
    QVERIFY(!demo.orderDb().isOpen());
    QVERIFY(demo.session->context().operatorName.isEmpty());
}

// The station as another user on a folder it may read but not write: the order database's journal
// cannot be made, so its user table cannot be read.
void TestLoginFailures::readOnlyDataFolder()
{
    const QString tool = qEnvironmentVariable("ZELVO_TOOLS_DIR") + QStringLiteral("/zelvo-station");
    QVERIFY2(QFileInfo(tool).isExecutable(), "ZELVO_TOOLS_DIR names no zelvo-station (run through ctest)");
    DemoFolder demo; // the files a first start leaves, closed again
    demo.session.reset();
    const TempDataFolder& folder = demo.folder;
    QStringList arguments = {QStringLiteral("--data-dir"), folder.path(),
                             QStringLiteral("--user"),     QStringLiteral("operator"),
                             QStringLiteral("--password"), QStringLiteral("1234"),
                             QStringLiteral("1.5"),        QStringLiteral("NOPE")};
    // Root writes anywhere: the station then runs as nobody, owning the files but not the folder's
    // right to take new ones.
    QString program = tool;
    const QByteArray dir = QFile::encodeName(QDir(folder.path()).absolutePath());
    if (::geteuid() == 0) {
        program = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (program.isEmpty()) {
            QSKIP("running as root without setpriv: no user to whom the folder is read-only");
        }
        QCOMPARE(QProcess::execute(QStringLiteral("chown"),
                                   {QStringLiteral("-R"), QStringLiteral("65534:65534"), folder.path()}),
                 0);
        arguments = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                QStringLiteral("--clear-groups"), tool} +
                    arguments;
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
