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

QString stationTool()
{
    return qEnvironmentVariable("ZELVO_TOOLS_DIR") + QStringLiteral("/zelvo-station");
}

QStringList firstStartArguments(const QString& folder)
{
    return {QStringLiteral("--data-dir"), folder,
            QStringLiteral("--user"),     QString::fromLatin1(DemoLogins::kOperatorName),
            QStringLiteral("--password"), QString::fromLatin1(DemoLogins::kOperatorPassword)};
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The lock file a process left when it was killed holding it: QLockFile's own content, with the id
// of a process that has ended.
QByteArray deadProcessLock(const QString& folder)
{
    QProcess ended;
    ended.start(QStringLiteral("true"));
    const qint64 pid = ended.waitForStarted() ? ended.processId() : 0;
    if (pid <= 0 || !ended.waitForFinished(10000)) {
        return {};
    }
    const QString path = folder + QStringLiteral("probe.lock");
    QByteArray content;
    {
        QLockFile lock(path);
        if (!lock.tryLock(0)) {
            return {};
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        content = file.readAll();
    }
    const qsizetype lineEnd = content.indexOf('\n');
    return lineEnd < 0 ? QByteArray() : QByteArray::number(pid) + content.mid(lineEnd);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Runs the statements on the SQLite file at path, creating it when missing.
bool runOn(const QString& path, const QStringList& statements)
{
    SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
    if (!openSqliteFile(connection, path, nullptr)) {
        return false;
    }
    QSqlQuery query(connection.db());
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            return false;
        }
    }
    return true;
}

int postageRuleCount(QSqlDatabase& postageDb)
{
    QSqlQuery query(postageDb);
    if (!query.exec(QStringLiteral("select (select count(*) from rule) + (select count(*) from rule1) + "
                                   "(select count(*) from rule2)")) ||
        !query.next()) {
        return -1;
    }
    return query.value(0).toInt();
}

// A start that must work: the local files open, the demo operator logs in, postage has its rules.
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
        QVERIFY(session.postageDb());
        QVERIFY(postageRuleCount(*session.postageDb()) > 0);
    }
    QVERIFY2(prompter.messages.isEmpty(), qPrintable(prompter.messages.join(QLatin1Char('\n'))));
    // Nothing a killed start was making is left lying about.
    const QStringList leftovers =
        QDir(folder).entryList({QStringLiteral("*.part*"), QStringLiteral("*.lock")}, QDir::Files);
    QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(QLatin1Char(' '))));
    for (const char* name : {"login.db", "Postage.db", StationStores::kDemoFileName}) {
        const QFile::Permissions others =
            QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
        QVERIFY2(!(QFileInfo(folder + QLatin1String(name)).permissions() & others), name);
    }
}

} // namespace

class TestCrashSafeStart : public QObject
{
    Q_OBJECT

private slots:
    void killedFirstStartLeavesAWorkingFolder();
    void damagedFiles_data();
    void damagedFiles();
};

// The station tool is killed (SIGKILL) at moments spread over a whole first start; the next start
// on that folder always works.
void TestCrashSafeStart::killedFirstStartLeavesAWorkingFolder()
{
    const QString program = stationTool();
    QVERIFY2(QFileInfo(program).isExecutable(), "ZELVO_TOOLS_DIR names no zelvo-station (run through ctest)");

    // How long an uninterrupted first start takes here.
    qint64 firstStartMs = 0;
    {
        TempDataFolder folder;
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        process.start(program, firstStartArguments(folder.path()));
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(120000));
        firstStartMs = clock.elapsed();
        QCOMPARE(process.exitCode(), 0);
    }

    constexpr int kKills = 16;
    for (int kill = 0; kill < kKills; ++kill) {
        const qint64 delayMs = firstStartMs * kill / kKills;
        TempDataFolder folder;
        QProcess process;
        process.start(program, firstStartArguments(folder.path()));
        QVERIFY(process.waitForStarted());
        QThread::msleep(static_cast<unsigned long>(delayMs));
        process.kill();
        QVERIFY(process.waitForFinished(30000));
        checkWorkingStart(folder.path());
        if (QTest::currentTestFailed()) {
            qWarning("killed after %lld ms of a %lld ms first start; the folder held: %s", delayMs,
                     firstStartMs,
                     qPrintable(QDir(folder.path()).entryList(QDir::Files).join(QLatin1Char(' '))));
            return;
        }
    }
}

void TestCrashSafeStart::damagedFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>(
        "damage"); // statements run on the file, after it was emptied when "empty" is first
    QTest::addColumn<QString>("refusal"); // empty: the start works; else in the start's error

    const QString login = QStringLiteral("login.db");
    const QString postage = QStringLiteral("Postage.db");
    const QString demo = QString::fromLatin1(StationStores::kDemoFileName);
    const QString works;
    QTest::newRow("empty login.db") << login << QStringList{"empty"} << works;
    QTest::newRow("login.db without tables")
        << login << QStringList{"empty", "PRAGMA user_version = 7", "create table t(x)", "drop table t"}
        << works;
    QTest::newRow("login.db of another program")
        << login << QStringList{"empty", "create table Orders(ID integer, Name text)"} << "server";
    QTest::newRow("login.db without options")
        << login << QStringList{"drop table Initialization"} << "Initialization";
    QTest::newRow("login.db not a database") << login << QStringList{"garbage"} << login;
    QTest::newRow("empty Postage.db") << postage << QStringList{"empty"} << works;
    QTest::newRow("Postage.db of another program")
        << postage << QStringList{"empty", "create table Prices(Express text)"} << "rule";
    QTest::newRow("demo Postage.db without rules")
        << postage
        << QStringList{"delete from rule", "delete from rule1", "delete from rule2",
                       "delete from SndStyle_Form"}
        << works;
    QTest::newRow("empty demo shop") << demo << QStringList{"empty"} << works;
    QTest::newRow("half-made login.db beside none")
        << QStringLiteral("login.db.part") << QStringList{"garbage", "remove login.db"} << works;
    QTest::newRow("lock of a start killed after its rename")
        << QStringLiteral("login.db.lock") << QStringList{"dead process's lock"} << works;
    // A start killed between making its lock and writing whose it is.
    QTest::newRow("empty lock of a killed start")
        << QStringLiteral("login.db.lock") << QStringList{"empty", "old", "remove login.db"} << works;
}

void TestCrashSafeStart::damagedFiles()
{
    QFETCH(QString, file);
    QFETCH(QStringList, damage);
    QFETCH(QString, refusal);

    TempDataFolder folder;
    {
        StationStores first(folder.path());
        QVERIFY(first.openLogin(nullptr));
        QVERIFY(first.openPostage(nullptr));
    }
    // Each step: "empty", "garbage" or "dead process's lock" (the file's new content), "old" (last
    // written an hour ago),
    // "remove NAME", or a statement run on the file.
    const QString path = folder.path() + file;
    QStringList statements;
    for (const QString& step : damage) {
        if (step == QLatin1String("empty") || step == QLatin1String("garbage")) {
            QVERIFY(writeFile(path, step == QLatin1String("garbage") ? "not a database at all" : ""));
        } else if (step == QLatin1String("dead process's lock")) {
            const QByteArray lock = deadProcessLock(folder.path());
            QVERIFY(!lock.isEmpty());
            QVERIFY(writeFile(path, lock));
        } else if (step == QLatin1String("old")) {
            QFile touched(path);
            QVERIFY(touched.open(QIODevice::ReadWrite));
            QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                        QFileDevice::FileModificationTime));
        } else if (step.startsWith(QLatin1String("remove "))) {
            QVERIFY(QFile::remove(folder.path() + step.mid(7)));
        } else {
            statements << step;
        }
    }
    QVERIFY(statements.isEmpty() || runOn(path, statements));
    const QByteArray damaged = fileBytes(path);

    if (refusal.isEmpty()) {
        checkWorkingStart(folder.path());
        return;
    }
    RecordingPrompter prompter;
    RecordingSoundPlayer sounds;
    StationSession session(folder.path(), prompter, sounds);
    QString error;
    QVERIFY(!session.start(&error));
    QVERIFY2(error.startsWith(QStringLiteral("程序配置文件访问失败!")), qPrintable(error));
    QVERIFY2(error.contains(refusal) && error.contains(file), qPrintable(error));
    // Somebody's file is never overwritten.
    QCOMPARE(fileBytes(path), damaged);
}

QTEST_GUILESS_MAIN(TestCrashSafeStart)
#include "TestCrashSafeStart.moc"
