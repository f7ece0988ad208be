#include "ScaleLoginDb.h"

#include "scale/ComDeviceMap.h"
#include "scale/PseudoTerminal.h"
#include "scale/ScaleFrames.h"
#include "scale/ScaleReaderHost.h"
#include "scale/ScaleRecording.h"
#include "scale/ScaleSettingsApply.h"
#include "scale/ScaleView.h"
#include "scale/gui/TElectronicScaleSetDlg.h"

#include "support/RecordingPrompter.h"
#include "support/TempDataFolder.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
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
    for (const QFileInfo& fd :
         QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
        count += fd.symLinkTarget() == device ? 1 : 0;
    }
    return count;
}

// A login.db whose COM1 is a pseudo-terminal, and what the main window holds of the scale.
struct Station
{
    explicit Station(const QString& path, ScaleState initial = {1, 0, 9600, 30.0})
        : login(path)
        , state(initial)
    {
        ComDeviceMap::ensureTable(login.db(), nullptr);
        ComDeviceMap::store(login.db(), 1, line.devicePath(), nullptr);
    }
    void start() { ScaleSettingsApply::startAtShow(state, login.db(), host, view); }
    bool apply(int port, int type, const QString& range, const QString& rate, const QString& device)
    {
        return apply(ScaleChoice{port, type, range, rate, device});
    }
    bool apply(const ScaleChoice& choice)
    {
        return ScaleSettingsApply::apply(choice, state, login.settings, login.db(), host, view, prompter);
    }
    QString stored(const char* sql) { return login.value(sql).toString(); }
    // The reader and the main window's weight boxes, in a few words.
    QString described() const
    {
        const QString reader = !host.hasReader()        ? QStringLiteral("no reader")
                               : host.isSuspended()     ? QStringLiteral("suspended")
                               : host.isStopRequested() ? QStringLiteral("stopping")
                                                        : QStringLiteral("reading");
        return QStringLiteral("%1, %2 open, %3, scan %4, goods %5, %6 clears")
            .arg(reader)
            .arg(openCount(line.devicePath()))
            .arg(view.caption, view.scanReadOnly ? QStringLiteral("locked") : QStringLiteral("typed"),
                 view.goodsReadOnly ? QStringLiteral("locked") : QStringLiteral("typed"))
            .arg(view.clears);
    }

    ScaleLoginDb login;
    PseudoTerminal line;
    RecordingPrompter prompter;
    ScaleReaderHost host{prompter};
    FakeView view;
    ScaleState state;
};

} // namespace

class TestScaleSettings : public QObject
{
    Q_OBJECT

    TempDataFolder m_folder;
    int m_serial = 0;
    // A scale reading its port, shared by the runs that must leave it as it is.
    std::unique_ptr<Station> m_running;

    QString nextDb() { return m_folder.file(QStringLiteral("login%1.db").arg(++m_serial)); }
    Station& running()
    {
        if (!m_running) {
            m_running = std::make_unique<Station>(nextDb());
            m_running->start();
        }
        return *m_running;
    }

private slots:
    void upgradesOnFirstAndSecondShowing()
    {
        ScaleLoginDb login(nextDb(), 3, QStringLiteral("湘平ES"));
        QVERIFY(login.isOk());
        RecordingPrompter prompter;
        ScaleState state{1, 0, 9600, 30.0};
        TElectronicScaleSetDlg dialog(login.db(), prompter, state);
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("ComboBox1"));

        dialog.show();
        QCOMPARE(types->count(), 4);
        QCOMPARE(types->itemText(0), QStringLiteral("VarnikC"));
        QCOMPARE(types->itemText(3), QStringLiteral("VarnikA1"));
        QCOMPARE(login.value("select ScaleRange from ScaleTypel where ID=4").toString(),
                 QStringLiteral("30"));
        // A file without a table of devices falls back on the defaults.
        QCOMPARE(dialog.choice().device, QStringLiteral("/dev/ttyS0"));
        dialog.hide();
        for (int showing = 2; showing <= 3; ++showing) {
            dialog.show();
            QCOMPARE(types->count(), 5);
            QCOMPARE(types->itemText(4), QStringLiteral("VarnikB"));
            QCOMPARE(login
                         .value("select count(*) || '|' || (select ScaleNumber from Scale where ID=1) "
                                "from ScaleTypel")
                         .toString(),
                     QStringLiteral("5|5"));
            dialog.hide();
        }
        QCOMPARE(prompter.messages, QStringList());
    }

    void dialogShowsAndFollowsTheChoice()
    {
        ScaleLoginDb login(nextDb());
        QVERIFY(login.exec("update ScaleTypel set BaudRate = null where ID = 3"));
        QVERIFY(login.exec("update ScaleTypel set ScaleRange = '' where ID = 5"));
        QVERIFY(ComDeviceMap::ensureTable(login.db(), nullptr));
        QVERIFY(ComDeviceMap::store(login.db(), 2, QStringLiteral("/dev/serial/by-id/usb-scale"), nullptr));
        RecordingPrompter prompter;
        ScaleState state{3, 1, 1200, 30.0};
        TElectronicScaleSetDlg dialog(login.db(), prompter, state);
        dialog.show();
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        auto* ports = dialog.findChild<QComboBox*>(QStringLiteral("ComboBox2"));
        // What OK would apply, and whether a port can be chosen.
        const auto offered = [&] {
            const ScaleChoice c = dialog.choice();
            return QStringLiteral("COM%1|%2|%3|%4|%5|%6")
                .arg(c.portNumber)
                .arg(c.scaleTypeIndex)
                .arg(c.range, c.baudRate, c.device,
                     ports->isEnabled() ? QStringLiteral("ports") : QStringLiteral("no ports"));
        };

        // The settings in force.
        QCOMPARE(ports->count(), 20);
        QCOMPARE(ports->currentText(), QStringLiteral("COM3"));
        QCOMPARE(types->currentIndex(), 1);
        QCOMPARE(offered(), QStringLiteral("COM3|1|30|1200|/dev/ttyS2|ports"));

        // The device follows the port, range and rate follow the type, prompting where none is kept.
        ports->setCurrentIndex(1);
        QCOMPARE(offered(), QStringLiteral("COM2|1|30|1200|/dev/serial/by-id/usb-scale|ports"));
        types->setCurrentIndex(3);
        QCOMPARE(offered(), QStringLiteral("COM2|3|30|9600|/dev/serial/by-id/usb-scale|no ports"));
        types->setCurrentIndex(2);
        QCOMPARE(offered(),
                 QStringLiteral("COM2|2|30|请输入VarnikB波特率!|/dev/serial/by-id/usb-scale|ports"));
        types->setCurrentIndex(4);
        QCOMPARE(offered(),
                 QStringLiteral("COM2|4|请输入VarnikD量程!|9600|/dev/serial/by-id/usb-scale|ports"));

        // Cancelled: the next showing offers, and would apply, the settings in force again.
        dialog.reject();
        state.scaleTypeIndex = kManualScaleTypeIndex;
        dialog.show();
        QCOMPARE(types->currentIndex(), kManualScaleTypeIndex);
        QCOMPARE(offered(), QStringLiteral("COM3|3|30|9600|/dev/ttyS2|no ports"));
    }

    void rangeAndRateKeys_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("illegal");
        const auto row = [](const char* name, const char* box, const char* typed, const char* text,
                            bool illegal) {
            QTest::newRow(name) << QString::fromUtf8(box) << QString::fromUtf8(typed)
                                << QString::fromUtf8(text) << illegal;
        };
        row("range second point", "Range", "3.0.", "3.0", false);
        row("range letters", "Range", "3a0kg", "30", false);
        row("range point first", "Range", ".", "", true);
        row("range two zeros", "Range", "00", "", true);
        row("range one zero then point", "Range", "0.5", "0.5", false);
        row("range four characters", "Range", "123456", "1234", false);
        row("rate digits only", "Rate", "96a.00", "9600", false);
        row("rate four characters", "Rate", "115200", "1152", false);
    }
    void rangeAndRateKeys()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(bool, illegal);
        RecordingPrompter prompter;
        TElectronicScaleSetDlg dialog(running().login.db(), prompter, running().state);
        dialog.show();
        auto* edit = dialog.findChild<QLineEdit*>(box);
        edit->clear();
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), text);
        QCOMPARE(prompter.messages, illegal ? QStringList{QStringLiteral("输入违法数据!")} : QStringList());
        // Pasting bypasses nothing.
        edit->clear();
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), QString());
    }

    void defaultDevices_data()
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
    void defaultDevices()
    {
        QFETCH(int, com);
        QFETCH(QString, device);
        QCOMPARE(ComDeviceMap::defaultDevice(com), device);
    }

    void storedChoiceAndNewReader()
    {
        Station s(nextDb());
        const QString missing = QStringLiteral("/dev/ttyUSB-zelvo-missing");
        QVERIFY(s.apply(5, 1, QStringLiteral("50."), QStringLiteral("2400"), missing));
        QCOMPARE(s.stored("select Com || '|' || ScaleType from Initialization where ID=1"),
                 QStringLiteral("5|2"));
        QCOMPARE(s.stored("select ScaleRange || '|' || BaudRate from ScaleTypel where ID=2"),
                 QStringLiteral("50.|2400"));
        QCOMPARE(ComDeviceMap::device(s.login.db(), 5), missing);
        QCOMPARE(s.state.portNumber, 5);
        QCOMPARE(s.state.scaleTypeIndex, 1);
        QCOMPARE(s.state.baudRate, 2400);
        QCOMPARE(s.state.scaleRange, 50.0);
        // The settings stay stored when the new port does not open.
        QCOMPARE(s.prompter.messages, QStringList({QStringLiteral("电子秤配置修改成功!"),
                                                   missing + QStringLiteral(":无法连接，请检查!")}));
        QCOMPARE(s.described(),
                 QStringLiteral("stopping, 0 open, 手动输入重量, scan locked, goods locked, 1 clears"));
    }

    // Typed weights at the start, a scale chosen, the same scale again, typed weights chosen, the
    // scale chosen while a manual weight is ticked: never more than one reader on the port.
    void typedWeightsAndBack()
    {
        Station s(nextDb(), {1, kManualScaleTypeIndex, 9600, 30.0});
        QVERIFY(s.line.isOpen());
        QStringList shown;
        connect(&s.host, &ScaleReaderHost::weightText, &s.host,
                [&shown](const QString& text) { shown.append(text); });
        const QString device = s.line.devicePath();
        s.start();
        QCOMPARE(s.described(), QStringLiteral("no reader, 0 open, 记住, scan typed, goods typed, 1 clears"));
        for (int clears = 2; clears <= 3; ++clears) {
            QVERIFY(s.apply(1, 0, QStringLiteral("30"), QStringLiteral("9600"), device));
            QCOMPARE(s.described(),
                     QStringLiteral("reading, 1 open, 手动输入重量, scan locked, goods locked, %1 clears")
                         .arg(clears));
        }
        QVERIFY(s.line.write(ScaleFrames::frame(0, 1.5).repeated(3)));
        QTRY_COMPARE(shown.value(0), QStringLiteral("1.5"));

        QVERIFY(s.apply(1, 3, QStringLiteral("30"), QStringLiteral("9600"), QString()));
        QCOMPARE(s.described(), QStringLiteral("no reader, 0 open, 记住, scan typed, goods typed, 4 clears"));
        QCOMPARE(s.stored("select ScaleType from Initialization where ID=1"), QStringLiteral("4"));

        // A ticked manual weight keeps its box editable and the new reader suspended.
        s.view.scanChecked = true;
        QVERIFY(s.apply(1, 0, QStringLiteral("30"), QStringLiteral("9600"), device));
        QCOMPARE(s.described(),
                 QStringLiteral("suspended, 1 open, 手动输入重量, scan typed, goods locked, 5 clears"));
        shown.clear();
        QVERIFY(s.line.write(ScaleFrames::frame(0, 2.5).repeated(5)));
        QTest::qWait(1200);
        QCOMPARE(shown, QStringList());
    }

    void refusedChoicesChangeNothing_data()
    {
        QTest::addColumn<ScaleChoice>("choice");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, int port, int type, const char* range, const char* rate,
                            const char* device, const char* message) {
            QTest::newRow(name) << ScaleChoice{port, type, QString::fromUtf8(range), QString::fromUtf8(rate),
                                               QString::fromUtf8(device)}
                                << QString::fromUtf8(message);
        };
        const char* badRange = "输入的量程数据非法，请重新输入!";
        const char* badRate = "输入的波特率数据非法，请重新输入!";
        const char* dev = "/dev/ttyUSB0";
        row("point first", 2, 1, ".5", "9600", dev, badRange);
        row("two points", 2, 1, "3.0.", "9600", dev, badRange);
        row("range prompt", 2, 1, "请输入VarnikA1量程!", "9600", dev, badRange);
        row("zero range", 2, 1, "0.", "9600", dev, badRange);
        row("rate prompt", 2, 1, "30", "请输入VarnikA1波特率!", dev, badRate);
        row("zero rate", 2, 1, "30", "0", dev, badRate);
        row("no port", 0, 1, "30", "9600", dev, "未选择端口号!");
        row("no type", 2, -1, "30", "9600", dev, "未选择电子秤的类型!");
        row("no device", 2, 1, "30", "9600", " ", "未填写串口设备!");
    }
    void refusedChoicesChangeNothing()
    {
        QFETCH(ScaleChoice, choice);
        QFETCH(QString, message);
        Station& s = running();
        s.prompter.messages.clear();
        QVERIFY(!s.apply(choice));
        QCOMPARE(s.prompter.messages, QStringList{message});
        QCOMPARE(s.stored("select Com || '|' || ScaleType from Initialization where ID=1"),
                 QStringLiteral("1|1"));
        QCOMPARE(s.stored("select ScaleRange from ScaleTypel where ID=2"), QStringLiteral("30"));
        QCOMPARE(QStringLiteral("%1|%2").arg(s.state.portNumber).arg(s.state.scaleTypeIndex),
                 QStringLiteral("1|0"));
        QCOMPARE(s.described(),
                 QStringLiteral("reading, 1 open, 手动输入重量, scan locked, goods locked, 0 clears"));
    }

    // A store that fails, at once or half way, keeps nothing of the choice and says so.
    void failedStoreKeepsNothing_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("no option row") << QStringLiteral("delete from Initialization");
        QTest::newRow("no row for the type") << QStringLiteral("delete from ScaleTypel where ID = 2");
    }
    void failedStoreKeepsNothing()
    {
        QFETCH(QString, damage);
        Station s(nextDb());
        QVERIFY(s.login.exec(damage.toUtf8().constData()));
        const char* all =
            "select ifnull((select group_concat(Com || '|' || ScaleType) from Initialization), '') || '#' || "
            "group_concat(ScaleRange || '|' || BaudRate) from ScaleTypel";
        const QString before = s.stored(all);
        QVERIFY(!s.apply(2, 1, QStringLiteral("50"), QStringLiteral("2400"), QStringLiteral("/dev/ttyUSB1")));
        QCOMPARE(s.prompter.messages.size(), 1);
        QVERIFY(s.prompter.messages.first().startsWith(QStringLiteral("电子秤配置保存失败!")));
        QCOMPARE(s.stored(all), before);
        QCOMPARE(ComDeviceMap::device(s.login.db(), 2), QStringLiteral("/dev/ttyS1"));
        QCOMPARE(s.state.scaleTypeIndex, 0);
        QCOMPARE(s.described(),
                 QStringLiteral("no reader, 0 open, 手动输入重量, scan locked, goods locked, 0 clears"));
    }

    void recentBytesSaved_data()
    {
        QTest::addColumn<QList<qint64>>("arrivals"); // a byte each, '0', '1', …
        QTest::addColumn<QString>("path");           // empty: the operator cancels
        QTest::addColumn<QString>("message");        // a prefix; empty: none
        const QString saved = m_folder.file(QStringLiteral("称重记录.txt"));
        QTest::newRow("saved") << QList<qint64>{7000, 7001, 7100} << saved
                               << QStringLiteral("称重记录已保存: ");
        QTest::newRow("nothing received")
            << QList<qint64>{} << saved << QStringLiteral("最近十分钟没有收到电子秤的数据!");
        QTest::newRow("cancelled") << QList<qint64>{7000} << QString() << QString();
        QTest::newRow("folder missing") << QList<qint64>{7000} << QStringLiteral("/nonexistent/称重记录.txt")
                                        << QStringLiteral("保存称重记录失败: ");
    }
    void recentBytesSaved()
    {
        QFETCH(QList<qint64>, arrivals);
        QFETCH(QString, path);
        QFETCH(QString, message);
        ScaleLoginDb login(nextDb());
        RecordingPrompter prompter;
        ScaleState state{1, 0, 9600, 30.0};
        RawByteHistory history;
        for (int i = 0; i < arrivals.size(); ++i) {
            history.add(arrivals.at(i), char('0' + i));
        }
        QFile::remove(path);
        TElectronicScaleSetDlg dialog(login.db(), prompter, state, nullptr, &history);
        int asked = 0;
        dialog.setRecordPathChooser([&] {
            ++asked;
            return path;
        });
        dialog.show();
        auto* button = dialog.findChild<QPushButton*>(QStringLiteral("BtnSaveRecord"));
        QVERIFY(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(asked, arrivals.isEmpty() ? 0 : 1);
        QCOMPARE(prompter.messages.size(), message.isEmpty() ? 0 : 1);
        QVERIFY(prompter.messages.value(0).startsWith(message));
        QList<RecordedChunk> loaded;
        const bool written = ScaleRecording::load(path, &loaded, nullptr);
        QCOMPARE(written, message.startsWith(QStringLiteral("称重记录已保存")));
        if (written) {
            QCOMPARE(loaded, (QList<RecordedChunk>{{0, "01"}, {100, "2"}}));
        }

        // Without the reader's bytes there is nothing to save.
        TElectronicScaleSetDlg plain(login.db(), prompter, state);
        plain.show();
        QVERIFY(!plain.findChild<QPushButton*>(QStringLiteral("BtnSaveRecord"))->isVisible());
    }
};

QTEST_MAIN(TestScaleSettings)
#include "TestScaleSettings.moc"
