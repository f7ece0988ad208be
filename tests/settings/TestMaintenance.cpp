// The administrator's commands on the demo shop's embedded order database: who may run them, the
// questions before, what each changes, and that a failure in the middle changes nothing.
#include "DemoFolder.h"
#include "MaintenanceRows.h"

#include "app/gui/MessageBoxPrompter.h"
#include "settings/gui/TOKRightDlg.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

namespace {

using namespace MaintenanceRows;
const QString kWarning = QStringLiteral("请在软件管理员指导下运行，如有疑问请致电0555-55555555。");

struct Shop
{
    DemoFolder demo;
    bool loggedIn = (demo.logIn(), true);
    int codeAsked = 0;
    bool codeGiven = true;
    MaintenanceCommands commands{demo.prompter, [this] {
                                     ++codeAsked;
                                     return codeGiven;
                                 }};

    MaintenanceCommands::Caller caller(bool administrator = true) const
    {
        const LoginContext& context = demo.session->context();
        return {administrator, context.server, context.programFolder};
    }
    qint64 count(const QString& sql) { return text(demo.orderDb().db(), sql).toLongLong(); }
    void order(const QString& sql) { MaintenanceRows::order(demo.orderDb().db(), sql); }
    QString fingerprint() { return MaintenanceRows::fingerprint(demo.orderDb().db()); }
    // Runs a command to its end; false when it did not start.
    bool run(Command command, const QString& caption, bool administrator = true)
    {
        QSignalSpy finished(&commands, &MaintenanceCommands::finished);
        if (!commands.request(command, caption, caller(administrator))) {
            return false;
        }
        return finished.wait(20000);
    }
};

} // namespace

class TestMaintenance : public QObject
{
    Q_OBJECT

private slots:
    void refused_data()
    {
        QTest::addColumn<bool>("administrator");
        QTest::addColumn<bool>("warningAnswer");
        QTest::addColumn<bool>("codeGiven");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("codeAsked");
        QTest::newRow("operator") << false << true << true
                                  << QStringList{QStringLiteral("当前登陆用户不是管理员，没有执行权限！")}
                                  << 0 << 0;
        QTest::newRow("warning answered No") << true << false << true << QStringList{} << 1 << 0;
        QTest::newRow("no operation code") << true << true << false << QStringList{} << 1 << 1;
    }

    void refused()
    {
        QFETCH(bool, administrator);
        QFETCH(bool, warningAnswer);
        QFETCH(bool, codeGiven);
        QFETCH(QStringList, messages);
        QFETCH(int, questions);
        QFETCH(int, codeAsked);
        Shop shop;
        const QString before = shop.fingerprint();
        shop.codeGiven = codeGiven;
        for (Command command : {Command::CopyEstimatedWeight, Command::ClearAwaitingReview}) {
            shop.demo.prompter.messages.clear();
            shop.demo.prompter.questions.clear();
            shop.demo.prompter.answers = {warningAnswer};
            shop.codeAsked = 0;
            QVERIFY(!shop.commands.request(command, kClearCaption, shop.caller(administrator)));
            QCOMPARE(shop.demo.prompter.messages, messages);
            QCOMPARE(shop.demo.prompter.questions.size(), questions);
            QCOMPARE(shop.codeAsked, codeAsked);
            QVERIFY(!shop.commands.busy());
        }
        if (questions > 0) {
            QCOMPARE(shop.demo.prompter.questions.first(), kWarning);
        }
        QCOMPARE(shop.fingerprint(), before);
    }

    void commands_data() { addCommandRows(); }

    void commands()
    {
        QFETCH(int, command);
        QFETCH(QString, caption);
        QFETCH(QString, matching);
        QFETCH(QString, untouched);
        Shop shop;
        // A trade awaiting review with neither goods lines nor interface records goes too.
        shop.order(QStringLiteral("insert into G_Trade_TradeList (TradeID, TradeNO, TradeStatus) values "
                                  "(99001, 'T99001', 2)"));
        const qint64 matched = shop.count(matching);
        const QString kept = text(shop.demo.orderDb().db(), untouched);
        QVERIFY(matched > 0);
        for (int round = 0; round < 2; ++round) {
            shop.demo.prompter.messages.clear();
            QVERIFY(shop.run(Command(command), caption));
            QCOMPARE(shop.demo.prompter.messages,
                     QStringList{QLatin1Char('"') + caption + QStringLiteral("\" 设置成功!")});
            QCOMPARE(shop.count(matching), 0);
            QCOMPARE(text(shop.demo.orderDb().db(), untouched), kept);
            QVERIFY(!shop.commands.busy());
        }
    }

    // A delete that fails in the middle leaves every trade with its lines.
    void failingDeleteChangesNothing_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("goods lines") << "G_Trade_GoodsList";
        QTest::newRow("trades") << "G_Trade_TradeList";
    }

    void failingDeleteChangesNothing()
    {
        QFETCH(QString, table);
        Shop shop;
        shop.order(QStringLiteral("create trigger keep_rows before delete on %1 "
                                  "begin select raise(abort, 'rows kept by the test'); end")
                       .arg(table));
        const QString before = shop.fingerprint();
        QVERIFY(shop.run(Command::ClearAwaitingReview, kClearCaption));
        QCOMPARE(shop.demo.prompter.messages.size(), 1);
        QVERIFY2(shop.demo.prompter.messages.first().contains(QStringLiteral("rows kept by the test")),
                 qPrintable(shop.demo.prompter.messages.first()));
        QCOMPARE(shop.fingerprint(), before);
    }

    // While a command waits for the database the window goes on, and a second command is refused.
    void busyWhileRunning()
    {
        Shop shop;
        QSignalSpy busy(&shop.commands, &MaintenanceCommands::busyChanged);
        QSignalSpy finished(&shop.commands, &MaintenanceCommands::finished);
        shop.order(QStringLiteral("BEGIN IMMEDIATE"));
        QVERIFY(shop.commands.request(Command::CopyEstimatedWeight, kCopyCaption, shop.caller()));
        QVERIFY(shop.commands.busy());
        QCOMPARE(busy.size(), 1);
        QCOMPARE(busy.first().first().toBool(), true);
        const int asked = shop.demo.prompter.questions.size();
        QVERIFY(!shop.commands.request(Command::ClearAwaitingReview, kClearCaption, shop.caller()));
        QCOMPARE(shop.demo.prompter.questions.size(), asked);
        QTest::qWait(200);
        QCOMPARE(finished.size(), 0);
        shop.order(QStringLiteral("COMMIT"));
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(busy.last().first().toBool(), false);
    }

    // The warning before a command: its own caption, and only a click on Yes confirms it — a
    // scanner's number ending in Enter never does.
    void warningBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key"); // 0: Yes is clicked; -1: nothing for a while, then Esc
        QTest::addColumn<bool>("answer");
        QTest::newRow("Enter") << QString() << int(Qt::Key_Return) << false;
        QTest::newRow("scan") << QStringLiteral("YT999") << int(Qt::Key_Return) << false;
        QTest::newRow("scan without Enter") << QStringLiteral("YYY") << -1 << false;
        QTest::newRow("Esc") << QString() << int(Qt::Key_Escape) << false;
        QTest::newRow("Yes") << QString() << 0 << true;
    }

    void warningBox()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(bool, answer);
        QString title;
        int icon = -1;
        bool stillOpen = true;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                return;
            }
            title = box->windowTitle();
            icon = box->icon();
            QWidget* focused = box->focusWidget() ? box->focusWidget() : box;
            QTest::keyClicks(focused, typed);
            if (key == -1) {
                QTest::qWait(300);
                stillOpen = box->isVisible();
                QTest::keyClick(box, Qt::Key_Escape);
            } else if (key != 0) {
                QTest::keyClick(focused, Qt::Key(key));
            } else {
                box->button(QMessageBox::Yes)->click();
            }
        });
        MessageBoxPrompter prompter;
        QCOMPARE(prompter.askWarning(QStringLiteral("警告！"), kWarning), answer);
        QCOMPARE(title, QStringLiteral("警告！"));
        QCOMPARE(icon, int(QMessageBox::Warning));
        QVERIFY(stillOpen);
    }

    // "执行" only for the exact code; the box is empty at each opening.
    void operationCode_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("the code") << QStringLiteral("青松明月") << true;
        QTest::newRow("a prefix") << QStringLiteral("青松明") << false;
        QTest::newRow("one more character") << QStringLiteral("青松明月1") << false;
        QTest::newRow("blank around") << QStringLiteral(" 青松明月") << false;
        QTest::newRow("nothing") << QString() << false;
    }

    void operationCode()
    {
        QFETCH(QString, typed);
        QFETCH(bool, enabled);
        TOKRightDlg dialog;
        auto* box = dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        auto* execute = dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"));
        QVERIFY(!execute->isEnabled());
        dialog.show();
        QTest::keyClicks(box, QStringLiteral("x"));
        box->setText(typed);
        QCOMPARE(execute->isEnabled(), enabled);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(dialog.isVisible(), !enabled);
        QCOMPARE(dialog.result(), enabled ? int(QDialog::Accepted) : int(QDialog::Rejected));
        dialog.hide();
        dialog.show();
        QCOMPARE(box->text(), QString());
        QVERIFY(!execute->isEnabled());
    }
};

QTEST_MAIN(TestMaintenance)
#include "TestMaintenance.moc"
