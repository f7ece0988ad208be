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
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QtTest>

namespace {

// Makes the folder one the running user cannot write in: read-only mode, and for an administrator, whom
// the mode does not bind, the immutable attribute where the file system has one; or undoes that.
void setReadOnly(const QString& folder, bool readOnly)
{
    const QFile::Permissions write = readOnly ? QFile::Permissions() : QFile::WriteOwner;
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | write);
    QProcess chattr;
    chattr.setStandardErrorFile(QProcess::nullDevice());
    chattr.start(QStringLiteral("chattr"), {readOnly ? QStringLiteral("+i") : QStringLiteral("-i"), folder});
    chattr.waitForFinished(10000);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | write);
}

} // namespace

class TestDataFolder : public QObject
{
    Q_OBJECT

private slots:
    void programFolder_data();
    void programFolder();
};

void TestDataFolder::programFolder_data()
{
    QTest::addColumn<QString>("shop"); // "": no station beside the program; "demo": its own demo shop;
                                       // "server": a shop elsewhere (an absolute path)
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("writable") << QStringLiteral("demo") << false;
    QTest::newRow("read-only, shop elsewhere") << QStringLiteral("server") << true;
    QTest::newRow("read-only, demo shop beside the program") << QStringLiteral("demo") << true;
    QTest::newRow("read-only, nothing beside the program") << QString() << true;
}

// A read-only program folder's settings are copied to the user's folder and used from there; the
// operator is told once where they went, and later changes there are kept. With none, a new
// station starts in the user's folder.
void TestDataFolder::programFolder()
{
    QFETCH(QString, shop);
    QFETCH(bool, readOnly);
    TempDataFolder root;
    const QString program = root.path() + QStringLiteral("program/");
    const QString perUser = root.path() + QStringLiteral("user/");
    QVERIFY(QDir().mkpath(program));
    QString serverIp = QStringLiteral("sqlite:") + QString::fromLatin1(StationStores::kDemoFileName);
    if (!shop.isEmpty()) {
        StationStores stores(program);
        QVERIFY(stores.openLogin(nullptr) && stores.openPostage(nullptr));
        if (shop == QLatin1String("server")) {
            serverIp = QStringLiteral("sqlite:") + root.path() + QStringLiteral("shop.db");
            QVERIFY(QFile::rename(program + QString::fromLatin1(StationStores::kDemoFileName),
                                  root.path() + QStringLiteral("shop.db")));
            QVERIFY(ServerRow::write(stores.loginDb(), {serverIp, QStringLiteral("shop"), {}, {}}));
        }
    }
    const QStringList installed = QDir(program).entryList(QDir::Files);
    if (!readOnly) {
        const DataFolderChoice choice = chooseDataFolder(program, perUser);
        QCOMPARE(choice.folder, program);
        QCOMPARE(choice.note, QString());
        QVERIFY(!QFileInfo::exists(perUser));
        return;
    }
    setReadOnly(program, true);
    const auto restore = qScopeGuard([&program]() { setReadOnly(program, false); });
    if (QTemporaryFile(program + QStringLiteral("probe-XXXXXX")).open()) {
        QSKIP("this user writes in any folder and the file system has no immutable attribute");
    }
    const DataFolderChoice choice = chooseDataFolder(program, perUser);
    QCOMPARE(choice.folder, perUser);
    QVERIFY2(choice.note.contains(QDir::toNativeSeparators(perUser)), qPrintable(choice.note));
    QVERIFY2(choice.note.contains(QDir::toNativeSeparators(program)), qPrintable(choice.note));
    if (!shop.isEmpty()) {
        QCOMPARE(QDir(perUser).entryList(QDir::Files), installed);
    }
    {
        // The station on the chosen folder starts without a word (its copies are private already), on
        // that shop, and logs in.
        RecordingPrompter prompter;
        RecordingSoundPlayer sounds;
        StationSession session(choice.folder, prompter, sounds);
        QString error;
        QVERIFY2(session.start(&error), qPrintable(error));
        QCOMPARE(session.context().server.serverIp, serverIp);
        const auto login = session.logIn(QString::fromLatin1(DemoLogins::kOperatorName),
                                         QString::fromLatin1(DemoLogins::kOperatorPassword));
        QVERIFY2(login.outcome == LoginService::Outcome::LoggedIn, qPrintable(login.message));
        QCOMPARE(prompter.messages, QStringList());
        QVERIFY(QSqlQuery(session.stores().loginDb())
                    .exec(QStringLiteral("insert into Users (Uname, Upsw) values ('copy', 'kept')")));
    }

    // Told once: the next start finds its folder without a word, keeps what was changed there, and
    // the program folder is as it was.
    const DataFolderChoice again = chooseDataFolder(program, perUser);
    QCOMPARE(again.folder, perUser);
    QCOMPARE(again.note, QString());
    QCOMPARE(QDir(program).entryList(QDir::Files), installed);
    StationStores stores(perUser);
    QVERIFY(stores.openLogin(nullptr));
    QSqlQuery kept(stores.loginDb());
    QVERIFY(kept.exec(QStringLiteral("select Upsw from Users where Uname = 'copy'")) && kept.next());
    QCOMPARE(kept.value(0).toString(), QStringLiteral("kept"));
}

QTEST_GUILESS_MAIN(TestDataFolder)
#include "TestDataFolder.moc"
