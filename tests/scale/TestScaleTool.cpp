#include "scale/ScaleReaderHost.h"
#include "scale/TComThread.h"

#include "support/RecordingPrompter.h"
#include "support/ToolRun.h"

#include <QProcess>
#include <QTest>

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
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    const auto row = [](const char* tag, const char* arguments, const QByteArray& input, int exitCode,
                        const char* output) {
        QTest::newRow(tag) << QString(arguments) << input << exitCode << QString::fromUtf8(output);
    };
    row("A", "--protocol A", "  1.5kg\r\n-0.2\r\n30.001\r\n", 0,
        "1.5\n警告：重量为负!\n错误，重量已经超过量程!\n");
    row("B with range", "--protocol b --range 50", "+0030.001kg\r\n\n0060.000\r\n", 0,
        "30.001\n错误，重量已经超过量程!\n");
    row("C", "--protocol C", "025.00=025.00=", 0, "0.520\n");
    row("D empties", "--protocol D", "025.000=0=", 0, "0.520\n\n");
    row("unknown protocol", "--protocol E", "1\r\n", 2, "");
    row("range not a number", "--protocol A --range x", "", 2, "");
}

void TestScaleTool::decode()
{
    QFETCH(QString, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    const ToolRun run = ToolRun::run("zelvo-scale", ("decode " + arguments).split(' '), input);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(QString::fromUtf8(run.out), output);
}

void TestScaleTool::simulatedScaleThroughTheReader()
{
    QProcess scale;
    scale.start(ToolRun::path("zelvo-scale"),
                {"simulate", "--protocol", "B", "--weight", "1.25", "--interval", "50"});
    QVERIFY(scale.waitForStarted());
    QTRY_VERIFY(scale.canReadLine());
    const QString device = QString::fromUtf8(scale.readLine()).trimmed();
    QVERIFY2(device.startsWith(QStringLiteral("/dev/")), qPrintable(device));

    RecordingPrompter prompter;
    ScaleReaderHost host(prompter);
    QStringList shown;
    connect(&host, &ScaleReaderHost::weightText, &host,
            [&shown](const QString& text) { shown.append(text); });
    QVERIFY(host.start(ReaderConfig{1, 1, device, 1200, 30.0}));
    QTRY_VERIFY(shown.contains(QStringLiteral("1.250")));

    scale.write("2.5\n");
    QTRY_COMPARE(shown.last(), QStringLiteral("2.500"));
    scale.write("stop\n");
    QTRY_COMPARE_WITH_TIMEOUT(shown.last(), TComThread::readingText(), 3000);
    scale.write("raw 0000.100\\r\\n\n");
    QTRY_COMPARE(shown.last(), QStringLiteral("0.100"));

    scale.terminate();
    QVERIFY(scale.waitForFinished());
    QCOMPARE(scale.exitStatus(), QProcess::NormalExit);
    QCOMPARE(scale.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestScaleTool)
#include "TestScaleTool.moc"
