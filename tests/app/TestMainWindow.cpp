#include "ChildControl.h"
#include "DemoFolder.h"

#include "app/SingleInstance.h"
#include "app/gui/PanelStatusBar.h"
#include "app/gui/TFunctionsDlg.h"
#include "app/gui/TLogin.h"
#include "scale/ScaleReaderHost.h"
#include "scale/ScaleTypes.h"
#include "store/LocalQuery.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

namespace {

// The windows as a start builds them; logged in and shown on request.
struct StationFixture
{
    DemoFolder demo;
    std::unique_ptr<TLogin> login = std::make_unique<TLogin>(*demo.session);
    std::unique_ptr<TFunctionsDlg> main = std::make_unique<TFunctionsDlg>(*demo.session, *login);

    explicit StationFixture(const std::function<void(QSqlDatabase&)>& prepare = {})
        : demo(prepare)
    {
    }

    void logInAndShow(const char* user = DemoLogins::kOperatorName,
                      const char* pw = DemoLogins::kOperatorPassword)
    {
        demo.logIn(user, pw);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    }

    template <typename T = QWidget> T* find(const char* name) const
    {
        return childControl<T>(*main, QString::fromLatin1(name));
    }
    QLineEdit* box(const char* name) const { return find<QLineEdit>(name); }
    // A key as the keyboard sends it: to the box with the focus.
    void press(Qt::Key key) const
    {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : main.get(), key);
    }
};

QStringList entries(QComboBox* box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i) {
        list << box->itemText(i);
    }
    return list;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    // The lists filled from the shop; a remembered picker no longer listed; the settings buttons open
    // their dialogs; a changed option reaches the tabs at once.
    void shownToTheAdministrator()
    {
        StationFixture f([](QSqlDatabase& db) {
            LocalQuery::exec(
                db, QStringLiteral("update Initialization set PickerCheck2 = 1, DefaultPicker = '离职员工', "
                                   "PackageOperatorCheck = 0, PackageIDCheck2 = 0"));
        });
        f.logInAndShow(DemoLogins::kAdminName, DemoLogins::kAdminPassword);
        OrderDatabase& shop = f.demo.orderDb();
        const QStringList staff = QStringList{QString()} + shop.staffNames();
        QVERIFY(staff.size() > 2);
        QCOMPARE(entries(f.find<QComboBox>("Picker")), staff);
        QCOMPARE(entries(f.find<QComboBox>("ComboBoxSndOpr")), staff);
        QCOMPARE(entries(f.find<QComboBox>("PackageID")), QStringList{QString()} + shop.packageNames());
        QCOMPARE(entries(f.find<QComboBox>("ComboShop")), QStringList{QString()} + shop.shopNames());
        QCOMPARE(entries(f.find<QComboBox>("ComboBoxSnd")), QStringList{QString()} + shop.logisticNames());
        QVERIFY(f.find<QComboBox>("Count")->count() > 0);
        for (const char* bar : {"StatusBar1", "StatusBar2", "StatusBar3", "StatusBar4"}) {
            QCOMPARE(f.find<PanelStatusBar>(bar)->panelText(0), QStringLiteral("登陆用户：admin | 管理员"));
        }
        auto* picker = f.find<QComboBox>("Picker");
        QCOMPARE(picker->currentIndex(), -1);
        QVERIFY(f.find<QCheckBox>("PickerCheck2")->isChecked());
        QVERIFY(!picker->isEnabled());
        QVERIFY(f.find("PickerCheck2")->isEnabled());
        // A staff box not asked for is locked with its remember box.
        QVERIFY(!f.find("PackageOperator")->isEnabled());
        QVERIFY(!f.find("PackageOperatorCheck2")->isEnabled());
        QVERIFY(f.find("PackageID")->isEnabled());
        // The telephone column is hidden by the shipped configuration.
        QVERIFY(f.find<QTreeWidget>("ListView1")->isColumnHidden(22));

        f.find<QTabWidget>("PageControl1")->setCurrentIndex(3);
        for (const auto& [button, dialogClass] :
             {std::pair{"BitBtn3", "TSndStyleDlg"}, std::pair{"Button3", "TElectronicScaleSetDlg"}}) {
            QString shown;
            QTimer::singleShot(0, f.main.get(), [&shown] {
                QWidget* dialog = QApplication::activeModalWidget();
                shown = dialog ? QString::fromLatin1(dialog->metaObject()->className()) : QString();
                if (dialog) {
                    dialog->close();
                }
            });
            QTest::mouseClick(f.find<QPushButton>(button), Qt::LeftButton);
            QCOMPARE(shown, QString::fromLatin1(dialogClass));
        }
        // Closing the scale settings changes nothing: weights stay typed.
        QCOMPARE(f.demo.session->scale().scaleTypeIndex, kManualScaleTypeIndex);
        QVERIFY(!f.demo.session->scaleReader().hasReader());

        // The query tab follows the change too, keeping the search type the operator chose.
        auto* searchType = f.find<QComboBox>("SearchTypel");
        searchType->setCurrentIndex(3);
        auto* summary = f.find<QCheckBox>("CheckBox4");
        const bool was = summary->isChecked();
        QVERIFY(f.demo.session->settings().storeSummary(!was, nullptr));
        QCOMPARE(summary->isChecked(), !was);
        QCOMPARE(searchType->currentIndex(), 3);
    }

    void startAsAnOperator()
    {
        StationFixture f;
        // Before the login: the scale's state, the query tab's buttons and dates.
        QCOMPARE(f.box("Edit2")->text(), QStringLiteral("电子秤未连接"));
        QCOMPARE(f.box("Edit4")->text(), QStringLiteral("电子秤未连接"));
        QVERIFY(!f.find("ButtonUp")->isEnabled());
        QVERIFY(!f.find("ButtonDown")->isEnabled());
        const QDate today = QDate::currentDate();
        QCOMPARE(f.find<QDateEdit>("DateTimePickerFrom")->date(), QDate(today.year(), today.month(), 1));
        QCOMPARE(f.find<QDateEdit>("DateTimePickerTo")->date(), today);
        QCOMPARE(f.demo.session->scale().scaleTypeIndex, kManualScaleTypeIndex);

        f.logInAndShow();
        QVERIFY(f.demo.prompter.messages.isEmpty());
        const int width = f.main->width();
        // Typed weights with the manual scale type.
        for (const char* box : {"Edit2", "Edit4"}) {
            QVERIFY(!f.box(box)->isReadOnly());
            QCOMPARE(f.box(box)->text(), QString());
        }
        QCOMPARE(f.find<QCheckBox>("CheckBox1")->text(), QStringLiteral("记住"));
        QCOMPARE(f.find<QCheckBox>("CheckInput")->text(), QStringLiteral("记住"));
        QCOMPARE(f.find<PanelStatusBar>("StatusBar1")->panelText(0),
                 QStringLiteral("登陆用户：operator | 非管理员"));

        // Tab: weight, waybill, ship button, as on the screen; the postage box, the options and the
        // staff boxes take no focus.
        QStringList walked{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 4; ++i) {
            f.press(Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, (QStringList{"Edit2", "Edit1", "Button1", "qt_tabwidget_tabbar", "Edit2"}));

        // F1 and F2 reach the boxes also from a box with a key filter, on the two weighing tabs.
        f.box("Edit1")->setText(QStringLiteral("YT123"));
        f.box("Edit2")->setText(QStringLiteral("1.5"));
        f.press(Qt::Key_F2);
        QCOMPARE(QApplication::focusWidget(), f.box("Edit1"));
        QCOMPARE(f.box("Edit1")->selectedText(), QStringLiteral("YT123"));
        f.press(Qt::Key_F1);
        QCOMPARE(QApplication::focusWidget(), f.box("Edit2"));
        QCOMPARE(f.box("Edit2")->selectedText(), QStringLiteral("1.5"));
        auto* tabs = f.find<QTabWidget>("PageControl1");
        tabs->setCurrentIndex(1);
        f.box("Edit4")->setText(QStringLiteral("0.25"));
        f.press(Qt::Key_F1);
        QCOMPARE(QApplication::focusWidget(), f.box("Edit4"));
        QCOMPARE(f.box("Edit4")->selectedText(), QStringLiteral("0.25"));
        f.press(Qt::Key_F2);
        QCOMPARE(QApplication::focusWidget(), f.box("Edit5"));
        tabs->setCurrentIndex(2);
        QWidget* before = QApplication::focusWidget();
        f.press(Qt::Key_F1);
        f.press(Qt::Key_F2);
        QCOMPARE(QApplication::focusWidget(), before);

        // A long scan's outcome does not widen the window.
        tabs->setCurrentIndex(0);
        const QString scan = QStringLiteral("YT") + QString(58, QLatin1Char('8'));
        f.box("Edit1")->setText(scan);
        QTest::keyClick(f.box("Edit1"), Qt::Key_Return);
        QCOMPARE(f.find<QLabel>("LabelOutcome")->text(), QStringLiteral("单号不存在  ") + scan);
        QTest::qWait(50); // the layout takes in the new text
        QCOMPARE(f.main->width(), width);

        // The weight boxes show the scale's states whole, without widening the window.
        for (const auto& [box, tab] : {std::pair{"Edit2", 0}, std::pair{"Edit4", 1}}) {
            tabs->setCurrentIndex(tab);
            QLineEdit* weight = f.box(box);
            for (const QString& state : {QStringLiteral("电子秤未连接"), QStringLiteral("串口线已拔出")}) {
                weight->setText(state);
                QTest::qWait(20);
                // The room a line edit leaves for its text: inside its frame, 2 pixels off each side.
                const int room = weight->contentsRect().width() - weight->textMargins().left() -
                                 weight->textMargins().right() -
                                 2 * weight->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4;
                const int text = weight->fontMetrics().horizontalAdvance(state);
                QVERIFY2(text <= room, qPrintable(QStringLiteral("%1: %2 px of text in %3 px")
                                                      .arg(QString::fromLatin1(box))
                                                      .arg(text)
                                                      .arg(room)));
                QCOMPARE(f.main->width(), width);
            }
        }

        // Esc does not hide the main window: the program would run on without a window. Closing it
        // ends the program.
        QSignalSpy closed(f.login.get(), &TLogin::closed);
        QTest::keyClick(f.main.get(), Qt::Key_Escape);
        QVERIFY(f.main->isVisible());
        QCOMPARE(closed.count(), 0);
        f.main->close();
        QCOMPARE(closed.count(), 1);
        QVERIFY(f.demo.session->context().loginWindowClosed);
    }

    void unreadablePostageFile()
    {
        TempDataFolder folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Postage.db"))); // a folder where the file should be
        RecordingPrompter prompter;
        RecordingSoundPlayer sounds;
        StationSession session(folder.path(), prompter, sounds);
        QString error;
        QVERIFY(!session.start(&error));
        QVERIFY2(error.startsWith(QStringLiteral("程序配置文件访问失败!")), qPrintable(error));
        QCOMPARE(session.scale().scaleTypeIndex, -1);
        // The windows are still built, and the postage settings say why they cannot open.
        TLogin login(session);
        TFunctionsDlg main(session, login);
        QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("BitBtn3")), Qt::LeftButton);
        QCOMPARE(prompter.messages, QStringList{QStringLiteral("程序配置文件访问失败!")});
    }

    void secondInstanceIsRefused()
    {
        QTemporaryDir lockFolder;
        auto first = std::make_unique<SingleInstance>(lockFolder.path());
        QVERIFY(first->acquire());
        QVERIFY(!SingleInstance(lockFolder.path()).acquire());
        first.reset();
        QVERIFY(SingleInstance(lockFolder.path()).acquire());
    }
};

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
