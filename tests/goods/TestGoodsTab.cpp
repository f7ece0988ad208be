#include "GoodsShop.h"
#include "RecordingPrompter.h"
#include "RecordingSoundPlayer.h"

#include "goods/gui/GoodsTab.h"
#include "scale/ScaleReaderHost.h"

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

// The goods tab on the second page of a tab widget, as in the main window, over a demo shop.
struct TabRig
{
    GoodsShop shop;
    RecordingPrompter prompter;
    RecordingSoundPlayer sounds;
    ScaleReaderHost reader{prompter};
    QTabWidget window;
    QLineEdit* otherPage = new QLineEdit;
    GoodsTab* tab = new GoodsTab;
    template <typename T> T* find(const char* name) const
    {
        T* widget = tab->findChild<T*>(QString::fromLatin1(name));
        if (!widget) {
            qFatal("no control %s", name);
        }
        return widget;
    }

    // The tab's controls by their names.
    QLineEdit* Edit4 = find<QLineEdit>("Edit4");
    QLineEdit* Edit5 = find<QLineEdit>("Edit5");
    QLineEdit* Edit6 = find<QLineEdit>("Edit6");
    QLineEdit* GoodName = find<QLineEdit>("GoodName");
    QLineEdit* GoodSpec = find<QLineEdit>("GoodSpec");
    QLineEdit* GoodWeight = find<QLineEdit>("GoodWeight");
    QComboBox* Count = find<QComboBox>("Count");
    QCheckBox* CheckInput = find<QCheckBox>("CheckInput");
    QCheckBox* CheckCapacity = find<QCheckBox>("CheckCapacity");
    QPushButton* Entry = find<QPushButton>("Entry");
    QPlainTextEdit* Memo3 = find<QPlainTextEdit>("Memo3");

    TabRig()
    {
        window.addTab(otherPage, QStringLiteral("扫描称重"));
        window.addTab(tab, QStringLiteral("商品称重"));
    }

    // Empty when ready, otherwise why not.
    QString start(int scaleTypeIndex)
    {
        if (QString error = shop.make(); !error.isEmpty()) {
            return error;
        }
        tab->setup(shop.orderDb, prompter, sounds, &reader);
        tab->setScaleTypeIndex(scaleTypeIndex);
        if (scaleTypeIndex == 3) {
            // What the main window does for typed weights when it is shown.
            CheckInput->setText(QStringLiteral("记住"));
            Edit4->setReadOnly(false);
        }
        Edit4->clear();
        window.show();
        if (!QTest::qWaitForWindowActive(&window)) {
            return QStringLiteral("the window did not become active");
        }
        otherPage->setFocus();
        window.setCurrentIndex(1);
        return {};
    }

    QStringList memo() const { return Memo3->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts); }

    void scan(const QString& barcode)
    {
        Edit5->selectAll();
        QTest::keyClicks(Edit5, barcode);
        QTest::keyClick(Edit5, Qt::Key_Return);
    }
};

#define START(rig, index)                                                                                    \
    do {                                                                                                     \
        const QString error = (rig).start(index);                                                            \
        QVERIFY2(error.isEmpty(), qPrintable(error));                                                        \
    } while (false)

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
    void typedWeightThenBarcode();
    void rememberedWeight();
    void weightBoxTakesOnlyAWeight();
    void barcodeInUpperCase();
    void sampleThroughTheControls();
    void sampleCountBox();
    void fiftyLinesThenAFreshLog();
    void scaleSimulator();
};

void TestGoodsTab::typedWeightThenBarcode()
{
    TabRig rig;
    START(rig, 3);
    QCOMPARE(QApplication::focusWidget(), rig.Edit4);

    QTest::keyClicks(rig.Edit4, QStringLiteral("0.52"));
    QTest::keyClick(rig.Edit4, Qt::Key_Return);
    QCOMPARE(rig.sounds.played, QStringList{"Ding.wav"});
    QCOMPARE(QApplication::focusWidget(), rig.Edit5);

    const QString barcode = rig.shop.barcode(u(kHoney));
    rig.scan(barcode);
    QCOMPARE(rig.shop.weight(u(kHoney)), QStringLiteral("520"));
    QCOMPARE(rig.GoodName->text(), u(kHoney));
    QCOMPARE(rig.GoodSpec->text(), QStringLiteral("500g"));
    QCOMPARE(rig.GoodWeight->text(), QStringLiteral("520"));
    const QStringList memo = rig.memo();
    QCOMPARE(memo.size(), 4);
    QVERIFY2(isLogLine(memo.at(0), u(" : ") + barcode + u(" : 商品重量信息更改成功!")),
             qPrintable(memo.at(0)));
    QCOMPARE(memo.mid(1), (QStringList{u("商品名称：槐花蜂蜜"), u("商品规格：500g"), u("商品重量：0")}));
    QCOMPARE(rig.sounds.played, (QStringList{"Ding.wav", "True.wav"}));
    // The next weight is typed first.
    QCOMPARE(QApplication::focusWidget(), rig.Edit4);
    QCOMPARE(rig.Edit4->selectedText(), QStringLiteral("0.52"));
}

void TestGoodsTab::rememberedWeight()
{
    TabRig rig;
    START(rig, 3);
    QTest::keyClicks(rig.Edit4, QStringLiteral("0.4"));
    clickBox(rig.CheckInput);
    QVERIFY(rig.Edit4->isReadOnly());
    QCOMPARE(QApplication::focusWidget(), rig.Edit5);

    // The remembered weight serves barcode after barcode.
    rig.scan(rig.shop.barcode(u(kHoney)));
    rig.scan(rig.shop.barcode(u(kMug)));
    QCOMPARE(rig.shop.weight(u(kHoney)), QStringLiteral("400"));
    QCOMPARE(rig.shop.weight(u(kMug)), QStringLiteral("400"));
    QCOMPARE(rig.prompter.questions, QStringList{u("是否替换原有的重量?")});
    QCOMPARE(rig.Edit4->text(), QStringLiteral("0.4"));
    QCOMPARE(QApplication::focusWidget(), rig.Edit5);

    clickBox(rig.CheckInput);
    QVERIFY(!rig.Edit4->isReadOnly());
    QCOMPARE(QApplication::focusWidget(), rig.Edit4);
    QCOMPARE(rig.Edit4->selectedText(), QStringLiteral("0.4"));
}

void TestGoodsTab::weightBoxTakesOnlyAWeight()
{
    TabRig rig;
    START(rig, 3);
    QTest::keyClicks(rig.Edit4, QStringLiteral("a1-.2.5kg"));
    QCOMPARE(rig.Edit4->text(), QStringLiteral("1.25"));
    QVERIFY(rig.prompter.messages.isEmpty());

    for (const QString& typed : {QStringLiteral("."), QStringLiteral("00")}) {
        rig.Edit4->clear();
        QTest::keyClicks(rig.Edit4, typed);
        QCOMPARE(rig.Edit4->text(), QString());
        QCOMPARE(rig.prompter.messages, QStringList{u("输入非法数据!")});
        rig.prompter.messages.clear();
    }
    // A weight pasted past the keys is still no weight at the entry.
    rig.Edit4->setText(QStringLiteral("1e9x"));
    rig.scan(rig.shop.barcode(u(kHoney)));
    QVERIFY(isLogLine(rig.memo().value(0), u(" : 1e9x : 重量值错误!")));
    QCOMPARE(rig.shop.writes(), 0);
}

void TestGoodsTab::barcodeInUpperCase()
{
    TabRig rig;
    START(rig, 0);
    rig.Edit4->setText(QStringLiteral("0.1"));
    rig.Edit5->setFocus();
    QTest::keyClicks(rig.Edit5, QStringLiteral("ab-1c"));
    QCOMPARE(rig.Edit5->text(), QStringLiteral("AB-1C"));
    QTest::keyClick(rig.Edit5, Qt::Key_Return);
    QCOMPARE(rig.Edit5->text(), QStringLiteral("AB-1C"));
    QVERIFY(isLogLine(rig.memo().value(0), u(" : AB-1C : 编号的商品不存在!")));
    QCOMPARE(rig.sounds.played, QStringList{"False.wav"});
}

void TestGoodsTab::sampleThroughTheControls()
{
    TabRig rig;
    START(rig, 3);
    rig.tab->setSampleCounts({QStringLiteral("3"), QStringLiteral("10")});
    rig.tab->setSampling(false);
    clickBox(rig.CheckCapacity);
    QVERIFY(rig.Count->isEnabled());
    QVERIFY(rig.Edit6->isEnabled());
    rig.Count->setCurrentIndex(0);

    rig.Edit4->setFocus();
    QTest::keyClicks(rig.Edit4, QStringLiteral("0.5"));
    rig.scan(rig.shop.barcode(u(kHoney)));
    QCOMPARE(rig.Edit6->text(), QStringLiteral("166.6"));
    QCOMPARE(rig.shop.weight(u(kHoney)), QStringLiteral("166.6"));
    QCOMPARE(rig.GoodWeight->text(), QStringLiteral("166.6"));

    // Sampling off: the count and the share are emptied and greyed, and the next weight is whole.
    clickBox(rig.CheckCapacity);
    QCOMPARE(rig.Count->currentText(), QString());
    QCOMPARE(rig.Edit6->text(), QString());
    QVERIFY(!rig.Count->isEnabled());
    QVERIFY(!rig.Edit6->isEnabled());
    rig.Edit4->setText(QStringLiteral("0.5"));
    rig.scan(rig.shop.barcode(u(kHoney)));
    QCOMPARE(rig.shop.weight(u(kHoney)), QStringLiteral("500"));
}

void TestGoodsTab::sampleCountBox()
{
    TabRig rig;
    START(rig, 0);
    // Offering the list again replaces it; a listed "0" is no typing.
    rig.tab->setSampleCounts({QStringLiteral("0"), QStringLiteral("5")});
    rig.tab->setSampleCounts({QStringLiteral("0"), QStringLiteral("5")});
    rig.tab->setSampling(true);
    QCOMPARE(rig.Count->count(), 2);
    QCOMPARE(rig.Count->currentText(), QString());
    QVERIFY(rig.prompter.messages.isEmpty());

    // Typed into the combo box as the keyboard does, and into its line edit directly.
    QComboBox* count = rig.Count;
    count->setFocus();
    QTest::keyClicks(count, QStringLiteral("1x.2 "));
    QTest::keyClicks(count->lineEdit(), QStringLiteral("a3"));
    QCOMPARE(count->currentText(), QStringLiteral("123"));
    QTest::keyClick(count, Qt::Key_Return);
    QTest::keyClick(count->lineEdit(), Qt::Key_Enter);
    QCOMPARE(count->count(), 2);
    QCOMPARE(count->currentText(), QStringLiteral("123"));

    count->clearEditText();
    QTest::keyClicks(count, QStringLiteral("0"));
    QCOMPARE(rig.prompter.messages, QStringList{u("首位数字禁止为0!")});
    QCOMPARE(count->currentText(), QStringLiteral("0"));

    // A count of 0 weighs nothing and writes nothing.
    rig.Edit4->setText(QStringLiteral("0.5"));
    rig.scan(rig.shop.barcode(u(kHoney)));
    QVERIFY(isLogLine(rig.memo().value(0), u(" : 0 : 取样数量必须是大于0的整数!")));
    QCOMPARE(rig.shop.writes(), 0);
    QCOMPARE(rig.GoodName->text(), QString());
    QVERIFY(count->hasFocus());
}

void TestGoodsTab::fiftyLinesThenAFreshLog()
{
    TabRig rig;
    START(rig, 0);
    for (int i = 0; i < 50; ++i) {
        QTest::mouseClick(rig.Entry, Qt::LeftButton);
    }
    QCOMPARE(rig.memo().size(), 50);
    rig.Edit4->setText(QStringLiteral("0.52"));
    rig.scan(rig.shop.barcode(u(kHoney)));
    const QStringList memo = rig.memo();
    QCOMPARE(memo.size(), 4);
    QVERIFY(memo.at(0).endsWith(u(" : 商品重量信息更改成功!")));
}

void TestGoodsTab::scaleSimulator()
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
    scale.start(tools + QStringLiteral("/zelvo-scale"),
                {QStringLiteral("simulate"), QStringLiteral("--protocol"), QStringLiteral("A"),
                 QStringLiteral("--weight"), QStringLiteral("0.52"), QStringLiteral("--interval"),
                 QStringLiteral("50")});
    QVERIFY(scale.waitForStarted());
    QVERIFY(scale.waitForReadyRead(10000));
    const QString device = QString::fromUtf8(scale.readLine()).trimmed();
    QVERIFY2(device.startsWith(QStringLiteral("/dev/")), qPrintable(device));

    TabRig rig;
    START(rig, 0);
    QObject::connect(&rig.reader, &ScaleReaderHost::weightText, rig.tab, &GoodsTab::showScaleWeight);
    ReaderConfig config;
    config.scaleTypeIndex = 0;
    config.portNumber = 1;
    config.device = device;
    config.scaleRange = 30.0;
    QVERIFY2(rig.reader.start(config), qPrintable(rig.prompter.messages.join(QLatin1Char('\n'))));
    QVERIFY(rig.Edit4->isReadOnly());
    QTRY_COMPARE(rig.Edit4->text(), QStringLiteral("0.52"));
    QCOMPARE(QApplication::focusWidget(), rig.Edit5);

    rig.scan(rig.shop.barcode(u(kHoney)));
    QCOMPARE(rig.shop.weight(u(kHoney)), QStringLiteral("520"));

    // By hand: the reader rests and the typed weight stays while the scale goes on sending.
    clickBox(rig.CheckInput);
    QVERIFY(!rig.Edit4->isReadOnly());
    QCOMPARE(rig.Edit4->text(), QString());
    QVERIFY(rig.reader.isSuspended());
    rig.Edit4->setFocus();
    QTest::keyClicks(rig.Edit4, QStringLiteral("0.3"));
    QTest::qWait(300);
    QCOMPARE(rig.Edit4->text(), QStringLiteral("0.3"));
    rig.scan(rig.shop.barcode(u(kMug)));
    QCOMPARE(rig.shop.weight(u(kMug)), QStringLiteral("300"));

    // Back to the scale.
    clickBox(rig.CheckInput);
    QVERIFY(rig.Edit4->isReadOnly());
    QVERIFY(!rig.reader.isSuspended());
    QTRY_COMPARE(rig.Edit4->text(), QStringLiteral("0.52"));

    // A scale gone quiet shows the reader's text, which is no weight.
    scale.write("stop\n");
    QTRY_COMPARE_WITH_TIMEOUT(rig.Edit4->text(), u("读取数据中!"), 5000);
    const int writes = rig.shop.writes();
    rig.scan(rig.shop.barcode(u(kHoney)));
    QVERIFY(isLogLine(rig.memo().value(0), u(" : 读取数据中! : 重量值错误!")));
    QCOMPARE(rig.shop.writes(), writes);

    rig.reader.stopAndWait();
    scale.write("quit\n");
    QVERIFY(scale.waitForFinished(5000));
}

QTEST_MAIN(TestGoodsTab)
#include "TestGoodsTab.moc"
