// login.db holds the order database's password: a start makes the station's files private again
// when other users could read them, and says so once.
#include "DemoFolder.h"

#include <QProcess>
#include <QtTest>

namespace {

const char* const kStationFiles[] = {"login.db", "Postage.db", StationStores::kDemoFileName};
constexpr QFile::Permissions kPrivate =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
constexpr QFile::Permissions kOthers = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                       QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

// A first start's files, closed again, with the given files' permissions set.
std::unique_ptr<DemoFolder> folderWith(const QStringList& files, QFile::Permissions permissions)
{
    auto demo = std::make_unique<DemoFolder>();
    demo->session.reset();
    for (const QString& name : files) {
        QFile::setPermissions(demo->folder.file(name), permissions);
    }
    return demo;
}

// The messages a start on the folder shows, or zelvo-station prints on standard error.
QStringList startMessages(const TempDataFolder& folder, bool headless)
{
    if (headless) {
        QProcess station;
        station.start(qEnvironmentVariable("ZELVO_TOOLS_DIR") + QStringLiteral("/zelvo-station"),
                      {QStringLiteral("--data-dir"), folder.path(), QStringLiteral("--user"),
                       QString::fromLatin1(DemoLogins::kOperatorName), QStringLiteral("--password"),
                       QString::fromLatin1(DemoLogins::kOperatorPassword)});
        station.closeWriteChannel();
        const bool ran = station.waitForFinished(60000) && station.exitCode() == 0;
        const QString printed = QString::fromUtf8(station.readAllStandardError());
        return !ran                              ? QStringList{QStringLiteral("<start failed>")}
               : printed.contains(folder.path()) ? QStringList{printed}
                                                 : QStringList();
    }
    RecordingPrompter prompter;
    RecordingSoundPlayer sounds;
    StationSession session(folder.path(), prompter, sounds);
    return session.start(nullptr) ? prompter.messages : QStringList{QStringLiteral("<start failed>")};
}

} // namespace

class TestPrivateFiles : public QObject
{
    Q_OBJECT

private slots:
    void madePrivateAndToldOnce_data();
    void madePrivateAndToldOnce();
};

void TestPrivateFiles::madePrivateAndToldOnce_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("others"); // what group and others may do with them
    QTest::addColumn<bool>("headless");

    QTest::newRow("all readable by everybody")
        << QStringList{"login.db", "Postage.db", StationStores::kDemoFileName}
        << int(QFile::ReadGroup | QFile::ReadOther) << false;
    QTest::newRow("login.db readable by the group")
        << QStringList{"login.db"} << int(QFile::ReadGroup) << false;
    QTest::newRow("Postage.db writable by others")
        << QStringList{"Postage.db"} << int(QFile::WriteOther) << false;
    QTest::newRow("zelvo-station, login.db readable by others")
        << QStringList{"login.db"} << int(QFile::ReadOther) << true;
}

// Told once, naming exactly the files it changed; the next start says nothing.
void TestPrivateFiles::madePrivateAndToldOnce()
{
    QFETCH(QStringList, files);
    QFETCH(int, others);
    QFETCH(bool, headless);
    const auto demo = folderWith(files, kPrivate | QFile::Permissions::fromInt(others));

    const QStringList first = startMessages(demo->folder, headless);
    QCOMPARE(first.size(), 1);
    for (const char* name : kStationFiles) {
        const QString path = demo->folder.file(QString::fromLatin1(name));
        QCOMPARE(QFileInfo(path).permissions() & (kPrivate | kOthers), kPrivate);
        QCOMPARE(first.first().contains(path), files.contains(QLatin1String(name)));
    }
    QCOMPARE(startMessages(demo->folder, headless), QStringList());
}

QTEST_GUILESS_MAIN(TestPrivateFiles)
#include "TestPrivateFiles.moc"
