#include "ChildControl.h"
#include "DemoFolder.h"
#include "GoodsShop.h"

#include "goods/gui/GoodsTab.h"
#include "scale/ScaleReaderHost.h"
#include "scale/ScaleTypes.h"
#include "store/LocalQuery.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QtTest>

namespace {

const char kMug[] = "陶瓷马克杯"; // 380 g
const char kHoney[] = "槐花蜂蜜"; // never weighed

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

// The goods tab on the second page of a tab widget, as in the main window, over a demo shop whose
// session works on the shop made for the test; the tab's controls by their names.
struct TabRig
{
    GoodsShop shop;
    DemoFolder demo{[this](QSqlDatabase& loginDb) {
        LocalQuery::exec(loginDb, QStringLiteral("update server set ServerIP = ? where ID = 3"),
                         {QString::fromLatin1(kEmbeddedPrefix) + shop.path()});
    }};
    RecordingPrompter& prompter = demo.prompter;
    ScaleReaderHost& reader = demo.session->scaleReader();
    QTabWidget window;
    QLineEdit* otherPage = new QLineEdit;
    GoodsTab* tab;

    template <typename T> T* find(const char* name) const
    {
        return childControl<T>(*tab, QString::fromLatin1(name));
    }
    QLineEdit* Edit4 = find<QLineEdit>("Edit4");
    QLineEdit* Edit5 = find<QLineEdit>("Edit5");
    QLineEdit* Edit6 = find<QLineEdit>("Edit6");
    QComboBox* Count = find<QComboBox>("Count");
    QCheckBox* CheckInput = find<QCheckBox>("CheckInput");
    QCheckBox* CheckCapacity = find<QCheckBox>("CheckCapacity");
    QPushButton* Entry = find<QPushButton>("Entry");
    QPlainTextEdit* Memo3 = find<QPlainTextEdit>("Memo3");

    explicit TabRig(int scaleTypeIndex)
        : tab(makeTab(demo, scaleTypeIndex))
    {
        window.addTab(otherPage, QStringLiteral("扫描称重"));
        window.addTab(tab, QStringLiteral("商品称重"));
        if (scaleTypeIndex == kManualScaleTypeIndex) {
            // What the main window does for typed weights when it is shown.
            CheckInput->setText(QStringLiteral("记住"));
            Edit4->setReadOnly(false);
        }
        Edit4->clear();
        window.show();
        if (!QTest::qWaitForWindowActive(&window)) {
            qWarning("the window did not become active");
        }
        otherPage->setFocus();
        window.setCurrentIndex(1);
    }
    static GoodsTab* makeTab(DemoFolder& demo, int scaleTypeIndex)
    {
        demo.logIn();
        demo.session->scale().scaleTypeIndex = scaleTypeIndex;
        return new GoodsTab(*demo.session);
    }

    QStringList memo() const { return Memo3->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts); }

    void scan(const QString& barcode)
    {
        Edit5->selectAll();
        QTest::keyClicks(Edit5, barcode);
        QTest::keyClick(Edit5, Qt::Key_Return);
    }
};

// A click on the box of a check box (its middle may lie beyond the caption).
void clickBox(QCheckBox* box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

// An outcome line of the log: the time of day, then the given text.
bool isLogLine(const QString& line, const QString& afterTime)
{
    static const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d"));
    return time.match(line).hasMatch() && line.mid(8) == afterTime;
}

} // namespace

class TestGoodsTab : public QObject
{
    Q_OBJECT

private slots:
    void typedWeights()
    {
        TabRig rig(kManualScaleTypeIndex);
        // Tab leaves the weight box and Backtab comes back, the typed weight kept.
        QCOMPARE(QApplication::focusWidget(), rig.Edit4);
        QTest::keyClicks(rig.Edit4, QStringLiteral("0.5"));
        QTest::keyClick(rig.Edit4, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != rig.Edit4);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), rig.Edit4);
        QCOMPARE(rig.Edit4->text(), QStringLiteral("0.5"));
        // Its filter: letters, signs and a second point are dropped.
        rig.Edit4->selectAll();
        QTest::keyClicks(rig.Edit4, QStringLiteral("a0-.5.2kg"));
        QCOMPARE(rig.Edit4->text(), QStringLiteral("0.52"));
        QTest::keyClick(rig.Edit4, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), rig.Edit5);
        // Back in the weight box, Enter before any other key does nothing.
        rig.Edit4->setFocus();
        QTest::keyClick(rig.Edit4, Qt::Key_Return);
        QCOMPARE(rig.demo.sounds.played, QStringList{"Ding.wav"});
        QCOMPARE(QApplication::focusWidget(), rig.Edit4);

        rig.scan(QStringLiteral("ab1"));
        QVERIFY(isLogLine(rig.memo().value(0), u(" : AB1 : 编号的商品不存在!")));
        const QString barcode = rig.shop.barcode(u(kHoney));
        rig.scan(barcode);
        QCOMPARE(rig.shop.weight(u(kHoney)), QStringLiteral("520"));
        QCOMPARE(rig.find<QLineEdit>("GoodWeight")->text(), QStringLiteral("520"));
        const QStringList memo = rig.memo();
        QVERIFY2(isLogLine(memo.value(0), u(" : ") + barcode + u(" : 商品重量信息更改成功!")),
                 qPrintable(memo.value(0)));
        // Outcome lines go on top, the goods lines below the earlier ones.
        QCOMPARE(memo.mid(2), (QStringList{u("商品名称：槐花蜂蜜"), u("商品规格：500g"), u("商品重量：0")}));
        QCOMPARE(QApplication::focusWidget(), rig.Edit4);
        QCOMPARE(rig.Edit4->selectedText(), QStringLiteral("0.52"));

        // "Remember": the typed weight serves the following barcodes.
        clickBox(rig.CheckInput);
        QVERIFY(rig.Edit4->isReadOnly());
        QCOMPARE(QApplication::focusWidget(), rig.Edit5);
        rig.scan(rig.shop.barcode(u(kMug)));
        QCOMPARE(rig.shop.weight(u(kMug)), QStringLiteral("520"));
        QCOMPARE(QApplication::focusWidget(), rig.Edit5);
        clickBox(rig.CheckInput);
        QVERIFY(!rig.Edit4->isReadOnly());
        QCOMPARE(QApplication::focusWidget(), rig.Edit4);

        // A point or "00" at the start is refused as typed.
        for (const char* typed : {".", "00"}) {
            rig.Edit4->clear();
            QTest::keyClicks(rig.Edit4, QString::fromLatin1(typed));
            QCOMPARE(rig.Edit4->text(), QString());
        }
        QCOMPARE(rig.prompter.messages, QStringList(2, u("输入非法数据!")));
    }

    void samplingControls()
    {
        TabRig rig(kManualScaleTypeIndex);
        // Offering the list again replaces it; a listed "0" is no typing.

        for (int i = 0; i < 2; ++i) {
            LocalQuery::exec(rig.demo.loginDb(), QStringLiteral("delete from Capacity"));
            LocalQuery::exec(rig.demo.loginDb(),
                             QStringLiteral("insert into Capacity (ID, Count) values (1, '3'), (2, '0')"));
            rig.tab->loadSettings();
        }
        QCOMPARE(rig.Count->count(), 2);
        QVERIFY(!rig.Count->isEnabled());
        clickBox(rig.CheckCapacity);
        QVERIFY(rig.Count->isEnabled() && rig.Edit6->isEnabled());

        // Keys reach the count through the combo box as the keyboard sends them, or its line edit.
        rig.Count->setFocus();
        QTest::keyClicks(rig.Count, QStringLiteral("x0."));
        QTest::keyClick(rig.Count->lineEdit(), Qt::Key_Return);
        QCOMPARE(rig.Count->currentText(), QStringLiteral("0"));
        QCOMPARE(rig.Count->count(), 2);
        QCOMPARE(rig.prompter.messages, QStringList{u("首位数字禁止为0!")});
        rig.Edit4->setText(QStringLiteral("0.5"));
        rig.Count->setCurrentIndex(0);
        rig.scan(rig.shop.barcode(u(kHoney)));
        QCOMPARE(rig.Edit6->text(), QStringLiteral("166.6"));
        QCOMPARE(rig.shop.weight(u(kHoney)), QStringLiteral("166.6"));

        clickBox(rig.CheckCapacity);
        QCOMPARE(rig.Count->currentText(), QString());
        QCOMPARE(rig.Edit6->text(), QString());
        QVERIFY(!rig.Count->isEnabled() && !rig.Edit6->isEnabled());
    }

    void scaleSimulator()
    {
        const QString tools = qEnvironmentVariable("ZELVO_TOOLS_DIR");
        QVERIFY2(!tools.isEmpty(), "ZELVO_TOOLS_DIR is not set (run the test through ctest)");
        // The simulated scale is this test's own child: ended here whatever the outcome.
        struct Simulator : QProcess
        {
            ~Simulator() override
            {
                if (state() != QProcess::NotRunning) {
                    kill();
                    waitForFinished(5000);
                }
            }
        } scale;
        scale.start(
            tools + QStringLiteral("/zelvo-scale"),
            QStringLiteral("simulate --protocol A --weight 0.52 --interval 50").split(QLatin1Char(' ')));
        QVERIFY(scale.waitForReadyRead(10000));
        const ReaderConfig config{.scaleTypeIndex = 0,
                                  .portNumber = 1,
                                  .device = QString::fromUtf8(scale.readLine()).trimmed(),
                                  .scaleRange = 30.0};

        TabRig rig(0);
        // The reader's status texts reach the box whole, however long; the log holds 50 lines, then
        // starts afresh.
        const QString status = u("错误，重量已经超过量程!");
        rig.tab->showScaleWeight(status);
        rig.Entry->click();
        QVERIFY(isLogLine(rig.memo().value(0), u(" : ") + status + u(" : 重量值错误!")));
        for (int i = 1; i < 50; ++i) {
            rig.Entry->click();
        }
        QCOMPARE(rig.memo().size(), 50);
        rig.Entry->click();
        QCOMPARE(rig.memo(), QStringList{rig.memo().value(0)});

        QVERIFY2(rig.reader.start(config), qPrintable(rig.prompter.messages.join(QLatin1Char('\n'))));
        QTRY_COMPARE(rig.Edit4->text(), QStringLiteral("0.52"));
        QCOMPARE(QApplication::focusWidget(), rig.Edit5);
        rig.scan(rig.shop.barcode(u(kHoney)));
        QCOMPARE(rig.shop.weight(u(kHoney)), QStringLiteral("520"));

        // By hand: the reader rests and the typed weight stays while the scale goes on sending.
        clickBox(rig.CheckInput);
        QVERIFY(!rig.Edit4->isReadOnly() && rig.reader.isSuspended());
        QCOMPARE(rig.Edit4->text(), QString());
        rig.Edit4->setFocus();
        QTest::keyClicks(rig.Edit4, QStringLiteral("0.3"));
        QTest::qWait(300);
        rig.scan(rig.shop.barcode(u(kMug)));
        QCOMPARE(rig.shop.weight(u(kMug)), QStringLiteral("300"));

        clickBox(rig.CheckInput);
        QVERIFY(rig.Edit4->isReadOnly() && !rig.reader.isSuspended());
        QTRY_COMPARE(rig.Edit4->text(), QStringLiteral("0.52"));

        // A scale gone quiet shows the reader's text, which is no weight.
        scale.write("stop\n");
        QTRY_COMPARE_WITH_TIMEOUT(rig.Edit4->text(), u("读取数据中!"), 5000);
        rig.scan(rig.shop.barcode(u(kHoney)));
        QVERIFY(isLogLine(rig.memo().value(0), u(" : 读取数据中! : 重量值错误!")));
        QCOMPARE(rig.shop.weight(u(kHoney)), QStringLiteral("520"));
        rig.reader.stopAndWait();
    }
};

QTEST_MAIN(TestGoodsTab)
#include "TestGoodsTab.moc"
