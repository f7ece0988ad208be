// Which folder a station keeps its settings in when the program's own folder cannot be written, and
// that the settings found beside the program are the ones used.
#include "RecordingPrompter.h"
#include "RecordingSoundPlayer.h"
#include "TempDataFolder.h"

#include "app/DataFolder.h"
#include "app/ServerRow.h"
#include "app/StationSession.h"
#include "store/DemoOrderData.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QtTest>

namespace {

bool canWriteIn(const QString& folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/probe-XXXXXX"));
    return probe.open();
}

// A folder the running user cannot write in: mode 0555, and for an administrator, whom the mode
// does not bind, the immutable attribute where the file system has one.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString& path)
        : m_path(path)
    {
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadUser | QFile::ExeUser |
                                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::ExeOther);
        if (canWriteIn(m_path)) {
            m_immutable = chattr(QStringLiteral("+i"));
        }
    }
    ~ReadOnlyFolder()
    {
        if (m_immutable) {
            chattr(QStringLiteral("-i"));
        }
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool holds() const { return !canWriteIn(m_path); }

private:
    bool chattr(const QString& flag) const
    {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(QStringLiteral("chattr"), {flag, m_path});
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QString m_path;
    bool m_immutable = false;
};

// The station beside the program, as its installer left it: login.db, Postage.db and the demo shop.
void installStation(const QString& programFolder)
{
    QVERIFY(QDir().mkpath(programFolder));
    StationStores stores(programFolder);
    QVERIFY(stores.openLogin(nullptr));
    QVERIFY(stores.openPostage(nullptr));
}

QString serverIpOf(const QString& folder)
{
    StationStores stores(folder);
    if (!stores.openLogin(nullptr)) {
        return QStringLiteral("<no login.db>");
    }
    const auto server = ServerRow::read(stores.loginDb());
    return server ? server->serverIp : QStringLiteral("<no server row>");
}

// A session on the chosen folder starts without a word and logs the demo operator in.
void checkStationWorks(const QString& folder, const QString& serverIp)
{
    RecordingPrompter prompter;
    RecordingSoundPlayer sounds;
    StationSession session(folder, prompter, sounds);
    QString error;
    QVERIFY2(session.start(&error), qPrintable(error));
    QCOMPARE(session.context().server.serverIp, serverIp);
    const auto login = session.logIn(QString::fromLatin1(DemoLogins::kOperatorName),
                                     QString::fromLatin1(DemoLogins::kOperatorPassword));
    QVERIFY2(login.outcome == LoginService::Outcome::LoggedIn, qPrintable(login.message));
    QCOMPARE(prompter.messages, QStringList());
}

} // namespace

class TestDataFolder : public QObject
{
    Q_OBJECT

private slots:
    void writableProgramFolderIsUsed();
    void readOnlyProgramFolder_data();
    void readOnlyProgramFolder();
    void earlierCopyIsKept();
};

void TestDataFolder::writableProgramFolderIsUsed()
{
    TempDataFolder root;
    const QString program = root.path() + QStringLiteral("program/");
    const QString perUser = root.path() + QStringLiteral("user/");
    installStation(program);

    const DataFolderChoice choice = chooseDataFolder(program, perUser);
    QCOMPARE(choice.folder, program);
    QCOMPARE(choice.note, QString());
    QVERIFY(!QFileInfo::exists(perUser));
}

void TestDataFolder::readOnlyProgramFolder_data()
{
    QTest::addColumn<QString>("shop"); // "": no station beside the program; "demo": its own demo shop;
                                       // "server": a shop elsewhere (an absolute path)
    QTest::newRow("shop elsewhere") << QStringLiteral("server");
    QTest::newRow("demo shop beside the program") << QStringLiteral("demo");
    QTest::newRow("nothing beside the program") << QString();
}

// The settings beside the program are copied to the user's folder and used from there; the
// operator is told once where they went. With none, a new station starts in the user's folder.
void TestDataFolder::readOnlyProgramFolder()
{
    QFETCH(QString, shop);
    TempDataFolder root;
    const QString program = root.path() + QStringLiteral("program/");
    const QString perUser = root.path() + QStringLiteral("user/");
    QVERIFY(QDir().mkpath(program));
    QString serverIp = QStringLiteral("sqlite:") + QString::fromLatin1(StationStores::kDemoFileName);
    if (!shop.isEmpty()) {
        installStation(program);
    }
    if (shop == QLatin1String("server")) {
        const QString shopPath = root.path() + QStringLiteral("shop.db");
        DemoOrderOptions options;
        options.trades = 5;
        QVERIFY(createDemoOrderDatabase(shopPath, options, nullptr));
        serverIp = QStringLiteral("sqlite:") + shopPath;
        {
            StationStores stores(program);
            QVERIFY(stores.openLogin(nullptr));
            QVERIFY(ServerRow::write(stores.loginDb(), {serverIp, QStringLiteral("shop"), {}, {}}));
        }
        QVERIFY(QFile::remove(program + QString::fromLatin1(StationStores::kDemoFileName)));
    }
    const QStringList installed = QDir(program).entryList(QDir::Files);
    ReadOnlyFolder readOnly(program);
    if (!readOnly.holds()) {
        QSKIP("this user writes in any folder and the file system has no immutable attribute");
    }

    const DataFolderChoice choice = chooseDataFolder(program, perUser);
    QCOMPARE(choice.folder, perUser);
    QVERIFY2(choice.note.contains(QDir::toNativeSeparators(perUser)), qPrintable(choice.note));
    QVERIFY2(choice.note.contains(QDir::toNativeSeparators(program)), qPrintable(choice.note));
    if (!shop.isEmpty()) {
        QCOMPARE(QDir(perUser).entryList(QDir::Files), installed);
        for (const QString& name : installed) {
            QCOMPARE(QFileInfo(perUser + name).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                     QFile::Permissions());
        }
        QCOMPARE(serverIpOf(perUser), serverIp);
    }
    checkStationWorks(choice.folder, serverIp);

    // Told once: the next start finds its folder without a word, and the program folder is as it was.
    const DataFolderChoice again = chooseDataFolder(program, perUser);
    QCOMPARE(again.folder, perUser);
    QCOMPARE(again.note, QString());
    QCOMPARE(QDir(program).entryList(QDir::Files), installed);
}

// Settings changed in the user's folder survive the next start; the program folder's are not
// copied over them again.
void TestDataFolder::earlierCopyIsKept()
{
    TempDataFolder root;
    const QString program = root.path() + QStringLiteral("program/");
    const QString perUser = root.path() + QStringLiteral("user/");
    installStation(program);
    ReadOnlyFolder readOnly(program);
    if (!readOnly.holds()) {
        QSKIP("this user writes in any folder and the file system has no immutable attribute");
    }
    QCOMPARE(chooseDataFolder(program, perUser).folder, perUser);
    {
        StationStores stores(perUser);
        QVERIFY(stores.openLogin(nullptr));
        QSqlQuery query(stores.loginDb());
        QVERIFY(query.exec(QStringLiteral("insert into Users (Uname, Upsw) values ('copy', 'kept')")));
    }
    const DataFolderChoice choice = chooseDataFolder(program, perUser);
    QCOMPARE(choice.folder, perUser);
    QCOMPARE(choice.note, QString());
    StationStores stores(perUser);
    QVERIFY(stores.openLogin(nullptr));
    QSqlQuery query(stores.loginDb());
    QVERIFY(query.exec(QStringLiteral("select Upsw from Users where Uname = 'copy'")) && query.next());
    QCOMPARE(query.value(0).toString(), QStringLiteral("kept"));
}

QTEST_GUILESS_MAIN(TestDataFolder)
#include "TestDataFolder.moc"
