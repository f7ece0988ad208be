#include "scale/PortMessages.h"
#include "scale/PseudoTerminal.h"
#include "scale/ScaleFrames.h"
#include "scale/ScaleReaderHost.h"
#include "scale/TComThread.h"

#include "support/RecordingPrompter.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

// A scale on a pseudo-terminal and the host reading it, with every text the boxes were given.
struct Rig
{
    Rig()
    {
        QObject::connect(&host, &ScaleReaderHost::weightText, &host,
                         [this](const QString& text) { shown.append(text); });
    }

    ReaderConfig config(int index) const { return ReaderConfig{index, 1, line.devicePath(), 9600, 30.0}; }

    bool send(int index, double weight, int frames = 1)
    {
        return line.write(ScaleFrames::frame(index, weight).repeated(frames));
    }

    // Whether the prompter was told of one failure: the step that failed, the system's words, the port.
    bool toldOnce(const QString& step) const
    {
        const QString report = prompter.messages.value(0);
        return prompter.messages.size() == 1 &&
               report.startsWith("WARNING:  " + step + " Failed with the following error: \n") &&
               report.endsWith("\nPort: " + line.devicePath() + "\n");
    }

    PseudoTerminal line;
    RecordingPrompter prompter;
    ScaleReaderHost host{prompter};
    QStringList shown;
};

} // namespace

class TestComThread : public QObject
{
    Q_OBJECT

private slots:
    void framesReachTheBoxes_data();
    void framesReachTheBoxes();
    void silenceShowsReadingText();
    void lineFailuresAreToldOnce_data();
    void lineFailuresAreToldOnce();
    void portThatDoesNotOpen_data();
    void portThatDoesNotOpen();
    void failedConfigurationIsReportedAndReaderRuns();
    void stopEndsTheReaderPromptly_data();
    void stopEndsTheReaderPromptly();
    void suspendDropsBytesAndResumeSplicesNoFrame();
    void replacementKeepsTheNewFirstFrame_data();
    void replacementKeepsTheNewFirstFrame();
    void permissionFailureTexts_data();
    void permissionFailureTexts();
};

void TestComThread::framesReachTheBoxes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArrayList>("pieces"); // written 100 ms apart
    QTest::addColumn<QString>("expected");
    const auto frame = [](const char* tag, int index, const char* text) {
        QTest::newRow(tag) << index << QByteArrayList{ScaleFrames::frame(index, 1.25)} << QString(text);
    };
    frame("A", 0, "1.25");
    frame("B", 1, "1.250");
    frame("C", 2, "1.250");
    frame("D", 4, "1.250");
    QTest::newRow("split frame") << 0 << QByteArrayList{"\n  12.", "345kg\r", "\n"} << "12.345";
}

void TestComThread::framesReachTheBoxes()
{
    QFETCH(int, index);
    QFETCH(QByteArrayList, pieces);
    QFETCH(QString, expected);
    Rig rig;
    QVERIFY2(rig.line.isOpen(), qPrintable(rig.line.errorString()));
    QVERIFY(rig.host.start(rig.config(index)));
    // A pseudo-terminal has no modem lines; that is no reason for a message.
    QCOMPARE(rig.prompter.messages, QStringList());
    // The first frame of a new reader is shown.
    for (const QByteArray& piece : pieces) {
        QVERIFY(rig.line.write(piece));
        QTest::qWait(100);
    }
    QTRY_COMPARE(rig.shown, QStringList{expected});
    QVERIFY(!rig.host.isStopRequested());
}

void TestComThread::silenceShowsReadingText()
{
    Rig rig;
    QVERIFY(rig.host.start(rig.config(0)));
    QVERIFY(rig.send(0, 2.0, 2));
    QTRY_COMPARE(rig.shown.value(0), QStringLiteral("2"));
    QElapsedTimer quiet;
    quiet.start();
    QTRY_COMPARE_WITH_TIMEOUT(rig.shown.last(), TComThread::readingText(), 3000);
    QVERIFY2(quiet.elapsed() >= 650, qPrintable(QString::number(quiet.elapsed())));
    QVERIFY(rig.send(0, 3.5));
    QTRY_COMPARE(rig.shown.last(), QStringLiteral("3.5"));
}

void TestComThread::lineFailuresAreToldOnce_data()
{
    QTest::addColumn<bool>("whileReading");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("cable pulled while waiting")
        << false << "waitForReadyRead()" << QStringList{"1.25", TComThread::unpluggedText()};
    // The rest of the frame is lost with the line.
    QTest::newRow("cable pulled while reading")
        << true << "read()" << QStringList{TComThread::readErrorText()};
}

void TestComThread::lineFailuresAreToldOnce()
{
    QFETCH(bool, whileReading);
    QFETCH(QString, step);
    QFETCH(QStringList, shown);
    Rig rig;
    QVERIFY(rig.host.start(rig.config(0)));
    QVERIFY(rig.send(0, 1.25));
    if (whileReading) {
        // The reader has begun on the frame, but the window thread has not taken its first byte
        // yet: the rest of the frame still waits on the line when it goes.
        QThread::msleep(500);
    } else {
        QTRY_COMPARE(rig.shown, QStringList{"1.25"});
        QTest::qWait(200);
    }
    rig.line.close();
    QTRY_VERIFY(rig.host.isStopRequested());
    // Longer than the wait for data: nothing is told again, and no waiting text follows.
    QTest::qWait(1200);
    QCOMPARE(rig.shown, shown);
    QVERIFY2(rig.toldOnce(step), qPrintable(rig.prompter.messages.join('|')));
    QVERIFY(rig.host.hasReader());
    rig.host.stopAndWait();
    QCOMPARE(rig.prompter.messages.size(), 1);
}

void TestComThread::portThatDoesNotOpen_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::newRow("missing device") << 3 << "/dev/ttyUSB-zelvo-missing";
    QTest::newRow("no port chosen") << 0 << "";
    QTest::newRow("port without device") << 7 << "";
}

void TestComThread::portThatDoesNotOpen()
{
    QFETCH(int, port);
    QFETCH(QString, device);
    Rig rig;
    QVERIFY(!rig.host.start(ReaderConfig{0, port, device, 9600, 30.0}));
    const QString name = device.isEmpty() ? QStringLiteral("COM%1").arg(port) : device;
    QCOMPARE(rig.prompter.messages, QStringList{name + QStringLiteral(":无法连接，请检查!")});
    QVERIFY(rig.host.hasReader());
    QVERIFY(rig.host.isStopRequested());
    // Suspend after a failed open is skipped, and nothing is ever shown.
    rig.host.suspend();
    QVERIFY(!rig.host.isSuspended());
    QTest::qWait(1000);
    QCOMPARE(rig.shown, QStringList());
}

void TestComThread::failedConfigurationIsReportedAndReaderRuns()
{
    Rig rig;
    QVERIFY(rig.host.start(ReaderConfig{0, 1, rig.line.devicePath(), 0, 30.0})); // a baud rate refused
    QVERIFY2(rig.toldOnce("setBaudRate()"), qPrintable(rig.prompter.messages.join('|')));
    QVERIFY(rig.send(0, 0.75, 3));
    QTRY_COMPARE(rig.shown.value(0), QStringLiteral("0.75"));
}

void TestComThread::stopEndsTheReaderPromptly_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<bool>("programEnd");
    QTest::addColumn<int>("limit"); // ms
    QTest::newRow("quiet line") << 0 << false << 800;
    // The reader waits for the window thread to take a byte while the window thread waits for
    // the reader to end: neither may wait forever, at a replacement or at program end.
    QTest::newRow("window thread busy") << 5 << false << 800;
    QTest::newRow("window thread busy at program end") << 5 << true << 1200;
}

void TestComThread::stopEndsTheReaderPromptly()
{
    QFETCH(int, frames);
    QFETCH(bool, programEnd);
    QFETCH(int, limit);
    auto rig = std::make_unique<Rig>();
    QVERIFY(rig->host.start(rig->config(0)));
    QVERIFY(rig->send(0, 1.0, frames));
    QThread::msleep(300);
    QElapsedTimer timer;
    timer.start();
    if (programEnd) {
        rig.reset();
    } else {
        rig->host.stopAndWait();
        QVERIFY(!rig->host.hasReader());
    }
    QVERIFY2(timer.elapsed() < limit, qPrintable(QString::number(timer.elapsed())));
}

void TestComThread::suspendDropsBytesAndResumeSplicesNoFrame()
{
    Rig rig;
    QVERIFY(rig.host.start(rig.config(0)));
    QVERIFY(rig.line.write("\n1.2"));
    QTest::qWait(200);
    rig.host.suspend();
    QVERIFY(rig.host.isSuspended());
    QVERIFY(rig.line.write("5kg\r\n"));
    QVERIFY(rig.send(0, 9.99, 20));
    QVERIFY(rig.line.write("0.8"));
    // Longer than the wait for data: the operator's typed weight is not overwritten either.
    QTest::qWait(1500);
    QCOMPARE(rig.shown, QStringList());
    rig.host.resume();
    QVERIFY(!rig.host.isSuspended());
    // The tail of the frame cut by the resume is no weight.
    QVERIFY(rig.line.write("50kg\r\n"));
    QVERIFY(rig.send(0, 0.333));
    QTRY_COMPARE(rig.shown, QStringList{"0.333"});
    QTest::qWait(100);
    QCOMPARE(rig.shown, QStringList{"0.333"});
}

void TestComThread::replacementKeepsTheNewFirstFrame_data()
{
    QTest::addColumn<QByteArray>("oldTail");
    QTest::addColumn<QString>("oldShown");
    // The old port ends amid a frame: shown at its CR, but its LF never comes.
    QTest::newRow("unfinished digits") << QByteArray("1.25\r\n3\r") << "3";
    QTest::newRow("unfinished negative mark") << QByteArray("1.25\r\n-\r") << WeightDecoder::negativeText();
}

void TestComThread::replacementKeepsTheNewFirstFrame()
{
    QFETCH(QByteArray, oldTail);
    QFETCH(QString, oldShown);
    Rig rig;
    QVERIFY(rig.host.start(rig.config(0)));
    QVERIFY(rig.line.write(oldTail));
    QTRY_COMPARE(rig.shown.value(1), oldShown);

    PseudoTerminal second;
    QVERIFY(rig.host.start(ReaderConfig{0, 1, second.devicePath(), 9600, 30.0}));
    // The old reader is gone: what its port still sends is not shown.
    QVERIFY(rig.send(0, 4.0, 3));
    QVERIFY(second.write(ScaleFrames::frame(0, 0.5)));
    QTRY_COMPARE(rig.shown.mid(2), QStringList{"0.5"});
    QTest::qWait(200);
    QCOMPARE(rig.shown.mid(2), QStringList{"0.5"});
}

void TestComThread::permissionFailureTexts_data()
{
    // A device that is missing is told plainly (see portThatDoesNotOpen); a refused one says why.
    QTest::addColumn<bool>("accessible");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no right to the device") << false << "dialout";
    QTest::newRow("locked") << true << "/var/lock/LCK..ttyUSB0";
}

void TestComThread::permissionFailureTexts()
{
    QFETCH(bool, accessible);
    QFETCH(QString, expected);
    const QString text = PortMessages::openFailure("/dev/ttyUSB0", QSerialPort::PermissionError, accessible);
    QVERIFY2(text.startsWith(QStringLiteral("/dev/ttyUSB0:无法连接")), qPrintable(text));
    QVERIFY2(text.contains(expected), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestComThread)
#include "TestComThread.moc"
