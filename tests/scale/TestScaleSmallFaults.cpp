// The scale's small faults: the lock file named for a busy port, and frames too long for a float.
#include "scale/PortMessages.h"
#include "scale/PseudoTerminal.h"
#include "scale/WeightDecoder.h"

#include <QRegularExpression>
#include <QSerialPort>
#include <QtTest>

class TestScaleSmallFaults : public QObject
{
    Q_OBJECT

private slots:
    void busyPortNamesTheLockFileThatHoldsIt();
    void overlongFrames_data();
    void overlongFrames();
};

void TestScaleSmallFaults::busyPortNamesTheLockFileThatHoldsIt()
{
    // A pseudo-terminal lives below /dev/pts, as by-id and by-path links live below /dev/serial.
    PseudoTerminal line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    const QString device = line.devicePath();
    QVERIFY2(device.count(QLatin1Char('/')) > 2, qPrintable(device));
    QSerialPort holder(device);
    QVERIFY2(holder.open(QIODevice::ReadWrite), qPrintable(holder.errorString()));

    QSerialPort second(device);
    QVERIFY(!second.open(QIODevice::ReadWrite));
    QCOMPARE(second.error(), QSerialPort::PermissionError);
    const QString text =
        PortMessages::openFailure(device, second.error(), PortMessages::deviceAccessible(device));
    const QRegularExpressionMatch named =
        QRegularExpression(QStringLiteral("(/\\S+/LCK\\.\\.[^，]+)")).match(text);
    QVERIFY2(named.hasMatch(), qPrintable(text));
    QVERIFY2(QFile::exists(named.captured(1)), qPrintable(text));

    // Gone with its holder; the advice still names where it would be.
    holder.close();
    QVERIFY(!QFile::exists(named.captured(1)));
    QCOMPARE(PortMessages::lockFileFor(device),
             QStringLiteral("/var/lock/LCK..") + device.mid(5).replace(QLatin1Char('/'), QLatin1Char('_')));
}

void TestScaleSmallFaults::overlongFrames_data()
{
    QTest::addColumn<int>("scaleTypeIndex");
    QTest::addColumn<double>("range");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("shown");
    const QString over = WeightDecoder::overRangeText();
    const QByteArray forty = "1" + QByteArray(39, '0');
    QTest::newRow("A: 40 digits") << 0 << 30.0 << forty + "\r\n" << QStringList{over};
    QTest::newRow("A: 39 nines") << 0 << 30.0 << QByteArray(39, '9') + "\r\n" << QStringList{over};
    QTest::newRow("A: 38 digits, within a float") << 0 << 30.0 << "1" + QByteArray(37, '0') + "\r\n"
                                                  << QStringList{over};
    QTest::newRow("A: 200 digits") << 0 << 30.0 << QByteArray(200, '7') + "\r\n" << QStringList{over};
    QTest::newRow("A: long with a point") << 0 << 30.0 << forty + ".5\r\n" << QStringList{over};
    QTest::newRow("A: too small for a float") << 0 << 30.0 << "0." + QByteArray(60, '0') + "1\r\n"
                                              << QStringList{"0"};
    QTest::newRow("A: next frame as usual") << 0 << 30.0 << forty + "\r\n1.25\r\n"
                                            << QStringList{over, "1.25"};
    QTest::newRow("A: range beyond single precision") << 0 << 1e40 << QByteArray(60, '9') + "\r\n"
                                                      << QStringList{over};
    // Protocol D sends the last digit first and ends with '='.
    QTest::newRow("D: 40 digits") << 4 << 30.0 << QByteArray(39, '0') + "1=" << QStringList{over};
}

void TestScaleSmallFaults::overlongFrames()
{
    QFETCH(int, scaleTypeIndex);
    QFETCH(double, range);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, shown);
    WeightDecoder decoder;
    decoder.setSettings({scaleTypeIndex, 1, range});
    decoder.beginStream();
    QCOMPARE(decoder.decodeAll(bytes), shown);
}

QTEST_GUILESS_MAIN(TestScaleSmallFaults)
#include "TestScaleSmallFaults.moc"
