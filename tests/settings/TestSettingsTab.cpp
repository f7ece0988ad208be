// The settings tab's buttons through the main window: each option stored by OK reaches the scan tab
// and the query tab at once, each opening shows what is stored, and the alarm settings and the
// maintenance commands answer from the main window.
#include "ChildControl.h"
#include "DemoFolder.h"

#include "app/gui/TFunctionsDlg.h"
#include "app/gui/TLogin.h"
#include "query/gui/QueryTab.h"
#include "settings/gui/TAlarmSetDlg.h"
#include "settings/gui/TOKRightDlg.h"
#include "settings/gui/TQtherSettingDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace {

// The options in the order the settings read them; the three staff lists first.
const QStringList kOptionBoxes{"PackageIDCheck", "PickerCheck",  "PackageOperatorCheck", "chksum",
                               "ChkOverWeight",  "MultiPostID",  "ChkCalcWeightOnce",    "CheckAlarm",
                               "ChkStableShip",  "ChkEmptyScale"};

struct Station
{
    DemoFolder demo;
    std::unique_ptr<TLogin> login = std::make_unique<TLogin>(*demo.session);
    std::unique_ptr<TFunctionsDlg> main = std::make_unique<TFunctionsDlg>(*demo.session, *login);

    explicit Station(const char* user = DemoLogins::kOperatorName,
                     const char* password = DemoLogins::kOperatorPassword)
    {
        demo.logIn(user, password);
        main->show();
        if (!QTest::qWaitForWindowExposed(main.get())) {
            qFatal("main window not shown");
        }
        main->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(3);
    }

    template <typename T = QWidget> static T* in(const QWidget& parent, const QString& name)
    {
        return childControl<T>(parent, name);
    }
    template <typename T = QWidget> T* find(const QString& name) const { return in<T>(*main, name); }

    // Clicks a button of the settings tab; the dialog of class D it opens is handed to act while
    // it is open, and then its button named close is pressed.
    template <typename D>
    void openFromTab(const char* button, const std::function<void(D&)>& act, const char* close)
    {
        bool reached = false;
        QTimer::singleShot(0, main.get(), [&] {
            auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
            if (!dialog) {
                return;
            }
            reached = true;
            act(*dialog);
            in<QPushButton>(*dialog, QLatin1String(close))->click();
        });
        in<QPushButton>(*find(QStringLiteral("SettingsTab")), QLatin1String(button))->click();
        QVERIFY(reached);
    }
    void openSettings(const std::function<void(TQtherSettingDlg&)>& act, const char* close = "Okbtn")
    {
        openFromTab<TQtherSettingDlg>("Button2", act, close);
    }
};

} // namespace

class TestSettingsTab : public QObject
{
    Q_OBJECT

private slots:
    // One option changed at a time; a staff list of the scan tab ("…Check") locks with its
    // remember box ("…Check2").
    void optionReachesTheTabs_data()
    {
        QTest::addColumn<QString>("box");
        for (const QString& box : kOptionBoxes) {
            QTest::newRow(qPrintable(box)) << box;
        }
    }

    void optionReachesTheTabs()
    {
        QFETCH(QString, box);
        Station s;
        const auto options = [&s] {
            StationSettings::Options read;
            if (!s.demo.session->settings().read(&read, nullptr)) {
                qFatal("settings unreadable");
            }
            return QList<bool>{read.package.used,  read.picker.used,   read.packer.used,    read.checkSum,
                               read.chkOverWeight, read.multiPostId,   read.calcWeightOnce, read.checkAlarm,
                               read.stableShip,    read.emptyScaleGate};
        };
        QList<bool> expected = options();
        bool shown = false;
        s.openSettings([&](TQtherSettingDlg& dialog) {
            auto* option = Station::in<QCheckBox>(dialog, box);
            shown = option->isChecked();
            option->setChecked(!shown);
        });
        const int changed = int(kOptionBoxes.indexOf(box));
        QCOMPARE(shown, expected[changed]);
        expected[changed] = !expected[changed];
        QCOMPARE(options(), expected);
        QCOMPARE(s.demo.prompter.messages, QStringList{QStringLiteral("配置修改成功!")});
        if (changed < 3) {
            // The shipped options ask for every list; now this one is not asked for.
            const QString list = box.chopped(5);
            const QString remember = box + QLatin1Char('2');
            QVERIFY(!s.find(list)->isEnabled());
            QVERIFY(!s.find(remember)->isEnabled());
            s.openSettings(
                [&](TQtherSettingDlg& dialog) { Station::in<QCheckBox>(dialog, box)->setChecked(true); });
            QVERIFY(s.find(list)->isEnabled());
            QVERIFY(s.find(remember)->isEnabled());
        }
    }

    // The empty-scale threshold and the order database's time-out are shown and stored with the
    // other options; the time-out holds at once.
    void numbersStored()
    {
        Station s;
        int grams = 0;
        int seconds = 0;
        s.openSettings([&](TQtherSettingDlg& dialog) {
            auto* threshold = Station::in<QSpinBox>(dialog, QStringLiteral("EmptyScaleWeight"));
            auto* timeout = Station::in<QSpinBox>(dialog, QStringLiteral("StatementTimeout"));
            grams = threshold->value();
            seconds = timeout->value();
            threshold->setValue(35);
            timeout->setValue(12);
        });
        QCOMPARE(grams, 20);
        QCOMPARE(seconds, 30);
        StationSettings::Options read;
        QVERIFY(s.demo.session->settings().read(&read, nullptr));
        QCOMPARE(read.emptyScaleGrams, 35);
        QCOMPARE(read.statementTimeout, 12);
        QCOMPARE(s.demo.session->orderDb().statementTimeout(), 12);
    }

    // Columns and page size reach the query tab; the postage column goes with its sum.
    void queryTabFollows()
    {
        Station s;
        auto* list = s.find<QTreeWidget>(QStringLiteral("ListView1"));
        auto* query = s.find<QueryTab>(QStringLiteral("QueryTab"));
        QVERIFY(!list->isColumnHidden(20));
        QVERIFY(list->isColumnHidden(22));
        QVERIFY(query->sumFlags()[3]);
        s.openSettings([](TQtherSettingDlg& dialog) {
            Station::in<QCheckBox>(dialog, QStringLiteral("CheckBox20"))->setChecked(false);
            Station::in<QCheckBox>(dialog, QStringLiteral("CheckBox22"))->setChecked(true);
            auto* pages = Station::in<QComboBox>(dialog, QStringLiteral("PageRow"));
            pages->setCurrentIndex(pages->findText(QStringLiteral("200")));
        });
        QVERIFY(list->isColumnHidden(20));
        QVERIFY(!list->isColumnHidden(22));
        QVERIFY(!list->isColumnHidden(19));
        QCOMPARE(query->sumFlags(), (std::array<bool, 4>{true, true, true, false}));
        QCOMPARE(s.find<QLineEdit>(QStringLiteral("Edit7"))->text(), QStringLiteral("200"));

        // Select none, then all.
        s.openSettings([](TQtherSettingDlg& dialog) {
            Station::in<QPushButton>(dialog, QStringLiteral("Button2"))->click();
        });
        for (int column = 1; column <= 22; ++column) {
            QVERIFY(list->isColumnHidden(column));
        }
        QCOMPARE(query->sumFlags(), (std::array<bool, 4>{}));
        s.openSettings([](TQtherSettingDlg& dialog) {
            Station::in<QPushButton>(dialog, QStringLiteral("Button1"))->click();
        });
        for (int column = 1; column <= 22; ++column) {
            QVERIFY(!list->isColumnHidden(column));
        }
    }

    // Each opening shows what is stored, page sizes once each; Cancel stores nothing.
    void openingShowsWhatIsStored()
    {
        Station s;
        QStringList pages;
        bool calcEnabled = true;
        bool calcTicked = false;
        const auto look = [&](TQtherSettingDlg& dialog) {
            auto* box = Station::in<QComboBox>(dialog, QStringLiteral("PageRow"));
            pages.clear();
            for (int i = 0; i < box->count(); ++i) {
                pages << box->itemText(i);
            }
            pages << QStringLiteral("current ") + box->currentText();
            auto* once = Station::in<QCheckBox>(dialog, QStringLiteral("ChkCalcWeightOnce"));
            calcEnabled = once->isEnabled();
            calcTicked = once->isChecked();
        };
        const QStringList shipped{"20", "50", "100", "200", "500", "current 50"};
        s.openSettings(
            [&](TQtherSettingDlg& dialog) {
                look(dialog);
                // Ticked while several parcels are allowed, then locked with its tick.
                Station::in<QCheckBox>(dialog, QStringLiteral("MultiPostID"))->click();
                Station::in<QCheckBox>(dialog, QStringLiteral("ChkCalcWeightOnce"))->click();
                Station::in<QCheckBox>(dialog, QStringLiteral("MultiPostID"))->click();
                Station::in<QComboBox>(dialog, QStringLiteral("PageRow"))->setCurrentIndex(0);
            },
            "Cancelbtn");
        QCOMPARE(pages, shipped);
        QVERIFY(!calcEnabled);
        QVERIFY(s.demo.prompter.messages.isEmpty());

        s.openSettings([&](TQtherSettingDlg& dialog) {
            look(dialog);
            Station::in<QCheckBox>(dialog, QStringLiteral("MultiPostID"))->click();
            Station::in<QCheckBox>(dialog, QStringLiteral("ChkCalcWeightOnce"))->click();
            Station::in<QCheckBox>(dialog, QStringLiteral("MultiPostID"))->click();
        });
        QCOMPARE(pages, shipped);
        QVERIFY(!calcTicked);
        s.openSettings(look, "Cancelbtn");
        QCOMPARE(pages, shipped);
        QVERIFY(!calcEnabled);
        QVERIFY(calcTicked);
    }

    void alarmSettingsConfirmed()
    {
        Station s;
        s.openFromTab<TAlarmSetDlg>(
            "Button4", [](TAlarmSetDlg&) {}, "BtnCancel");
        QVERIFY(s.demo.prompter.messages.isEmpty());
        s.openFromTab<TAlarmSetDlg>(
            "Button4", [](TAlarmSetDlg&) {}, "BtnDecide");
        QCOMPARE(s.demo.prompter.messages, QStringList{QStringLiteral("报警配置修改成功!")});
    }

    // The administrator confirms and types the code; the tab is busy until the command has ended.
    void maintenanceFromTheTab()
    {
        Station s(DemoLogins::kAdminName, DemoLogins::kAdminPassword);
        auto* copy = s.find<QPushButton>(QStringLiteral("FastFnBtn1"));
        auto* clear = s.find<QPushButton>(QStringLiteral("FastFnBtn2"));
        s.openFromTab<TOKRightDlg>(
            "FastFnBtn2",
            [](TOKRightDlg& dialog) {
                Station::in<QLineEdit>(dialog, QStringLiteral("Edit1"))->setText(QStringLiteral("青松明月"));
            },
            "OKBtn");
        QCOMPARE(s.demo.prompter.questions,
                 QStringList{QStringLiteral("请在软件管理员指导下运行，如有疑问请致电0555-55555555。")});
        QVERIFY(!copy->isEnabled());
        QVERIFY(!clear->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(clear->isEnabled(), 20000);
        QVERIFY(copy->isEnabled());
        QCOMPARE(s.demo.prompter.messages, QStringList{QStringLiteral("\"一键清空待审核订单\" 设置成功!")});
    }
};

QTEST_MAIN(TestSettingsTab)
#include "TestSettingsTab.moc"
