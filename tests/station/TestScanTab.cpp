// The scan tab offscreen: its key filters, Enter, the option and remember boxes, F1/F2.
#include "StationShop.h"

#include "app/gui/MessageBoxPrompter.h"
#include "app/gui/TFunctionsDlg.h"
#include "app/gui/TLogin.h"
#include "scale/PseudoTerminal.h"
#include "station/gui/ScanTab.h"
#include "store/LocalQuery.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

// The tab's controls, found by their names.
struct ScanControls
{
    explicit ScanControls(QWidget& tab)
        : Edit1(find<QLineEdit>(tab, "Edit1"))
        , Edit2(find<QLineEdit>(tab, "Edit2"))
        , Edit3(find<QLineEdit>(tab, "Edit3"))
        , Button1(find<QPushButton>(tab, "Button1"))
        , CheckBox1(find<QCheckBox>(tab, "CheckBox1"))
        , CheckBox2(find<QCheckBox>(tab, "CheckBox2"))
        , CheckBox4(find<QCheckBox>(tab, "CheckBox4"))
        , CheckBox6(find<QCheckBox>(tab, "CheckBox6"))
        , Picker(find<QComboBox>(tab, "Picker"))
        , PackageID(find<QComboBox>(tab, "PackageID"))
        , PackageOperator(find<QComboBox>(tab, "PackageOperator"))
        , Memo1(find<QPlainTextEdit>(tab, "Memo1"))
        , Memo2(find<QPlainTextEdit>(tab, "Memo2"))
        , ListViewDetail(find<QTreeWidget>(tab, "ListViewDetail"))
        , edtPreWeight(find<QLineEdit>(tab, "edtPreWeight"))
        , LabelOutcome(find<QLabel>(tab, "LabelOutcome"))
    {
    }
    template <typename T> static T* find(QWidget& tab, const char* name)
    {
        T* control = tab.findChild<T*>(QString::fromLatin1(name));
        if (!control) {
            qFatal("no control %s", name);
        }
        return control;
    }

    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QPushButton* Button1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox6;
    QComboBox* Picker;
    QComboBox* PackageID;
    QComboBox* PackageOperator;
    QPlainTextEdit* Memo1;
    QPlainTextEdit* Memo2;
    QTreeWidget* ListViewDetail;
    QLineEdit* edtPreWeight;
    QLabel* LabelOutcome;
};

// The demo shop of the ship tests with a real scan tab on it, filled as the main window fills it.
struct TabFixture
{
    StationShop shop;
    std::unique_ptr<ScanTab> tabHolder;
    ScanTab& tab;
    ScanControls controls;
    ScanControls* ui = &controls;

    explicit TabFixture(int scaleTypeIndex = kManualScaleTypeIndex)
        : tabHolder(makeTab(shop, scaleTypeIndex))
        , tab(*tabHolder)
        , controls(tab)
    {
        tab.fillFromOrderDatabase();
        // As the main window's showing leaves it: typed weights start from an empty box.
        ui->Edit2->setReadOnly(scaleTypeIndex != kManualScaleTypeIndex);
        if (scaleTypeIndex == kManualScaleTypeIndex) {
            ui->Edit2->clear();
        }
        tab.show();
        tab.activateWindow();
        if (!QTest::qWaitForWindowActive(&tab)) {
            qWarning("scan tab not active");
        }
    }
    static std::unique_ptr<ScanTab> makeTab(StationShop& shop, int scaleTypeIndex)
    {
        shop.demo.session->scale().scaleTypeIndex = scaleTypeIndex;
        return std::make_unique<ScanTab>(*shop.demo.session);
    }

    QVariant setting(const char* column)
    {
        std::optional<QSqlRecord> row;
        LocalQuery::firstRow(
            shop.demo.loginDb(),
            QStringLiteral("select %1 from Initialization where ID = 1").arg(QLatin1String(column)), {}, &row,
            nullptr);
        return row ? row->value(0) : QVariant();
    }

    void type(QLineEdit* box, const QString& keys)
    {
        box->setFocus();
        for (const QChar key : keys) {
            if (key == QLatin1Char('\b')) {
                QTest::keyClick(box, Qt::Key_Backspace);
            } else {
                QTest::keyClicks(box, QString(key));
            }
        }
    }
};

} // namespace

class TestScanTab : public QObject
{
    Q_OBJECT

private slots:
    void typedWeightThenEnterShips()
    {
        TabFixture f;
        f.ui->Picker->setCurrentText(QStringLiteral("李秀兰"));
        f.ui->PackageOperator->setCurrentText(QStringLiteral("张建国"));
        f.ui->PackageID->setCurrentText(QStringLiteral("小号纸箱"));

        f.type(f.ui->Edit2, QStringLiteral("1.25"));
        QTest::keyClick(f.ui->Edit2, Qt::Key_Return);
        QCOMPARE(f.shop.sounds.played, QStringList{QStringLiteral("Ding.wav")});
        QCOMPARE(QApplication::focusWidget(), f.ui->Edit1);

        QTest::keyClicks(f.ui->Edit1, QStringLiteral("zt90001"));
        QCOMPARE(f.ui->Edit1->text(), StationShop::kWaybill);
        QTest::keyClick(f.ui->Edit1, Qt::Key_Return);

        QCOMPARE(f.tab.lastOutcome(), ShipOutcome::Shipped);
        QCOMPARE(f.ui->LabelOutcome->text(), QStringLiteral("发货成功  ZT90001"));
        QCOMPARE(f.shop.tradeColumn("TradeStatus").toInt(), 8);
        QCOMPARE(f.shop.tradeColumn("Picker").toString(), QStringLiteral("李秀兰"));
        const QStringList memo = f.ui->Memo1->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(memo.size(), 2);
        QVERIFY(memo.at(1).endsWith(QStringLiteral("邮资为：12元,发货成功!")));
        QCOMPARE(f.ui->edtPreWeight->text(), QStringLiteral("1.25KG/12元"));
        QCOMPARE(f.ui->Edit3->text(), QStringLiteral("12"));
        QCOMPARE(f.ui->Memo2->toPlainText().split(QLatin1Char('\n')).size(), 5);
        // Typed weights: the next parcel starts in the weight box, its text selected.
        QCOMPARE(QApplication::focusWidget(), f.ui->Edit2);
        QCOMPARE(f.ui->Edit2->selectedText(), QStringLiteral("1.25"));

        // The same number again is refused, and the state says so.
        QTest::keyClick(f.ui->Edit1, Qt::Key_Return);
        QCOMPARE(f.ui->LabelOutcome->text(), QStringLiteral("未发货  ZT90001"));
        f.ui->Edit1->setText(QStringLiteral("NOPE"));
        f.ui->Button1->click();
        QCOMPARE(f.ui->LabelOutcome->text(), QStringLiteral("单号不存在  NOPE"));
    }

    void weightKeys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("second point dropped") << QStringLiteral("1.2.3") << QStringLiteral("1.23");
        QTest::newRow("letters and signs dropped") << QStringLiteral("1a-2 +3") << QStringLiteral("123");
        QTest::newRow("six characters at most") << QStringLiteral("12345678") << QStringLiteral("123456");
        QTest::newRow("backspace") << QStringLiteral("12\b3") << QStringLiteral("13");
    }
    void weightKeys()
    {
        QFETCH(QString, keys);
        QFETCH(QString, text);
        TabFixture f;
        f.type(f.ui->Edit2, keys);
        QCOMPARE(f.ui->Edit2->text(), text);
    }

    void postageKeys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("second point dropped") << QStringLiteral("1.2.3") << QStringLiteral("1.23");
        QTest::newRow("five characters at most") << QStringLiteral("123456") << QStringLiteral("12345");
        QTest::newRow("letters dropped") << QStringLiteral("8x5") << QStringLiteral("85");
    }
    void postageKeys()
    {
        QFETCH(QString, keys);
        QFETCH(QString, text);
        TabFixture f;
        QVERIFY(f.ui->Edit3->isReadOnly());
        f.ui->CheckBox2->click();
        QVERIFY(!f.ui->Edit3->isReadOnly());
        QCOMPARE(QApplication::focusWidget(), f.ui->Edit3);
        f.type(f.ui->Edit3, keys);
        QCOMPARE(f.ui->Edit3->text(), text);
        // Enter in the postage box ships nothing.
        QTest::keyClick(f.ui->Edit3, Qt::Key_Return);
        QCOMPARE(f.tab.lastOutcome(), ShipOutcome::None);
        f.ui->CheckBox2->click();
        QVERIFY(f.ui->Edit3->isReadOnly());
        QVERIFY(f.ui->Edit3->text().isEmpty());
    }

    void illegalStarts_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<bool>("illegal");
        QTest::newRow(".5") << QStringLiteral(".5") << true;
        QTest::newRow("005") << QStringLiteral("005") << true;
        QTest::newRow("0.5") << QStringLiteral("0.5") << false;
    }
    void illegalStarts()
    {
        QFETCH(QString, pasted);
        QFETCH(bool, illegal);
        TabFixture f;
        // The weight box keeps the text and logs it.
        f.ui->Edit2->insert(pasted);
        QCOMPARE(f.ui->Edit2->text(), pasted);
        const QStringList memo = f.ui->Memo1->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(memo.size(), illegal ? 2 : 1);
        if (illegal) {
            QCOMPARE(memo.at(1).mid(8), QStringLiteral(" : 输入非法数据!!") + pasted);
            QCOMPARE(f.shop.sounds.played, QStringList{QStringLiteral("False.wav")});
        }
        // The postage box empties itself and says so.
        f.ui->CheckBox2->click();
        f.ui->Edit3->insert(pasted);
        QCOMPARE(f.ui->Edit3->text(), illegal ? QString() : pasted);
        QCOMPARE(f.shop.prompter.messages,
                 illegal ? QStringList{QStringLiteral("输入非法数据!")} : QStringList());
    }

    void enterMovesOnOncePerTypedWeight()
    {
        TabFixture f;
        f.type(f.ui->Edit2, QStringLiteral("1"));
        QTest::keyClick(f.ui->Edit2, Qt::Key_Return);
        f.ui->Edit2->setFocus();
        QTest::keyClick(f.ui->Edit2, Qt::Key_Return);
        QCOMPARE(f.shop.sounds.played.size(), 1);
        QCOMPARE(QApplication::focusWidget(), f.ui->Edit2);
        f.type(f.ui->Edit2, QStringLiteral("2"));
        QTest::keyClick(f.ui->Edit2, Qt::Key_Return);
        QCOMPARE(f.shop.sounds.played.size(), 2);
        QCOMPARE(QApplication::focusWidget(), f.ui->Edit1);
    }

    void manualWeightHoldsTheReader()
    {
        TabFixture f(0);
        PseudoTerminal scale;
        QVERIFY(scale.isOpen());
        ScaleReaderHost& reader = f.shop.demo.session->scaleReader();
        ReaderConfig config;
        config.scaleTypeIndex = 0;
        config.portNumber = 1;
        config.device = scale.devicePath();
        config.baudRate = 9600;
        config.scaleRange = 30;
        QVERIFY(reader.start(config));
        f.ui->Edit2->setText(QStringLiteral("0.52"));
        QVERIFY(f.ui->Edit2->isReadOnly());
        f.ui->CheckBox1->click();
        QVERIFY(!f.ui->Edit2->isReadOnly());
        QVERIFY(f.ui->Edit2->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), f.ui->Edit2);
        QVERIFY(reader.isSuspended());
        f.ui->CheckBox1->click();
        QVERIFY(f.ui->Edit2->isReadOnly());
        QVERIFY(!reader.isSuspended());
        QCOMPARE(QApplication::focusWidget(), f.ui->Edit1);
    }

    void rememberBoxes_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("entry");
        QTest::newRow("picker") << QStringLiteral("PickerCheck2") << QStringLiteral("Picker")
                                << QStringLiteral("PickerCheck2") << QStringLiteral("DefaultPicker")
                                << QStringLiteral("王晓峰");
        QTest::newRow("package") << QStringLiteral("PackageIDCheck2") << QStringLiteral("PackageID")
                                 << QStringLiteral("PackageIDCheck2") << QStringLiteral("DefalutPackageID")
                                 << QStringLiteral("快递袋");
        QTest::newRow("packer") << QStringLiteral("PackageOperatorCheck2")
                                << QStringLiteral("PackageOperator")
                                << QStringLiteral("PackageOperatorCheck2")
                                << QStringLiteral("DefaultPackageOperator") << QStringLiteral("赵磊");
    }
    void rememberBoxes()
    {
        QFETCH(QString, box);
        QFETCH(QString, list);
        QFETCH(QString, flag);
        QFETCH(QString, value);
        QFETCH(QString, entry);
        TabFixture f;
        auto* remember = f.tab.findChild<QCheckBox*>(box);
        auto* staff = f.tab.findChild<QComboBox*>(list);
        QVERIFY(remember && staff && remember->isEnabled() && staff->isEnabled());
        staff->setCurrentText(entry);
        remember->click();
        QVERIFY(!staff->isEnabled());
        QCOMPARE(f.setting(flag.toLatin1().constData()).toInt(), 1);
        QCOMPARE(f.setting(value.toLatin1().constData()).toString(), entry);

        // Unticking stores the current value all the same.
        remember->click();
        QVERIFY(staff->isEnabled());
        QCOMPARE(f.setting(flag.toLatin1().constData()).toInt(), 0);
        QCOMPARE(f.setting(value.toLatin1().constData()).toString(), entry);

        // A new tab restores the tick and locks the list on the value.
        remember->click();
        ScanTab again(*f.shop.demo.session);
        again.fillFromOrderDatabase();
        QVERIFY(again.findChild<QCheckBox*>(box)->isChecked());
        QVERIFY(!again.findChild<QComboBox*>(list)->isEnabled());
        QCOMPARE(again.findChild<QComboBox*>(list)->currentText(), entry);
    }

    void optionBoxesStored()
    {
        TabFixture f;
        f.ui->ListViewDetail->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("x")}));
        const bool summary = f.ui->CheckBox4->isChecked();
        f.ui->CheckBox4->click();
        QCOMPARE(f.setting("check4").toInt(), summary ? 0 : 1);
        if (summary) {
            QCOMPARE(f.ui->ListViewDetail->topLevelItemCount(), 0);
        }
        f.ui->CheckBox6->click();
        QCOMPARE(f.setting("check6").toInt(), 1);
        f.ui->CheckBox6->click();
        QCOMPARE(f.setting("check6").toInt(), 0);
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
        f.shop.prompter.onAsk = [&](const QString&) { bannerWhileAsked = f.ui->LabelOutcome->text(); };
        f.ui->Edit2->setText(QStringLiteral("9.9"));
        f.ui->Edit1->setText(StationShop::kWaybill);
        QTest::keyClick(f.ui->Edit1, Qt::Key_Return);

        QCOMPARE(bannerWhileAsked, QStringLiteral("重量异常  商品:0.978kg  包裹:9.900kg"));
        QCOMPARE(f.shop.tradeColumn("TradeStatus").toInt(), 5);
        QCOMPARE(f.ui->Edit1->text(), QStringLiteral("ZT90002"));
        QCOMPARE(f.ui->Edit1->selectedText(), QStringLiteral("ZT90002"));
        QVERIFY(f.ui->Memo1->toPlainText()
                    .split(QLatin1Char('\n'))
                    .at(1)
                    .endsWith(QStringLiteral(" : ZT90002 : 询问未回答时扫描,未发货,请按回车发货!")));
    }

    // A scanner's number and Enter reaching an open question answer Cancel and leave the number.
    void scannerNeverAnswersYes()
    {
        MessageBoxPrompter prompter;
        QTimer::singleShot(0, [] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            QTest::keyClicks(box->focusWidget() ? box->focusWidget() : box, QStringLiteral("YT999"));
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
        });
        QVERIFY(!prompter.ask(QStringLiteral("是否发货?")));
        QCOMPARE(prompter.takeTypedDuringQuestion(), QStringLiteral("YT999"));
        QCOMPARE(prompter.takeTypedDuringQuestion(), QString());
    }

    // The window's F1 and F2 reach the boxes also while the focus sits in a filtered box.
    void functionKeys()
    {
        DemoFolder demo;
        TLogin login(*demo.session);
        TFunctionsDlg main(*demo.session, login);
        demo.logIn();
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        ScanControls controls(*main.findChild<ScanTab*>());
        ScanControls* ui = &controls;
        ui->Edit1->setText(QStringLiteral("YT1"));
        ui->Edit2->setText(QStringLiteral("1.5"));

        ui->Edit2->setFocus();
        QTest::keyClick(ui->Edit2, Qt::Key_F2);
        QCOMPARE(QApplication::focusWidget(), ui->Edit1);
        QCOMPARE(ui->Edit1->selectedText(), QStringLiteral("YT1"));
        QTest::keyClick(ui->Edit1, Qt::Key_F1);
        QCOMPARE(QApplication::focusWidget(), ui->Edit2);
        QCOMPARE(ui->Edit2->selectedText(), QStringLiteral("1.5"));
        QCOMPARE(ui->Edit2->text(), QStringLiteral("1.5"));
    }
};

QTEST_MAIN(TestScanTab)
#include "TestScanTab.moc"
