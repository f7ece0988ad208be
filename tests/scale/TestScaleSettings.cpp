#include "ScaleLoginDb.h"

#include "base/InputRules.h"
#include "scale/ComDeviceMap.h"
#include "scale/PseudoTerminal.h"
#include "scale/ScaleFrames.h"
#include "scale/ScaleReaderHost.h"
#include "scale/ScaleSettingsApply.h"
#include "scale/ScaleView.h"
#include "scale/gui/TElectronicScaleSetDlg.h"

#include "support/RecordingPrompter.h"
#include "support/TempDataFolder.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

namespace {

// The main window's boxes as the scale settings leave them.
struct FakeView : ScaleView
{
    void setManualWeightCaptions(const QString& text) override { caption = text; }
    void setScanWeightReadOnly(bool readOnly) override { scanReadOnly = readOnly; }
    void setGoodsWeightReadOnly(bool readOnly) override { goodsReadOnly = readOnly; }
    void clearWeights() override { ++clears; }
    bool isScanManualWeightChecked() const override { return scanChecked; }
    bool isGoodsManualWeightChecked() const override { return goodsChecked; }

    QString caption = QStringLiteral("手动输入重量");
    bool scanReadOnly = true;
    bool goodsReadOnly = true;
    int clears = 0;
    bool scanChecked = false;
    bool goodsChecked = false;
};

// How many descriptors of this process have the device open: one per living reader.
int openCount(const QString& device)
{
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
        if (fd.symLinkTarget() == device) {
            ++count;
        }
    }
    return count;
}

ScaleChoice choiceOf(int port, int type, const QString& range, const QString& rate, const QString& device)
{
    ScaleChoice choice;
    choice.portNumber = port;
    choice.scaleTypeIndex = type;
    choice.range = range;
    choice.baudRate = rate;
    choice.device = device;
    return choice;
}

} // namespace

class TestScaleSettings : public QObject
{
    Q_OBJECT

private slots:
    void upgradesOnFirstAndSecondShowing();
    void listsShowTheSettingsInForce();
    void typeChangeFillsRangeAndRate();
    void rangeAndRateKeys_data();
    void rangeAndRateKeys();
    void cancelledChangesAreNotApplied();
    void deviceFollowsThePort();
    void defaultDevices_data();
    void defaultDevices();
    void storedChoiceAndNewReader();
    void switchingToTypedWeightsAndBack();
    void manualWeightTickedSuspendsNewReader();
    void refusedChoicesChangeNothing_data();
    void refusedChoicesChangeNothing();
    void failedStoreIsNotReportedAsSuccess();
    void startAtShowWithTypedWeights();

private:
    TempDataFolder m_folder;
    int m_serial = 0;
    QString nextDb() { return m_folder.file(QStringLiteral("login%1.db").arg(++m_serial)); }
};

void TestScaleSettings::upgradesOnFirstAndSecondShowing()
{
    ScaleLoginDb login(nextDb(), 3, QStringLiteral("湘平ES"));
    QVERIFY(login.isOk());
    RecordingPrompter prompter;
    ScaleState state{1, 0, 9600, 30.0};
    TElectronicScaleSetDlg dialog(login.db(), prompter, state);
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    QVERIFY(types);

    dialog.show();
    QCOMPARE(types->count(), 4);
    QCOMPARE(types->itemText(0), QStringLiteral("VarnikC"));
    QCOMPARE(types->itemText(3), QStringLiteral("VarnikA1"));
    QCOMPARE(login.value("select ScaleNumber from Scale where ID=1").toInt(), 4);
    QCOMPARE(login.value("select ScaleRange from ScaleTypel where ID=4").toString(), QStringLiteral("30"));
    dialog.hide();

    dialog.show();
    QCOMPARE(types->count(), 5);
    QCOMPARE(types->itemText(4), QStringLiteral("VarnikB"));
    dialog.hide();

    dialog.show();
    QCOMPARE(types->count(), 5);
    QCOMPARE(login.value("select count(*) from ScaleTypel").toInt(), 5);
    QCOMPARE(login.value("select ScaleNumber from Scale where ID=1").toInt(), 5);
    QCOMPARE(prompter.messages, QStringList());
}

void TestScaleSettings::listsShowTheSettingsInForce()
{
    ScaleLoginDb login(nextDb());
    QVERIFY(login.isOk());
    RecordingPrompter prompter;
    ScaleState state{3, 1, 1200, 30.0};
    TElectronicScaleSetDlg dialog(login.db(), prompter, state);
    dialog.show();
    auto* ports = dialog.findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    QCOMPARE(ports->count(), 20);
    QCOMPARE(ports->currentText(), QStringLiteral("COM3"));
    QVERIFY(ports->isEnabled());
    QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("ComboBox1"))->currentIndex(), 1);
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("Range"))->text(), QStringLiteral("30"));
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("Rate"))->text(), QStringLiteral("1200"));
    QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("ComDevice"))->currentText(),
             QStringLiteral("/dev/ttyS2"));
    dialog.hide();

    state.scaleTypeIndex = kManualScaleTypeIndex;
    dialog.show();
    QVERIFY(!ports->isEnabled());
}

void TestScaleSettings::typeChangeFillsRangeAndRate()
{
    ScaleLoginDb login(nextDb());
    QVERIFY(login.exec("update ScaleTypel set BaudRate = null where ID = 2"));
    QVERIFY(login.exec("update ScaleTypel set ScaleRange = '' where ID = 5"));
    RecordingPrompter prompter;
    ScaleState state{1, 0, 9600, 30.0};
    TElectronicScaleSetDlg dialog(login.db(), prompter, state);
    dialog.show();
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    auto* ports = dialog.findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    auto* range = dialog.findChild<QLineEdit*>(QStringLiteral("Range"));
    auto* rate = dialog.findChild<QLineEdit*>(QStringLiteral("Rate"));

    types->setCurrentIndex(3);
    QCOMPARE(dialog.chosenType(), 3);
    QVERIFY(!ports->isEnabled());
    types->setCurrentIndex(1);
    QVERIFY(ports->isEnabled());
    QCOMPARE(range->text(), QStringLiteral("30"));
    QCOMPARE(rate->text(), QStringLiteral("请输入VarnikA1波特率!"));
    types->setCurrentIndex(4);
    QCOMPARE(range->text(), QStringLiteral("请输入VarnikD量程!"));
    QCOMPARE(rate->text(), QStringLiteral("9600"));
    // The prompt is no range: confirming it is refused.
    QVERIFY(!InputRules::isLegalRange(dialog.choice().range));
}

void TestScaleSettings::rangeAndRateKeys_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    const QStringList illegal{QStringLiteral("输入违法数据!")};
    QTest::newRow("range with point") << "Range"
                                      << "30."
                                      << "30." << none;
    QTest::newRow("range second point") << "Range"
                                        << "3.0."
                                        << "3.0" << none;
    QTest::newRow("range letters") << "Range"
                                   << "3a0kg"
                                   << "30" << none;
    QTest::newRow("range point first") << "Range"
                                       << "."
                                       << "" << illegal;
    QTest::newRow("range two zeros") << "Range"
                                     << "00"
                                     << "" << illegal;
    QTest::newRow("range one zero then point") << "Range"
                                               << "0.5"
                                               << "0.5" << none;
    QTest::newRow("range four characters") << "Range"
                                           << "123456"
                                           << "1234" << none;
    QTest::newRow("rate digits only") << "Rate"
                                      << "96a.00"
                                      << "9600" << none;
    QTest::newRow("rate four characters") << "Rate"
                                          << "115200"
                                          << "1152" << none;
}

void TestScaleSettings::rangeAndRateKeys()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(QStringList, messages);
    ScaleLoginDb login(nextDb());
    RecordingPrompter prompter;
    ScaleState state{1, 0, 9600, 30.0};
    TElectronicScaleSetDlg dialog(login.db(), prompter, state);
    dialog.show();
    auto* edit = dialog.findChild<QLineEdit*>(box);
    QVERIFY(edit);
    edit->clear();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), text);
    QCOMPARE(prompter.messages, messages);
    // Pasting bypasses nothing.
    edit->clear();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), QString());
}

void TestScaleSettings::cancelledChangesAreNotApplied()
{
    ScaleLoginDb login(nextDb());
    RecordingPrompter prompter;
    ScaleState state{2, 0, 9600, 30.0};
    TElectronicScaleSetDlg dialog(login.db(), prompter, state);
    dialog.show();
    dialog.findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(4);
    dialog.findChild<QComboBox*>(QStringLiteral("ComboBox2"))->setCurrentIndex(6);
    QCOMPARE(dialog.chosenType(), 4);
    QCOMPARE(dialog.chosenPort(), 7);
    dialog.reject();

    dialog.show();
    QCOMPARE(dialog.chosenType(), 0);
    QCOMPARE(dialog.chosenPort(), 2);
    QCOMPARE(dialog.choice().scaleTypeIndex,
             dialog.findChild<QComboBox*>(QStringLiteral("ComboBox1"))->currentIndex());
}

void TestScaleSettings::deviceFollowsThePort()
{
    ScaleLoginDb login(nextDb());
    QVERIFY(ComDeviceMap::ensureTable(login.db(), nullptr));
    QVERIFY(ComDeviceMap::store(login.db(), 2, QStringLiteral("/dev/serial/by-id/usb-scale"), nullptr));
    RecordingPrompter prompter;
    ScaleState state{1, 0, 9600, 30.0};
    TElectronicScaleSetDlg dialog(login.db(), prompter, state);
    dialog.show();
    auto* device = dialog.findChild<QComboBox*>(QStringLiteral("ComDevice"));
    QCOMPARE(device->currentText(), QStringLiteral("/dev/ttyS0"));
    dialog.findChild<QComboBox*>(QStringLiteral("ComboBox2"))->setCurrentIndex(1);
    QCOMPARE(device->currentText(), QStringLiteral("/dev/serial/by-id/usb-scale"));
    QCOMPARE(dialog.choice().device, QStringLiteral("/dev/serial/by-id/usb-scale"));
    QCOMPARE(dialog.choice().portNumber, 2);
}

void TestScaleSettings::defaultDevices_data()
{
    QTest::addColumn<int>("com");
    QTest::addColumn<QString>("device");
    QTest::newRow("COM0") << 0 << "";
    QTest::newRow("COM1") << 1 << "/dev/ttyS0";
    QTest::newRow("COM4") << 4 << "/dev/ttyS3";
    QTest::newRow("COM5") << 5 << "/dev/ttyUSB0";
    QTest::newRow("COM12") << 12 << "/dev/ttyUSB7";
    QTest::newRow("COM13") << 13 << "/dev/ttyACM0";
    QTest::newRow("COM20") << 20 << "/dev/ttyACM7";
    QTest::newRow("COM21") << 21 << "/dev/ttyS20";
}

void TestScaleSettings::defaultDevices()
{
    QFETCH(int, com);
    QFETCH(QString, device);
    QCOMPARE(ComDeviceMap::defaultDevice(com), device);
    // Without a table of its own, a file falls back on the defaults.
    ScaleLoginDb login(nextDb());
    QCOMPARE(ComDeviceMap::device(login.db(), com), device);
}

void TestScaleSettings::storedChoiceAndNewReader()
{
    ScaleLoginDb login(nextDb());
    RecordingPrompter prompter;
    ScaleReaderHost host(prompter);
    FakeView view;
    ScaleState state{1, 0, 9600, 30.0};
    const QString missing = QStringLiteral("/dev/ttyUSB-zelvo-missing");
    QVERIFY(ScaleSettingsApply::apply(choiceOf(5, 1, QStringLiteral("50."), QStringLiteral("2400"), missing),
                                      state, login.settings, login.db(), host, view, prompter));
    QCOMPARE(login.value("select Com from Initialization where ID=1").toInt(), 5);
    QCOMPARE(login.value("select ScaleType from Initialization where ID=1").toInt(), 2);
    QCOMPARE(login.value("select ScaleRange from ScaleTypel where ID=2").toString(), QStringLiteral("50."));
    QCOMPARE(login.value("select BaudRate from ScaleTypel where ID=2").toString(), QStringLiteral("2400"));
    QCOMPARE(ComDeviceMap::device(login.db(), 5), missing);
    QCOMPARE(state.portNumber, 5);
    QCOMPARE(state.scaleTypeIndex, 1);
    QCOMPARE(state.baudRate, 2400);
    QCOMPARE(state.scaleRange, 50.0);
    // The settings stay stored when the new port does not open.
    QCOMPARE(prompter.messages, QStringList({QStringLiteral("电子秤配置修改成功!"),
                                             missing + QStringLiteral(":无法连接，请检查!")}));
    QVERIFY(host.hasReader());
    QVERIFY(host.isStopRequested());
}

void TestScaleSettings::switchingToTypedWeightsAndBack()
{
    ScaleLoginDb login(nextDb());
    PseudoTerminal line;
    QVERIFY(line.isOpen());
    RecordingPrompter prompter;
    ScaleReaderHost host(prompter);
    QStringList shown;
    connect(&host, &ScaleReaderHost::weightText, &host,
            [&shown](const QString& text) { shown.append(text); });
    FakeView view;
    ScaleState state{1, 0, 9600, 30.0};
    QVERIFY(ComDeviceMap::ensureTable(login.db(), nullptr));
    QVERIFY(ComDeviceMap::store(login.db(), 1, line.devicePath(), nullptr));
    ScaleSettingsApply::startAtShow(state, login.db(), host, view);
    QCOMPARE(openCount(line.devicePath()), 1);

    QVERIFY(ScaleSettingsApply::apply(choiceOf(1, 3, QStringLiteral("30"), QStringLiteral("9600"), QString()),
                                      state, login.settings, login.db(), host, view, prompter));
    QVERIFY(!host.hasReader());
    QCOMPARE(openCount(line.devicePath()), 0);
    QCOMPARE(view.caption, QStringLiteral("记住"));
    QVERIFY(!view.scanReadOnly);
    QVERIFY(!view.goodsReadOnly);
    QCOMPARE(view.clears, 1);
    QCOMPARE(login.value("select ScaleType from Initialization where ID=1").toInt(), 4);

    QVERIFY(ScaleSettingsApply::apply(
        choiceOf(1, 0, QStringLiteral("30"), QStringLiteral("9600"), line.devicePath()), state,
        login.settings, login.db(), host, view, prompter));
    QVERIFY(host.hasReader());
    QVERIFY(!host.isStopRequested());
    QCOMPARE(openCount(line.devicePath()), 1);
    QCOMPARE(view.caption, QStringLiteral("手动输入重量"));
    QVERIFY(view.scanReadOnly);
    QVERIFY(view.goodsReadOnly);
    QCOMPARE(view.clears, 2);

    // The same settings once more replace the reader; still one has the port.
    QVERIFY(ScaleSettingsApply::apply(
        choiceOf(1, 0, QStringLiteral("30"), QStringLiteral("9600"), line.devicePath()), state,
        login.settings, login.db(), host, view, prompter));
    QCOMPARE(openCount(line.devicePath()), 1);
    QVERIFY(line.write(ScaleFrames::frame(0, 1.5).repeated(3)));
    QTRY_COMPARE(shown.value(0), QStringLiteral("1.5"));
}

void TestScaleSettings::manualWeightTickedSuspendsNewReader()
{
    ScaleLoginDb login(nextDb());
    PseudoTerminal line;
    RecordingPrompter prompter;
    ScaleReaderHost host(prompter);
    QStringList shown;
    connect(&host, &ScaleReaderHost::weightText, &host,
            [&shown](const QString& text) { shown.append(text); });
    FakeView view;
    view.scanChecked = true;
    ScaleState state{1, 3, 9600, 30.0};
    QVERIFY(ScaleSettingsApply::apply(
        choiceOf(1, 0, QStringLiteral("30"), QStringLiteral("9600"), line.devicePath()), state,
        login.settings, login.db(), host, view, prompter));
    QVERIFY(host.isSuspended());
    QVERIFY(!view.scanReadOnly);
    QVERIFY(view.goodsReadOnly);
    QVERIFY(line.write(ScaleFrames::frame(0, 1.5).repeated(5)));
    QTest::qWait(1200);
    QCOMPARE(shown, QStringList());
}

void TestScaleSettings::refusedChoicesChangeNothing_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("message");
    const QString badRange = QStringLiteral("输入的量程数据非法，请重新输入!");
    const QString dev = QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("point first") << 2 << 1 << ".5"
                                 << "9600" << dev << badRange;
    QTest::newRow("two points") << 2 << 1 << "3.0."
                                << "9600" << dev << badRange;
    QTest::newRow("letters") << 2 << 1 << "3O"
                             << "9600" << dev << badRange;
    QTest::newRow("range prompt") << 2 << 1 << "请输入VarnikA1量程!"
                                  << "9600" << dev << badRange;
    QTest::newRow("empty range") << 2 << 1 << ""
                                 << "9600" << dev << badRange;
    QTest::newRow("zero range") << 2 << 1 << "0."
                                << "9600" << dev << badRange;
    QTest::newRow("rate prompt") << 2 << 1 << "30"
                                 << "请输入VarnikA1波特率!" << dev << "输入的波特率数据非法，请重新输入!";
    QTest::newRow("zero rate") << 2 << 1 << "30"
                               << "0" << dev << "输入的波特率数据非法，请重新输入!";
    QTest::newRow("no port") << 0 << 1 << "30"
                             << "9600" << dev << "未选择端口号!";
    QTest::newRow("no type") << 2 << -1 << "30"
                             << "9600" << dev << "未选择电子秤的类型!";
    QTest::newRow("no device") << 2 << 1 << "30"
                               << "9600"
                               << " "
                               << "未填写串口设备!";
}

void TestScaleSettings::refusedChoicesChangeNothing()
{
    QFETCH(int, port);
    QFETCH(int, type);
    QFETCH(QString, range);
    QFETCH(QString, rate);
    QFETCH(QString, device);
    QFETCH(QString, message);
    ScaleLoginDb login(nextDb());
    PseudoTerminal line;
    RecordingPrompter prompter;
    ScaleReaderHost host(prompter);
    FakeView view;
    ScaleState state{1, 0, 9600, 30.0};
    QVERIFY(ComDeviceMap::ensureTable(login.db(), nullptr));
    QVERIFY(ComDeviceMap::store(login.db(), 1, line.devicePath(), nullptr));
    ScaleSettingsApply::startAtShow(state, login.db(), host, view);
    QVERIFY(!host.isStopRequested());

    QVERIFY(!ScaleSettingsApply::apply(choiceOf(port, type, range, rate, device), state, login.settings,
                                       login.db(), host, view, prompter));
    QCOMPARE(prompter.messages, QStringList{message});
    QCOMPARE(login.value("select Com from Initialization where ID=1").toInt(), 1);
    QCOMPARE(login.value("select ScaleType from Initialization where ID=1").toInt(), 1);
    QCOMPARE(login.value("select ScaleRange from ScaleTypel where ID=2").toString(), QStringLiteral("30"));
    QCOMPARE(state.portNumber, 1);
    QCOMPARE(state.scaleTypeIndex, 0);
    QVERIFY(!host.isStopRequested());
    QCOMPARE(openCount(line.devicePath()), 1);
    QCOMPARE(view.clears, 0);
}

void TestScaleSettings::failedStoreIsNotReportedAsSuccess()
{
    ScaleLoginDb login(nextDb());
    QVERIFY(login.exec("delete from Initialization"));
    RecordingPrompter prompter;
    ScaleReaderHost host(prompter);
    FakeView view;
    ScaleState state{1, 0, 9600, 30.0};
    QVERIFY(!ScaleSettingsApply::apply(
        choiceOf(2, 1, QStringLiteral("50"), QStringLiteral("2400"), QStringLiteral("/dev/ttyUSB1")), state,
        login.settings, login.db(), host, view, prompter));
    QCOMPARE(prompter.messages.size(), 1);
    QVERIFY(prompter.messages.first().startsWith(QStringLiteral("电子秤配置保存失败!")));
    QCOMPARE(login.value("select ScaleRange from ScaleTypel where ID=2").toString(), QStringLiteral("30"));
    QCOMPARE(ComDeviceMap::device(login.db(), 2), QStringLiteral("/dev/ttyS1"));
    QCOMPARE(state.scaleTypeIndex, 0);
    QCOMPARE(view.clears, 0);
}

void TestScaleSettings::startAtShowWithTypedWeights()
{
    ScaleLoginDb login(nextDb());
    RecordingPrompter prompter;
    ScaleReaderHost host(prompter);
    FakeView view;
    ScaleSettingsApply::startAtShow(ScaleState{1, kManualScaleTypeIndex, 9600, 30.0}, login.db(), host, view);
    QVERIFY(!host.hasReader());
    QCOMPARE(view.caption, QStringLiteral("记住"));
    QVERIFY(!view.scanReadOnly);
    QVERIFY(!view.goodsReadOnly);
    QCOMPARE(view.clears, 1);
    QCOMPARE(prompter.messages, QStringList());
}

QTEST_MAIN(TestScaleSettings)
#include "TestScaleSettings.moc"
