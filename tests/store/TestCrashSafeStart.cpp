// A first start killed at any moment, and local files damaged or emptied, never leave a data folder
// that fails later for a reason that points elsewhere.
#include "RecordingPrompter.h"
#include "RecordingSoundPlayer.h"
#include "TempDataFolder.h"

#include "app/StationSession.h"
#include "store/DemoOrderData.h"
#include "store/SqlConnection.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

namespace {

QStringList firstStartArguments(const QString& folder)
{
    return {QStringLiteral("--data-dir"), folder,
            QStringLiteral("--user"),     QString::fromLatin1(DemoLogins::kOperatorName),
            QStringLiteral("--password"), QString::fromLatin1(DemoLogins::kOperatorPassword)};
}

// The lock file a process left when it was killed holding it: QLockFile's own content, with the id
// of a process that has ended.
QByteArray deadProcessLock(const QString& folder)
{
    QProcess ended;
    ended.start(QStringLiteral("true"));
    const qint64 pid = ended.waitForStarted() ? ended.processId() : 0;
    ended.waitForFinished(10000);
    QLockFile lock(folder + QStringLiteral("probe.lock"));
    QFile file(folder + QStringLiteral("probe.lock"));
    if (pid <= 0 || !lock.tryLock(0) || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray content = file.readAll();
    return QByteArray::number(pid) + content.mid(content.indexOf('\n'));
}

// Runs the statement on the SQLite file at path, creating it when missing.
bool runOn(const QString& path, const QString& statement)
{
    SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
    return openSqliteFile(connection, path, nullptr) && QSqlQuery(connection.db()).exec(statement);
}

// A start that must work: the local files open, the demo operator logs in, postage has its rules,
// nothing a killed start was making is left lying about, and no file is readable by others.
void checkWorkingStart(const QString& folder)
{
    RecordingPrompter prompter;
    RecordingSoundPlayer sounds;
    {
        StationSession session(folder, prompter, sounds);
        QString error;
        QVERIFY2(session.start(&error), qPrintable(error));
        const auto login = session.logIn(QString::fromLatin1(DemoLogins::kOperatorName),
                                         QString::fromLatin1(DemoLogins::kOperatorPassword));
        QVERIFY2(login.outcome == LoginService::Outcome::LoggedIn, qPrintable(login.message));
        QSqlQuery rules(QStringLiteral("select (select count(*) from rule) + (select count(*) from rule1) + "
                                       "(select count(*) from rule2)"),
                        *session.postageDb());
        QVERIFY(rules.next() && rules.value(0).toInt() > 0);
    }
    QCOMPARE(prompter.messages, QStringList());
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.part*"), QStringLiteral("*.lock")}, QDir::Files),
             QStringList());
    for (const char* name : {"login.db", "Postage.db", StationStores::kDemoFileName}) {
        const QFile::Permissions others = QFile::ReadGroup | QFile::ReadOther;
        QVERIFY2(!(QFileInfo(folder + QLatin1String(name)).permissions() & others), name);
    }
}

} // namespace

class TestCrashSafeStart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startAfterDamage_data();
    void startAfterDamage();

private:
    const QString m_tool = qEnvironmentVariable("ZELVO_TOOLS_DIR") + QStringLiteral("/zelvo-station");
    qint64 m_firstStartMs = 0;
};

// How long an uninterrupted first start takes here.
void TestCrashSafeStart::initTestCase()
{
    QVERIFY2(QFileInfo(m_tool).isExecutable(), "ZELVO_TOOLS_DIR names no zelvo-station (run through ctest)");
    TempDataFolder folder;
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(m_tool, firstStartArguments(folder.path()));
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(120000));
    m_firstStartMs = clock.elapsed();
    QCOMPARE(process.exitCode(), 0);
}

void TestCrashSafeStart::startAfterDamage_data()
{
    QTest::addColumn<QStringList>("files");  // each is damaged the same way
    QTest::addColumn<QStringList>("damage"); // steps, see startAfterDamage
    QTest::addColumn<QString>("refusal");    // empty: the start works; else in the start's error

    const QString works;
    const QStringList login{QStringLiteral("login.db")};
    const QStringList postage{QStringLiteral("Postage.db")};
    for (const char* percent : {"0", "10", "25", "40", "55", "70", "85", "95"}) {
        QTest::addRow("first start killed at %s%%", percent)
            << QStringList() << QStringList{percent} << works;
    }
    QTest::newRow("all files empty") << QStringList{"login.db", "Postage.db", StationStores::kDemoFileName}
                                     << QStringList{"empty"} << works;
    QTest::newRow("login.db without tables")
        << login << QStringList{"empty", "PRAGMA user_version = 7"} << works;
    QTest::newRow("login.db of another program")
        << login << QStringList{"empty", "create table Orders(ID integer, Name text)"} << "server";
    QTest::newRow("login.db not a database") << login << QStringList{"garbage"} << "login.db";
    QTest::newRow("Postage.db of another program")
        << postage << QStringList{"empty", "create table Prices(Express text)"} << "rule";
    QTest::newRow("demo Postage.db without rules")
        << postage
        << QStringList{"delete from rule", "delete from rule1", "delete from rule2",
                       "delete from SndStyle_Form"}
        << works;
    QTest::newRow("half-made login.db beside none")
        << QStringList{"login.db.part"} << QStringList{"garbage", "remove login.db"} << works;
    QTest::newRow("lock of a start killed after its rename")
        << QStringList{"login.db.lock"} << QStringList{"deadLock"} << works;
    // A start killed between making its lock and writing whose it is.
    QTest::newRow("empty lock of a killed start")
        << QStringList{"login.db.lock"} << QStringList{"empty", "old", "remove login.db"} << works;
}

// A first start killed (SIGKILL) at a moment spread over it, or the files of a finished one damaged;
// the next start works, or refuses naming the file and what is wrong with it without overwriting it.
void TestCrashSafeStart::startAfterDamage()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, damage);
    QFETCH(QString, refusal);

    TempDataFolder folder;
    if (files.isEmpty()) {
        QProcess process;
        process.start(m_tool, firstStartArguments(folder.path()));
        QVERIFY(process.waitForStarted());
        QThread::msleep(static_cast<unsigned long>(m_firstStartMs * damage.first().toInt() / 100));
        process.kill();
        QVERIFY(process.waitForFinished(30000));
    } else {
        StationStores first(folder.path());
        QVERIFY(first.openLogin(nullptr) && first.openPostage(nullptr));
    }
    // Each step: "empty", "garbage" or "deadLock" (the file's new content, a dead process's lock),
    // "old" (last written an hour ago), "remove NAME", or a statement run on the file.
    const QHash<QString, QByteArray> contents{
        {QStringLiteral("empty"), QByteArray()},
        {QStringLiteral("garbage"), QByteArray("not a database at all")},
        {QStringLiteral("deadLock"), deadProcessLock(folder.path())}};
    for (const QString& file : files) {
        QFile target(folder.path() + file);
        for (const QString& step : damage) {
            if (contents.contains(step)) {
                QVERIFY(target.open(QIODevice::WriteOnly | QIODevice::Truncate));
                QCOMPARE(target.write(contents[step]), contents[step].size());
                target.close();
            } else if (step == QLatin1String("old")) {
                QVERIFY(target.open(QIODevice::ReadWrite));
                QVERIFY(target.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                           QFileDevice::FileModificationTime));
                target.close();
            } else if (step.startsWith(QLatin1String("remove "))) {
                QVERIFY(QFile::remove(folder.path() + step.mid(7)));
            } else {
                QVERIFY(runOn(target.fileName(), step));
            }
        }
    }
    const auto bytesOf = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    if (refusal.isEmpty()) {
        checkWorkingStart(folder.path());
        return;
    }
    const QString path = folder.path() + files.first();
    const QByteArray damaged = bytesOf(path);
    RecordingPrompter prompter;
    RecordingSoundPlayer sounds;
    StationSession session(folder.path(), prompter, sounds);
    QString error;
    QVERIFY(!session.start(&error));
    QVERIFY2(error.startsWith(QStringLiteral("程序配置文件访问失败!")), qPrintable(error));
    QVERIFY2(error.contains(refusal) && error.contains(files.first()), qPrintable(error));
    // Somebody's file is never overwritten.
    QCOMPARE(bytesOf(path), damaged);
}

QTEST_GUILESS_MAIN(TestCrashSafeStart)
#include "TestCrashSafeStart.moc"
