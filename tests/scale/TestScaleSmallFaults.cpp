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
    QSerialPort holder(device);
    QVERIFY2(holder.open(QIODevice::ReadWrite), qPrintable(holder.errorString()));
    QSerialPort second(device);
    QVERIFY(!second.open(QIODevice::ReadWrite));
    const QString text =
        PortMessages::openFailure(device, second.error(), PortMessages::deviceAccessible(device));
    const QString named =
        QRegularExpression(QStringLiteral("(/\\S+/LCK\\.\\.[^，]+)")).match(text).captured(1);
    QVERIFY2(QFile::exists(named), qPrintable(text));
    // Gone with its holder; the advice still names where it would be.
    holder.close();
    QVERIFY(!QFile::exists(named));
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
    const QStringList o{over};
    QTest::newRow("A 40 digits, next") << 0 << 30.0 << forty + "\r\n1.25\r\n" << QStringList{over, "1.25"};
    QTest::newRow("A with a point") << 0 << 30.0 << forty + ".5\r\n" << o;
    QTest::newRow("A too small") << 0 << 30.0 << "0." + QByteArray(60, '0') + "1\r\n" << QStringList{"0"};
    QTest::newRow("A range beyond a float") << 0 << 1e40 << QByteArray(60, '9') + "\r\n" << o;
    // Protocol D sends the last digit first and ends with '='.
    QTest::newRow("D 40 digits") << 4 << 30.0 << QByteArray(39, '0') + "1=" << o;
}

void TestScaleSmallFaults::overlongFrames()
{
    QFETCH(int, scaleTypeIndex);
    QFETCH(double, range);
    QFETCH(QByteArray, bytes);
    WeightDecoder decoder;
    decoder.setSettings({scaleTypeIndex, 1, range});
    decoder.beginStream();
    QTEST(decoder.decodeAll(bytes), "shown");
}

QTEST_GUILESS_MAIN(TestScaleSmallFaults)
#include "TestScaleSmallFaults.moc"
