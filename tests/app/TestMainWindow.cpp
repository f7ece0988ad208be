#include "DemoFolder.h"
#include "RecordingPrompter.h"
#include "RecordingSoundPlayer.h"

#include "app/LoginContext.h"
#include "app/LoginService.h"
#include "app/ServerRow.h"
#include "app/SingleInstance.h"
#include "app/gui/PanelStatusBar.h"
#include "app/gui/TFunctionsDlg.h"
#include "app/gui/TLogin.h"
#include "scale/ScaleReaderHost.h"
#include "scale/ScaleTypes.h"
#include "store/DemoOrderData.h"
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

// The windows as a start builds them, logged in as the demo operator and shown.
struct StationFixture
{
    DemoFolder demo;
    RecordingPrompter& prompter = demo.prompter;
    const LoginContext& context = demo.session->context();
    std::unique_ptr<TLogin> login;
    std::unique_ptr<TFunctionsDlg> main;

    explicit StationFixture(const std::function<void(QSqlDatabase&)>& prepare = {})
        : demo(prepare)
    {
        login = std::make_unique<TLogin>(*demo.session);
        main = std::make_unique<TFunctionsDlg>(*demo.session, *login);
    }

    void logInAndShow(const char* user = DemoLogins::kOperatorName,
                      const char* pw = DemoLogins::kOperatorPassword)
    {
        demo.logIn(user, pw);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    }

    template <typename T> T* find(const char* name) const
    {
        T* widget = main->findChild<T*>(QString::fromLatin1(name));
        if (!widget) {
            qFatal("no control %s", name);
        }
        return widget;
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
    void constructionBeforeLogin();
    void formShowFillsTheLists();
    void typedWeightsWithTheManualScaleType();
    void rememberedStaffNoLongerListed();
    void functionKeys();
    void unreadablePostageFile();
    void closingEndsTheProgram();
    void settingsButtonsOpenTheirDialogs();
    void secondInstanceIsRefused();
    void longOutcomeKeepsTheWindowWidth();
    void tabFollowsTheScanTab();
    void weightBoxesShowTheScaleStateWhole_data();
    void weightBoxesShowTheScaleStateWhole();
};

void TestMainWindow::constructionBeforeLogin()
{
    StationFixture f;
    QCOMPARE(f.find<QLineEdit>("Edit2")->text(), QStringLiteral("电子秤未连接"));
    QCOMPARE(f.find<QLineEdit>("Edit4")->text(), QStringLiteral("电子秤未连接"));
    QCOMPARE(f.main->windowTitle(), QStringLiteral("Zelvo V2.0 B2014010622"));
    QCOMPARE(f.find<QTabWidget>("PageControl1")->currentIndex(), 0);
    QCOMPARE(f.find<QTabWidget>("PageControl1")->count(), 4);
    QVERIFY(!f.find<QWidget>("ButtonUp")->isEnabled());
    QVERIFY(!f.find<QWidget>("ButtonDown")->isEnabled());
    const QDate today = QDate::currentDate();
    QCOMPARE(f.find<QDateEdit>("DateTimePickerFrom")->date(), QDate(today.year(), today.month(), 1));
    QCOMPARE(f.find<QDateEdit>("DateTimePickerTo")->date(), today);
    QCOMPARE(f.demo.session->scale().scaleTypeIndex, kManualScaleTypeIndex);
    QVERIFY(f.find<QCheckBox>("CheckBox4")->isChecked());
    QVERIFY(f.prompter.messages.isEmpty());
}

void TestMainWindow::formShowFillsTheLists()
{
    StationFixture f;
    f.logInAndShow(DemoLogins::kAdminName, DemoLogins::kAdminPassword);
    OrderDatabase& shop = f.demo.orderDb();

    const QStringList staff = QStringList{QString()} + shop.staffNames();
    QVERIFY(staff.size() > 2);
    QCOMPARE(entries(f.find<QComboBox>("Picker")), staff);
    QCOMPARE(entries(f.find<QComboBox>("PackageOperator")), staff);
    QCOMPARE(entries(f.find<QComboBox>("ComboBoxSndOpr")), staff);
    QCOMPARE(entries(f.find<QComboBox>("PackageID")), QStringList{QString()} + shop.packageNames());
    QCOMPARE(entries(f.find<QComboBox>("ComboShop")), QStringList{QString()} + shop.shopNames());
    QCOMPARE(entries(f.find<QComboBox>("ComboBoxSnd")), QStringList{QString()} + shop.logisticNames());
    QCOMPARE(f.find<QComboBox>("SearchTypel")->count(), 10);
    QCOMPARE(f.find<QComboBox>("WeightTypel")->count(), 4);
    QCOMPARE(f.find<QLineEdit>("Edit7")->text(), QStringLiteral("50"));
    QVERIFY(f.find<QComboBox>("Count")->count() > 0);

    for (const char* bar : {"StatusBar1", "StatusBar2", "StatusBar3", "StatusBar4"}) {
        QCOMPARE(f.find<PanelStatusBar>(bar)->panelText(0), QStringLiteral("登陆用户：admin | 管理员"));
    }
    // The telephone column is hidden by the shipped configuration.
    auto* list = f.find<QTreeWidget>("ListView1");
    QVERIFY(list->isColumnHidden(22));
    QVERIFY(!list->isColumnHidden(1));
}

void TestMainWindow::typedWeightsWithTheManualScaleType()
{
    StationFixture f;
    f.logInAndShow();
    for (const char* box : {"Edit2", "Edit4"}) {
        QVERIFY(!f.find<QLineEdit>(box)->isReadOnly());
        QCOMPARE(f.find<QLineEdit>(box)->text(), QString());
    }
    QCOMPARE(f.find<QCheckBox>("CheckBox1")->text(), QStringLiteral("记住"));
    QCOMPARE(f.find<QCheckBox>("CheckInput")->text(), QStringLiteral("记住"));
    QCOMPARE(QApplication::focusWidget(), f.find<QLineEdit>("Edit2"));
    QCOMPARE(f.find<PanelStatusBar>("StatusBar1")->panelText(0),
             QStringLiteral("登陆用户：operator | 非管理员"));
}

void TestMainWindow::rememberedStaffNoLongerListed()
{
    StationFixture f([](QSqlDatabase& db) {
        LocalQuery::exec(
            db, QStringLiteral("update Initialization set PickerCheck2 = 1, DefaultPicker = '离职员工', "
                               "PackageOperatorCheck = 0, PackageIDCheck2 = 0"));
    });
    f.logInAndShow();
    auto* picker = f.find<QComboBox>("Picker");
    QCOMPARE(picker->currentIndex(), -1);
    QVERIFY(f.find<QCheckBox>("PickerCheck2")->isChecked());
    QVERIFY(!picker->isEnabled());
    QVERIFY(f.find<QCheckBox>("PickerCheck2")->isEnabled());
    // A staff box not asked for is locked with its remember box.
    QVERIFY(!f.find<QComboBox>("PackageOperator")->isEnabled());
    QVERIFY(!f.find<QCheckBox>("PackageOperatorCheck2")->isEnabled());
    QVERIFY(f.find<QComboBox>("PackageID")->isEnabled());
}

void TestMainWindow::functionKeys()
{
    StationFixture f;
    f.logInAndShow();
    auto* tabs = f.find<QTabWidget>("PageControl1");
    auto* waybill = f.find<QLineEdit>("Edit1");
    waybill->setText(QStringLiteral("YT123"));
    QTest::keyClick(f.main.get(), Qt::Key_F2);
    QCOMPARE(QApplication::focusWidget(), waybill);
    QCOMPARE(waybill->selectedText(), QStringLiteral("YT123"));
    QTest::keyClick(f.main.get(), Qt::Key_F1);
    QCOMPARE(QApplication::focusWidget(), f.find<QLineEdit>("Edit2"));

    tabs->setCurrentIndex(1);
    auto* goodsWeight = f.find<QLineEdit>("Edit4");
    goodsWeight->setText(QStringLiteral("0.25"));
    QTest::keyClick(f.main.get(), Qt::Key_F1);
    QCOMPARE(QApplication::focusWidget(), goodsWeight);
    QCOMPARE(goodsWeight->selectedText(), QStringLiteral("0.25"));
    QTest::keyClick(f.main.get(), Qt::Key_F2);
    QCOMPARE(QApplication::focusWidget(), f.find<QLineEdit>("Edit5"));

    tabs->setCurrentIndex(2);
    QWidget* before = QApplication::focusWidget();
    QTest::keyClick(f.main.get(), Qt::Key_F1);
    QTest::keyClick(f.main.get(), Qt::Key_F2);
    QCOMPARE(QApplication::focusWidget(), before);
}

void TestMainWindow::unreadablePostageFile()
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

void TestMainWindow::closingEndsTheProgram()
{
    StationFixture f;
    QSignalSpy closed(f.login.get(), &TLogin::closed);
    f.login->show();
    f.logInAndShow();
    f.login->hide();
    // Esc does not hide the main window: the program would run on without a window.
    QTest::keyClick(f.main.get(), Qt::Key_Escape);
    QVERIFY(f.main->isVisible());
    QCOMPARE(closed.count(), 0);
    f.main->close();
    QCOMPARE(closed.count(), 1);
    QVERIFY(f.context.loginWindowClosed);
}

void TestMainWindow::settingsButtonsOpenTheirDialogs()
{
    StationFixture f;
    f.logInAndShow(DemoLogins::kAdminName, DemoLogins::kAdminPassword);
    f.find<QTabWidget>("PageControl1")->setCurrentIndex(3);
    for (const char* button : {"BitBtn3", "Button3"}) {
        QString shown;
        QTimer::singleShot(0, f.main.get(), [&shown] {
            QWidget* dialog = QApplication::activeModalWidget();
            shown = dialog ? QString::fromLatin1(dialog->metaObject()->className()) : QString();
            if (dialog) {
                dialog->close();
            }
        });
        QTest::mouseClick(f.find<QPushButton>(button), Qt::LeftButton);
        QCOMPARE(shown, QString::fromLatin1(qstrcmp(button, "BitBtn3") == 0 ? "TSndStyleDlg"
                                                                            : "TElectronicScaleSetDlg"));
    }
    // Closing the scale settings changes nothing: weights stay typed.
    QCOMPARE(f.demo.session->scale().scaleTypeIndex, kManualScaleTypeIndex);
    QVERIFY(!f.demo.session->scaleReader().hasReader());

    // An option changed through the settings reaches the tabs at once.
    auto* summary = f.find<QCheckBox>("CheckBox4");
    const bool was = summary->isChecked();
    QVERIFY(f.demo.session->settings().storeSummary(!was, nullptr));
    QCOMPARE(summary->isChecked(), !was);
}

void TestMainWindow::secondInstanceIsRefused()
{
    QTemporaryDir lockFolder;
    auto first = std::make_unique<SingleInstance>(lockFolder.path());
    QVERIFY(first->acquire());
    SingleInstance second(lockFolder.path());
    QVERIFY(!second.acquire());
    first.reset();
    SingleInstance third(lockFolder.path());
    QVERIFY(third.acquire());
}

void TestMainWindow::longOutcomeKeepsTheWindowWidth()
{
    StationFixture f;
    f.logInAndShow();
    const int width = f.main->width();
    const QString scan = QStringLiteral("YT") + QString(58, QLatin1Char('8'));
    f.find<QLineEdit>("Edit2")->setText(QStringLiteral("1.25"));
    auto* waybill = f.find<QLineEdit>("Edit1");
    waybill->setText(scan);
    QTest::keyClick(waybill, Qt::Key_Return);
    QCOMPARE(f.find<QLabel>("LabelOutcome")->text(), QStringLiteral("单号不存在  ") + scan);
    QTest::qWait(50); // the layout takes in the new text
    QCOMPARE(f.main->width(), width);
}

void TestMainWindow::tabFollowsTheScanTab()
{
    // Weight, waybill, ship button, as on the screen; the postage box, the options and the staff
    // boxes take no focus from Tab.
    StationFixture f;
    f.logInAndShow();
    QStringList walked{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(walked, (QStringList{"Edit2", "Edit1", "Button1", "qt_tabwidget_tabbar", "Edit2"}));
}

void TestMainWindow::weightBoxesShowTheScaleStateWhole_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("text");
    QTest::newRow("scan, not connected") << "Edit2" << 0 << "电子秤未连接";
    QTest::newRow("scan, unplugged") << "Edit2" << 0 << "串口线已拔出";
    QTest::newRow("goods, not connected") << "Edit4" << 1 << "电子秤未连接";
    QTest::newRow("goods, unplugged") << "Edit4" << 1 << "串口线已拔出";
}

void TestMainWindow::weightBoxesShowTheScaleStateWhole()
{
    QFETCH(QString, box);
    QFETCH(int, tab);
    QFETCH(QString, text);
    StationFixture f;
    f.logInAndShow();
    const int width = f.main->width();
    f.find<QTabWidget>("PageControl1")->setCurrentIndex(tab);
    auto* weight = f.find<QLineEdit>(qPrintable(box));
    weight->setText(text);
    QTest::qWait(20);
    // The room a line edit leaves for its text: inside its frame, 2 pixels off each side.
    const int room = weight->contentsRect().width() - weight->textMargins().left() -
                     weight->textMargins().right() -
                     2 * weight->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4;
    QVERIFY2(weight->fontMetrics().horizontalAdvance(text) <= room,
             qPrintable(QStringLiteral("%1 px of text in %2 px")
                            .arg(weight->fontMetrics().horizontalAdvance(text))
                            .arg(room)));
    QCOMPARE(f.main->width(), width);
}

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
