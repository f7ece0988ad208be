// login.db holds the order database's password: a start makes the station's files private again
// when other users could read them, and says so once.
#include "RecordingPrompter.h"
#include "RecordingSoundPlayer.h"
#include "TempDataFolder.h"

#include "app/StationSession.h"
#include "store/DemoOrderData.h"

#include <QProcess>
#include <QtTest>

namespace {

const char* const kStationFiles[] = {"login.db", "Postage.db", StationStores::kDemoFileName};
constexpr QFile::Permissions kPrivate = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kOthers = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                       QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

void firstStart(const TempDataFolder& folder)
{
    StationStores stores(folder.path());
    QVERIFY(stores.openLogin(nullptr));
    QVERIFY(stores.openPostage(nullptr));
}

// The messages a session start on the folder shows.
QStringList startMessages(const TempDataFolder& folder)
{
    RecordingPrompter prompter;
    RecordingSoundPlayer sounds;
    StationSession session(folder.path(), prompter, sounds);
    QString error;
    if (!session.start(&error)) {
        qWarning("start failed: %s", qPrintable(error));
    }
    return prompter.messages;
}

// Qt's flags for Unix mode bits: the owner's stand for owner and user alike.
QFile::Permissions fromMode(int mode)
{
    const int owner = (mode >> 6) & 7;
    const int group = (mode >> 3) & 7;
    const int other = mode & 7;
    return QFile::Permissions::fromInt((owner << 12) | (owner << 8) | (group << 4) | other);
}

QFile::Permissions othersOf(const QString& path)
{
    return QFileInfo(path).permissions() & kOthers;
}

} // namespace

class TestPrivateFiles : public QObject
{
    Q_OBJECT

private slots:
    void madePrivateAndToldOnce_data();
    void madePrivateAndToldOnce();
    void headlessStationPrintsTheNote();
};

void TestPrivateFiles::madePrivateAndToldOnce_data()
{
    QTest::addColumn<QString>("file"); // empty: every station file
    QTest::addColumn<int>("mode");     // octal permission bits the file is given

    QTest::newRow("all readable by everybody") << QString() << 0644;
    QTest::newRow("login.db readable by the group") << QStringLiteral("login.db") << 0640;
    QTest::newRow("Postage.db writable by others") << QStringLiteral("Postage.db") << 0602;
    QTest::newRow("demo shop readable by everybody")
        << QString::fromLatin1(StationStores::kDemoFileName) << 0644;
    QTest::newRow("already private") << QString() << 0600;
}

void TestPrivateFiles::madePrivateAndToldOnce()
{
    QFETCH(QString, file);
    QFETCH(int, mode);

    TempDataFolder folder;
    firstStart(folder);
    QStringList opened;
    for (const char* name : kStationFiles) {
        if (file.isEmpty() || file == QLatin1String(name)) {
            opened << folder.file(QString::fromLatin1(name));
        }
    }
    const QFile::Permissions permissions = fromMode(mode);
    for (const QString& path : opened) {
        QVERIFY(QFile::setPermissions(path, permissions));
        QCOMPARE(othersOf(path), permissions & kOthers);
    }

    const QStringList first = startMessages(folder);
    if (!(permissions & kOthers)) {
        QCOMPARE(first, QStringList());
        return;
    }
    QCOMPARE(first.size(), 1);
    for (const char* name : kStationFiles) {
        const QString path = folder.file(QString::fromLatin1(name));
        QCOMPARE(othersOf(path), QFile::Permissions());
        QVERIFY(QFileInfo(path).permissions().testFlags(kPrivate));
        QCOMPARE(first.first().contains(path), opened.contains(path));
    }
    QCOMPARE(startMessages(folder), QStringList());
}

// zelvo-station tells what it changed on standard error, once.
void TestPrivateFiles::headlessStationPrintsTheNote()
{
    const QString program = qEnvironmentVariable("ZELVO_TOOLS_DIR") + QStringLiteral("/zelvo-station");
    QVERIFY2(QFileInfo(program).isExecutable(), "ZELVO_TOOLS_DIR names no zelvo-station (run through ctest)");
    TempDataFolder folder;
    firstStart(folder);
    const QString login = folder.file(QStringLiteral("login.db"));
    QVERIFY(QFile::setPermissions(login, kPrivate | QFile::ReadGroup | QFile::ReadOther));

    const auto run = [&]() {
        QProcess process;
        process.start(program, {QStringLiteral("--data-dir"), folder.path(), QStringLiteral("--user"),
                                QString::fromLatin1(DemoLogins::kOperatorName), QStringLiteral("--password"),
                                QString::fromLatin1(DemoLogins::kOperatorPassword)});
        process.closeWriteChannel();
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            qWarning("zelvo-station: %s", process.readAllStandardError().constData());
            return QStringLiteral("<failed>");
        }
        return QString::fromUtf8(process.readAllStandardError());
    };
    const QString first = run();
    QVERIFY2(first.contains(login), qPrintable(first));
    QCOMPARE(othersOf(login), QFile::Permissions());
    const QString second = run();
    QVERIFY2(!second.contains(login), qPrintable(second));
}

QTEST_GUILESS_MAIN(TestPrivateFiles)
#include "TestPrivateFiles.moc"
