#include "scale/ScaleReaderHost.h"
#include "scale/TComThread.h"

#include "support/RecordingPrompter.h"

#include <QProcess>
#include <QTest>

namespace {

QString tool()
{
    return qEnvironmentVariable("ZELVO_TOOLS_DIR") + QStringLiteral("/zelvo-scale");
}

} // namespace

class TestScaleTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void decode_data();
    void decode();
    void simulatedScaleThroughTheReader();
};

void TestScaleTool::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("ZELVO_TOOLS_DIR")) {
        QSKIP("ZELVO_TOOLS_DIR names no tools folder");
    }
}

void TestScaleTool::decode_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("A") << QStringList{"--protocol", "A"} << QByteArray("  1.5kg\r\n-0.2\r\n30.001\r\n") << 0
                       << QStringLiteral("1.5\n警告：重量为负!\n错误，重量已经超过量程!\n").toUtf8();
    QTest::newRow("B with range") << QStringList{"--protocol", "b", "--range", "50"}
                                  << QByteArray("+0030.001kg\r\n\n0060.000\r\n") << 0
                                  << QStringLiteral("30.001\n错误，重量已经超过量程!\n").toUtf8();
    QTest::newRow("C") << QStringList{"--protocol", "C"} << QByteArray("025.00=025.00=") << 0
                       << QByteArray("0.520\n");
    QTest::newRow("D empties") << QStringList{"--protocol", "D"} << QByteArray("025.000=0=") << 0
                               << QByteArray("0.520\n\n");
    QTest::newRow("unknown protocol")
        << QStringList{"--protocol", "E"} << QByteArray("1\r\n") << 2 << QByteArray();
    QTest::newRow("range not a number")
        << QStringList{"--protocol", "A", "--range", "x"} << QByteArray() << 2 << QByteArray();
}

void TestScaleTool::decode()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    QProcess process;
    process.start(tool(), QStringList{"decode"} + arguments);
    QVERIFY(process.waitForStarted());
    process.write(input);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), exitCode);
    QCOMPARE(process.readAllStandardOutput(), output);
}

void TestScaleTool::simulatedScaleThroughTheReader()
{
    QProcess scale;
    scale.start(tool(), {"simulate", "--protocol", "B", "--weight", "1.25", "--interval", "50"});
    QVERIFY(scale.waitForStarted());
    QTRY_VERIFY(scale.canReadLine());
    const QString device = QString::fromUtf8(scale.readLine()).trimmed();
    QVERIFY2(device.startsWith(QStringLiteral("/dev/")), qPrintable(device));

    RecordingPrompter prompter;
    ScaleReaderHost host(prompter);
    QStringList shown;
    connect(&host, &ScaleReaderHost::weightText, &host,
            [&shown](const QString& text) { shown.append(text); });
    ReaderConfig config;
    config.scaleTypeIndex = 1;
    config.portNumber = 1;
    config.device = device;
    config.baudRate = 1200;
    config.scaleRange = 30.0;
    QVERIFY(host.start(config));
    QTRY_VERIFY(shown.contains(QStringLiteral("1.250")));

    scale.write("2.5\n");
    QTRY_COMPARE(shown.last(), QStringLiteral("2.500"));
    scale.write("stop\n");
    QTRY_COMPARE_WITH_TIMEOUT(shown.last(), TComThread::readingText(), 3000);
    scale.write("raw -0000.100kg\\r\\n\n");
    QTRY_COMPARE(shown.last(), QStringLiteral("警告：重量为负!"));
    scale.write("raw 0000.100\\r\\n\n");
    QTRY_COMPARE(shown.last(), QStringLiteral("0.100"));

    scale.terminate();
    QVERIFY(scale.waitForFinished());
    QCOMPARE(scale.exitStatus(), QProcess::NormalExit);
    QCOMPARE(scale.exitCode(), 0);
    QTRY_COMPARE(shown.last(), TComThread::unpluggedText());
    QCOMPARE(prompter.messages.size(), 1);
    QVERIFY(prompter.messages.first().startsWith(QStringLiteral("WARNING:  waitForReadyRead() Failed")));
}

QTEST_GUILESS_MAIN(TestScaleTool)
#include "TestScaleTool.moc"
