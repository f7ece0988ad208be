// The scan tab offscreen: its key filters, Enter, the option and remember boxes, a question's banner.
#include "ChildControl.h"
#include "EventSpin.h"
#include "StationShop.h"

#include "scale/PseudoTerminal.h"
#include "scale/ScaleFrames.h"
#include "station/gui/ScanTab.h"
#include "store/LocalQuery.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>

#include <array>

namespace {

// The demo shop of the ship tests with a real scan tab on it, filled as the main window fills it;
// the tab's controls by their names.
struct TabFixture
{
    StationShop shop;
    ScanTab tab{*shop.demo.session};

    template <typename T> T* find(const char* name)
    {
        return childControl<T>(tab, QString::fromLatin1(name));
    }
    QLineEdit* Edit1 = find<QLineEdit>("Edit1");
    QLineEdit* Edit2 = find<QLineEdit>("Edit2");
    QLineEdit* Edit3 = find<QLineEdit>("Edit3");
    QCheckBox* CheckBox1 = find<QCheckBox>("CheckBox1");
    QCheckBox* CheckBox2 = find<QCheckBox>("CheckBox2");
    QCheckBox* CheckBox4 = find<QCheckBox>("CheckBox4");
    QCheckBox* CheckBox6 = find<QCheckBox>("CheckBox6");
    QPlainTextEdit* Memo1 = find<QPlainTextEdit>("Memo1");
    QLabel* LabelOutcome = find<QLabel>("LabelOutcome");

    explicit TabFixture(int scaleTypeIndex = kManualScaleTypeIndex)
    {
        shop.demo.session->scale().scaleTypeIndex = scaleTypeIndex;
        tab.fillFromOrderDatabase();
        // As the main window's showing leaves it: typed weights start from an empty box.
        Edit2->setReadOnly(scaleTypeIndex != kManualScaleTypeIndex);
        if (scaleTypeIndex == kManualScaleTypeIndex) {
            Edit2->clear();
        }
        tab.show();
        tab.activateWindow();
        if (!QTest::qWaitForWindowActive(&tab)) {
            qWarning("scan tab not active");
        }
    }

    QVariant setting(const QString& column)
    {
        std::optional<QSqlRecord> row;
        LocalQuery::firstRow(shop.demo.loginDb(),
                             QStringLiteral("select %1 from Initialization where ID = 1").arg(column), {},
                             &row, nullptr);
        return row ? row->value(0) : QVariant();
    }
    void type(QLineEdit* box, const QString& keys)
    {
        box->setFocus();
        QTest::keyClicks(box, keys);
    }
    QStringList memo() const { return Memo1->toPlainText().split(QLatin1Char('\n')); }
};

} // namespace

class TestScanTab : public QObject
{
    Q_OBJECT

private slots:
    void typedWeightThenEnterShips()
    {
        TabFixture f;
        f.find<QComboBox>("Picker")->setCurrentText(QStringLiteral("李秀兰"));
        f.find<QComboBox>("PackageOperator")->setCurrentText(QStringLiteral("张建国"));
        f.find<QComboBox>("PackageID")->setCurrentText(QStringLiteral("小号纸箱"));

        // The weight box's filter: letters, signs, a second point and a seventh character are dropped.
        f.type(f.Edit2, QStringLiteral("1a-2.5.0 +09"));
        QCOMPARE(f.Edit2->text(), QStringLiteral("12.500"));
        f.Edit2->selectAll();
        f.type(f.Edit2, QStringLiteral("1.25"));
        QTest::keyClick(f.Edit2, Qt::Key_Return);
        QCOMPARE(f.shop.sounds.played, QStringList{QStringLiteral("Ding.wav")});
        QCOMPARE(QApplication::focusWidget(), f.Edit1);
        // Enter moves on once per typed weight; typing again makes it move on again.
        f.Edit2->setFocus();
        QTest::keyClick(f.Edit2, Qt::Key_Return);
        QCOMPARE(f.shop.sounds.played.size(), 1);
        QCOMPARE(QApplication::focusWidget(), f.Edit2);
        QTest::keyClick(f.Edit2, Qt::Key_Backspace);
        f.type(f.Edit2, QStringLiteral("5"));
        QTest::keyClick(f.Edit2, Qt::Key_Return);
        QCOMPARE(f.shop.sounds.played.size(), 2);
        QCOMPARE(QApplication::focusWidget(), f.Edit1);

        QTest::keyClicks(f.Edit1, QStringLiteral("zt90001"));
        QCOMPARE(f.Edit1->text(), StationShop::kWaybill);
        QTest::keyClick(f.Edit1, Qt::Key_Return);

        QCOMPARE(f.LabelOutcome->text(), QStringLiteral("发货成功  ZT90001"));
        QCOMPARE(f.shop.tradeColumn("Picker").toString(), QStringLiteral("李秀兰"));
        QCOMPARE(f.memo().size(), 2);
        QVERIFY(f.memo().at(1).endsWith(QStringLiteral("邮资为：12元,发货成功!")));
        QCOMPARE(f.find<QLineEdit>("edtPreWeight")->text(), QStringLiteral("1.25KG/12元"));
        QCOMPARE(f.Edit3->text(), QStringLiteral("12"));
        QCOMPARE(f.find<QPlainTextEdit>("Memo2")->toPlainText().split(QLatin1Char('\n')).size(), 5);
        // Typed weights: the next parcel starts in the weight box, its text selected.
        QCOMPARE(QApplication::focusWidget(), f.Edit2);
        QCOMPARE(f.Edit2->selectedText(), QStringLiteral("1.25"));

        // The same number again is refused, and the state says so.
        QTest::keyClick(f.Edit1, Qt::Key_Return);
        QCOMPARE(f.LabelOutcome->text(), QStringLiteral("未发货  ZT90001"));
        f.Edit1->setText(QStringLiteral("NOPE"));
        f.find<QPushButton>("Button1")->click();
        QCOMPARE(f.LabelOutcome->text(), QStringLiteral("单号不存在  NOPE"));
    }

    void postageBox()
    {
        TabFixture f;
        QVERIFY(f.Edit3->isReadOnly());
        f.CheckBox2->click();
        QVERIFY(!f.Edit3->isReadOnly());
        QCOMPARE(QApplication::focusWidget(), f.Edit3);
        // Its filter: letters, a second point and a sixth character are dropped.
        f.type(f.Edit3, QStringLiteral("8x.5.678"));
        QCOMPARE(f.Edit3->text(), QStringLiteral("8.567"));
        // Enter in the postage box ships nothing.
        QTest::keyClick(f.Edit3, Qt::Key_Return);
        QCOMPARE(f.tab.lastOutcome(), ShipOutcome::None);
        // A pasted postage beginning with a point or "00" empties the box, and says so.
        for (const QString& pasted : {QStringLiteral(".5"), QStringLiteral("005"), QStringLiteral("0.5")}) {
            f.Edit3->clear();
            f.Edit3->insert(pasted);
        }
        QCOMPARE(f.Edit3->text(), QStringLiteral("0.5"));
        QCOMPARE(f.shop.prompter.messages, QStringList(2, QStringLiteral("输入非法数据!")));
        f.CheckBox2->click();
        QVERIFY(f.Edit3->isReadOnly());
        QVERIFY(f.Edit3->text().isEmpty());
    }

    // A pasted weight beginning with a point or "00" stays in the box and is logged.
    void illegalWeights()
    {
        TabFixture f;
        for (const QString& pasted : {QStringLiteral("0.5"), QStringLiteral(".5"), QStringLiteral("005")}) {
            f.Edit2->clear();
            f.Edit2->insert(pasted);
            QCOMPARE(f.Edit2->text(), pasted);
        }
        QCOMPARE(f.memo().size(), 3);
        QCOMPARE(f.memo().at(1).mid(8), QStringLiteral(" : 输入非法数据!!005"));
        QCOMPARE(f.memo().at(2).mid(8), QStringLiteral(" : 输入非法数据!!.5"));
        QCOMPARE(f.shop.sounds.played, QStringList(2, QStringLiteral("False.wav")));
    }

    // What priced the parcel: the postage box's tooltip, and its log line's while the line stays.
    void postageExplained()
    {
        TabFixture f;
        f.type(f.Edit2, QStringLiteral("1.25"));
        QTest::keyClick(f.Edit2, Qt::Key_Return);
        QTest::keyClicks(f.Edit1, QStringLiteral("zt90001"));
        QTest::keyClick(f.Edit1, Qt::Key_Return);
        QCOMPARE(f.tab.lastOutcome(), ShipOutcome::Shipped);
        const QString explained =
            QStringLiteral("普通规则 第8步(省) 规则号1\n省份以“江苏省”开头\n"
                           "重量1250克 在区间0~30000克\n首重1000克8元 + 1×续重1000克4元 = 12元");
        QCOMPARE(f.Edit3->toolTip(), explained);
        const auto lineTip = [&](int line) {
            QTextCursor cursor(f.Memo1->document()->findBlockByNumber(line));
            const QPoint at = f.Memo1->cursorRect(cursor).center();
            QHelpEvent help(QEvent::ToolTip, at, f.Memo1->viewport()->mapToGlobal(at));
            QApplication::sendEvent(f.Memo1->viewport(), &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(lineTip(1), explained);

        // A refused scan prices nothing: the box's tooltip goes, the shipped line keeps its own.
        f.Edit1->setText(QStringLiteral("NOPE"));
        QTest::keyClick(f.Edit1, Qt::Key_Return);
        QCOMPARE(f.tab.lastOutcome(), ShipOutcome::NotFound);
        QVERIFY(f.Edit3->toolTip().isEmpty());
        QToolTip::hideText();
        QTRY_VERIFY(!QToolTip::isVisible());
        QCOMPARE(lineTip(1), QString());
        QCOMPARE(lineTip(2), explained);
    }

    // The stable mark stands beside the weight box; the box holds the scale's text alone.
    void stableMark()
    {
        TabFixture f(0);
        PseudoTerminal scale;
        ScaleReaderHost& reader = f.shop.demo.session->scaleReader();
        QVERIFY(reader.start(
            {.scaleTypeIndex = 0, .portNumber = 1, .device = scale.devicePath(), .scaleRange = 30}));
        auto* mark = f.find<QLabel>("LabelStable");
        for (int frame = 0; frame < 5; ++frame) {
            scale.write(ScaleFrames::frame(0, 1.25));
            spin(100);
        }
        QVERIFY(mark->isVisible());
        QCOMPARE(mark->text(), QStringLiteral("稳定"));
        QCOMPARE(f.Edit2->text(), QStringLiteral("1.25"));
        spin(400);
        QCOMPARE(mark->text(), QStringLiteral("不稳"));
        QCOMPARE(f.Edit2->text(), QStringLiteral("1.25"));
        // Typed weights carry no mark.
        f.CheckBox1->click();
        QVERIFY(!mark->isVisible());
        f.CheckBox1->click();
        QVERIFY(mark->isVisible());
    }

    void manualWeightHoldsTheReader()
    {
        TabFixture f(0);
        PseudoTerminal scale;
        QVERIFY(scale.isOpen());
        ScaleReaderHost& reader = f.shop.demo.session->scaleReader();
        QVERIFY(reader.start(
            {.scaleTypeIndex = 0, .portNumber = 1, .device = scale.devicePath(), .scaleRange = 30}));
        f.Edit2->setText(QStringLiteral("0.52"));
        QVERIFY(f.Edit2->isReadOnly());
        f.CheckBox1->click();
        QVERIFY(!f.Edit2->isReadOnly());
        QVERIFY(f.Edit2->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), f.Edit2);
        QVERIFY(reader.isSuspended());
        f.CheckBox1->click();
        QVERIFY(f.Edit2->isReadOnly());
        QVERIFY(!reader.isSuspended());
        QCOMPARE(QApplication::focusWidget(), f.Edit1);
    }

    // A remember box is stored with its list's current value, ticked or not; a new tab restores the
    // tick and locks the list on the value.
    void rememberBoxes()
    {
        TabFixture f;
        // The remember box, also the column of its tick; its list; the column of the value; a value.
        const std::array<std::array<QString, 4>, 3> boxes = {{
            {"PickerCheck2", "Picker", "DefaultPicker", "王晓峰"},
            {"PackageIDCheck2", "PackageID", "DefalutPackageID", "快递袋"},
            {"PackageOperatorCheck2", "PackageOperator", "DefaultPackageOperator", "赵磊"},
        }};
        for (const auto& [box, list, column, entry] : boxes) {
            auto* remember = f.tab.findChild<QCheckBox*>(box);
            auto* staff = f.tab.findChild<QComboBox*>(list);
            QVERIFY(remember && staff && remember->isEnabled() && staff->isEnabled());
            staff->setCurrentText(entry);
            for (const bool ticked : {true, false, true}) {
                remember->click();
                QCOMPARE(staff->isEnabled(), !ticked);
                QCOMPARE(f.setting(box).toBool(), ticked);
                QCOMPARE(f.setting(column).toString(), entry);
            }
        }
        ScanTab again(*f.shop.demo.session);
        again.fillFromOrderDatabase();
        for (const auto& [box, list, column, entry] : boxes) {
            QVERIFY(again.findChild<QCheckBox*>(box)->isChecked());
            QVERIFY(!again.findChild<QComboBox*>(list)->isEnabled());
            QCOMPARE(again.findChild<QComboBox*>(list)->currentText(), entry);
        }
    }

    void optionBoxesStored()
    {
        TabFixture f;
        auto* details = f.find<QTreeWidget>("ListViewDetail");
        details->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("x")}));
        const bool summary = f.CheckBox4->isChecked();
        f.CheckBox4->click();
        QCOMPARE(f.setting(QStringLiteral("check4")).toInt(), summary ? 0 : 1);
        if (summary) {
            QCOMPARE(details->topLevelItemCount(), 0);
        }
        for (const int stored : {1, 0}) {
            f.CheckBox6->click();
            QCOMPARE(f.setting(QStringLiteral("check6")).toInt(), stored);
        }
        QVERIFY(f.shop.prompter.messages.isEmpty());
    }

    // While the weight question is open the banner says why; a scan that arrived meanwhile is kept
    // in the waybill box and said in the log instead of being lost.
    void questionDuringRun()
    {
        TabFixture f;
        f.shop.login("update Initialization set CheckAlarm = 1, RbAlarmRang = 1, RbAlarmPercent = 0");
        f.shop.login("update AlarmSet set NormalFrom = -50, NormalTo = 100");
        QString bannerWhileAsked;
        f.shop.prompter.defaultAnswer = false;
        f.shop.prompter.typedDuringQuestion = QStringLiteral("zt90002");
        f.shop.prompter.onAsk = [&](const QString&) { bannerWhileAsked = f.LabelOutcome->text(); };
        f.Edit2->setText(QStringLiteral("9.9"));
        f.Edit1->setText(StationShop::kWaybill);
        QTest::keyClick(f.Edit1, Qt::Key_Return);

        QCOMPARE(bannerWhileAsked, QStringLiteral("重量异常  商品:0.978kg 包裹:9.900kg"));
        QCOMPARE(f.shop.tradeColumn("TradeStatus").toInt(), 5);
        QCOMPARE(f.Edit1->text(), QStringLiteral("ZT90002"));
        QCOMPARE(f.Edit1->selectedText(), QStringLiteral("ZT90002"));
        QVERIFY(
            f.memo().at(1).endsWith(QStringLiteral(" : ZT90002 : 询问未回答时扫描,未发货,请按回车发货!")));
    }
};

QTEST_MAIN(TestScanTab)
#include "TestScanTab.moc"
