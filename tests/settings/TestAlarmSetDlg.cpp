// The weight alarm settings offscreen, typed into key by key: what OK stores, what is refused, the
// rule stored at each click, and the ship procedure checking parcels against what was stored.
#include "ChildControl.h"
#include "station/StationShop.h"

#include "settings/gui/TAlarmSetDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

struct AlarmDialog
{
    StationShop shop;
    TAlarmSetDlg dialog{shop.demo.session->settings(), shop.prompter};

    AlarmDialog() { QVERIFY(dialog.AlarmFormShow()); }

    template <typename T = QLineEdit> T* find(const QString& name) const
    {
        return childControl<T>(dialog, name);
    }
    QLineEdit* box(const char* prefix, int row) const
    {
        return find(QLatin1String(prefix) + QString::number(row));
    }
    void click(const char* button) const { find<QAbstractButton>(QLatin1String(button))->click(); }
    // A row typed as "range end|from|to|percent"; empty parts are left alone.
    void type(int row, const QString& typed) const
    {
        const QStringList parts = typed.split(QLatin1Char('|'));
        const char* prefixes[] = {"EdtEw", "EditAS", "EditAE", "EditAP"};
        for (int i = 0; i < parts.size() && i < 4; ++i) {
            QTest::keyClicks(box(prefixes[i], row), parts[i]);
        }
    }
    // The stored brackets, each "from|to|normal from|normal to|percent" as the file gives them.
    QStringList stored()
    {
        QStringList rows;
        QSqlQuery query = StationShop::run(shop.demo.loginDb(),
                                           QStringLiteral("select ifnull(WeightFrom, 'null'), WeightTo, "
                                                          "NormalFrom, NormalTo, NormalPercent from AlarmSet "
                                                          "order by ID"),
                                           {});
        while (query.next()) {
            QStringList columns;
            for (int i = 0; i < 5; ++i) {
                columns << query.value(i).toString();
            }
            rows << columns.join(QLatin1Char('|'));
        }
        return rows;
    }
    QString rule()
    {
        QSqlQuery query =
            StationShop::run(shop.demo.loginDb(),
                             QStringLiteral("select RbAlarmRang || RbAlarmPercent from Initialization"), {});
        return query.next() ? query.value(0).toString() : QString();
    }
};

} // namespace

class TestAlarmSetDlg : public QObject
{
    Q_OBJECT

private slots:
    void brackets_data()
    {
        QTest::addColumn<QString>("rule");     // the button clicked
        QTest::addColumn<QStringList>("rows"); // rows 1 … n as typed after clearing
        QTest::addColumn<bool>("clearBeforeOk");
        QTest::addColumn<QStringList>("stored");
        const QStringList gap{"500|10|100|", "1000|20|200|", "", "3000|30|300|"};
        QTest::newRow("safe intervals, row 3 empty")
            << "RbAlarmRang" << gap << false
            << QStringList{"0|500|10|100|", "500|1000|20|200|", "|3000|30|300|"};
        QTest::newRow("percentages, row 3 empty")
            << "RbAlarmPercent" << QStringList{"500|||20", "1000|||15", "", "3000|||9"} << false
            << QStringList{"0|500|||20", "500|1000|||15", "|3000|||9"};
        QTest::newRow("the other rule's boxes are not stored")
            << "RbAlarmRang" << QStringList{"500|10|100|"} << false << QStringList{"0|500|10|100|"};
        QTest::newRow("first row incomplete")
            << "RbAlarmRang" << QStringList{"500|10||", "1000|20|200|"} << false << QStringList{};
        QTest::newRow("clear, then OK") << "RbAlarmRang" << gap << true << QStringList{};
    }

    void brackets()
    {
        QFETCH(QString, rule);
        QFETCH(QStringList, rows);
        QFETCH(bool, clearBeforeOk);
        QFETCH(QStringList, stored);
        AlarmDialog f;
        QCOMPARE(f.stored().size(), 6); // the shipped brackets
        f.click("BtnClear");
        f.click(rule.toLatin1().constData());
        for (int row = 0; row < rows.size(); ++row) {
            f.type(row + 1, rows[row]);
        }
        // Boxes of the rule not in force are locked: typing there changes nothing.
        f.type(1, rule == QLatin1String("RbAlarmRang") ? "|||7" : "|5|6|");
        if (clearBeforeOk) {
            f.click("BtnClear");
        }
        f.click("BtnDecide");
        QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.stored(), stored);
        QVERIFY(f.shop.prompter.messages.isEmpty());
    }

    // Keys other than digits never arrive; a value may not start with what no weight starts with.
    void typing_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("refusals");
        const auto row = [](const char* name, const char* box, const char* typed, const char* shown,
                            int refusals) {
            QTest::newRow(name) << QString::fromLatin1(box) << QString::fromLatin1(typed)
                                << QString::fromLatin1(shown) << refusals;
        };
        row("range end 00", "EdtEw2", "00", "", 1);
        row("range end 0", "EdtEw2", "0", "0", 0);
        row("range end, point and letters", "EdtEw2", ".5a0-", "50", 0);
        row("range end, six digits", "EdtEw9", "123456", "12345", 0);
        row("interval 0", "EditAS1", "0", "", 1);
        row("interval 05", "EditAE3", "05", "5", 1);
        row("percentage 0", "EditAP1", "0", "", 1);
        row("percentage, three digits", "EditAP4", "123", "12", 0);
    }

    void typing()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, refusals);
        AlarmDialog f;
        f.click(box.startsWith(QLatin1String("EditAP")) ? "RbAlarmPercent" : "RbAlarmRang");
        QLineEdit* edit = f.find(box);
        edit->clear();
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), shown);
        QCOMPARE(f.shop.prompter.messages, QStringList(refusals, QStringLiteral("输入违法数据!")));
    }

    // Each start label follows the range end above it; clearing keeps the captions.
    void startLabels()
    {
        AlarmDialog f;
        QCOMPARE(f.find<QLabel>("LbSw1")->text(), QStringLiteral("0克~"));
        QCOMPARE(f.find<QLabel>("LbSw3")->text(), QStringLiteral("1000克~")); // shipped row 2
        // Stored numbers read as typed, also the large ones.
        QCOMPARE(f.box("EdtEw", 6)->text(), QStringLiteral("100000"));
        QCOMPARE(f.find<QLabel>("LbSw7")->text(), QStringLiteral("100000克~"));
        QLineEdit* end = f.box("EdtEw", 2);
        end->clear();
        QTest::keyClicks(end, QStringLiteral("500"));
        QCOMPARE(f.find<QLabel>("LbSw3")->text(), QStringLiteral("500克~"));
        QCOMPARE(f.find<QLabel>("LbSw2")->text(), QStringLiteral("500克~")); // shipped row 1
        f.click("BtnClear");
        QCOMPARE(f.box("EdtEw", 2)->text(), QString());
        QCOMPARE(f.find<QLabel>("LbSw3")->text(), QStringLiteral("500克~"));
    }

    // The rule is stored at the click and stays after Cancel; the brackets stay as they were.
    void ruleStoredAtClick()
    {
        AlarmDialog f;
        QCOMPARE(f.rule(), QStringLiteral("10"));
        QVERIFY(f.box("EditAS", 1)->isEnabled());
        QVERIFY(!f.box("EditAP", 1)->isEnabled());
        const QStringList before = f.stored();
        f.click("RbAlarmPercent");
        QCOMPARE(f.rule(), QStringLiteral("01"));
        QVERIFY(!f.box("EditAS", 9)->isEnabled());
        QVERIFY(!f.box("EditAE", 9)->isEnabled());
        QVERIFY(f.box("EditAP", 9)->isEnabled());
        QVERIFY(f.box("EditAS", 9)->palette().color(QPalette::Base) !=
                f.box("EditAP", 9)->palette().color(QPalette::Base));
        f.click("BtnClear");
        f.click("BtnCancel");
        QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
        QCOMPARE(f.rule(), QStringLiteral("01"));
        QCOMPARE(f.stored(), before);
        // The next opening shows the percentage rule with the stored percentages.
        QVERIFY(f.dialog.AlarmFormShow());
        QVERIFY(f.find<QRadioButton>("RbAlarmPercent")->isChecked());
        QCOMPARE(f.box("EditAP", 1)->text(), QStringLiteral("20"));
    }

    // A rewrite that fails keeps the old brackets, says so and leaves the dialog open.
    void failedRewriteKeepsBrackets()
    {
        AlarmDialog f;
        const QStringList before = f.stored();
        f.shop.login("create trigger refuse_bracket before insert on AlarmSet when new.WeightTo = 3000 "
                     "begin select raise(abort, 'refused'); end");
        f.click("BtnClear");
        f.type(1, "500|10|100|");
        f.type(2, "3000|20|200|");
        f.click("BtnDecide");
        QCOMPARE(f.shop.prompter.messages, QStringList{QStringLiteral("更新失败!")});
        QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
        QCOMPARE(f.stored(), before);
    }

    // The ship procedure checks the next parcel (goods 1.098 kg, parcel 1.250 kg) against what OK stored.
    void shipUsesStoredBrackets_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("row");
        QTest::addColumn<bool>("abnormal");
        const auto row = [](const char* name, const char* rule, const char* typed, bool abnormal) {
            QTest::newRow(name) << QString::fromLatin1(rule) << QString::fromLatin1(typed) << abnormal;
        };
        row("within the interval", "RbAlarmRang", "5000|1|200|", false);
        row("above the interval", "RbAlarmRang", "5000|1|100|", true);
        row("within the percentage", "RbAlarmPercent", "5000|||20", false);
        row("above the percentage", "RbAlarmPercent", "5000|||10", true);
        row("no bracket holds the weight", "RbAlarmRang", "1000|1|999|", true);
    }

    void shipUsesStoredBrackets()
    {
        QFETCH(QString, rule);
        QFETCH(QString, row);
        QFETCH(bool, abnormal);
        AlarmDialog f;
        f.shop.login("update Initialization set CheckAlarm = 1");
        f.click("BtnClear");
        f.click(rule.toLatin1().constData());
        f.type(1, row);
        f.click("BtnDecide");
        QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
        f.shop.prompter.defaultAnswer = false;
        const ShipOutcome outcome = f.shop.ship();
        QCOMPARE(outcome == ShipOutcome::Shipped, !abnormal);
        QCOMPARE(f.shop.prompter.questions.isEmpty(), !abnormal);
    }
};

QTEST_MAIN(TestAlarmSetDlg)
#include "TestAlarmSetDlg.moc"
