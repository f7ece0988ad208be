#include "scale/PseudoTerminal.h"
#include "scale/ScaleFrames.h"
#include "scale/ScaleReaderHost.h"
#include "scale/TComThread.h"
#include "scale/WeightDecoder.h"

#include "support/EventSpin.h"
#include "support/RecordingPrompter.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace {

constexpr int kProtocolA = 0;
constexpr int kIntervalMs = 100;

// A scale on a pseudo-terminal sending protocol A frames every 100 ms, read by the program's reader.
struct Rig
{
    Rig()
    {
        QObject::connect(&host, &ScaleReaderHost::stableChanged, &host, [this](bool stable) {
            marks.append({clock.elapsed(), stable});
        });
        QObject::connect(&host, &ScaleReaderHost::weightText, &host,
                         [this](const QString& text) { shown.append(text); });
    }

    bool start() { return host.start(ReaderConfig{kProtocolA, 1, line.devicePath(), 9600, 30.0}); }

    // Sends the weights one per interval (a negative one as the scale's minus frame) and notes
    // after each, half an interval later, whether the reader calls the weight stable: 'S' or '.'.
    QString send(const QList<double>& weights)
    {
        QString states;
        clock.start();
        for (int i = 0; i < weights.size(); ++i) {
            spin(i * kIntervalMs - clock.elapsed());
            line.write(ScaleFrames::frame(kProtocolA, weights.at(i)));
            spin(i * kIntervalMs + kIntervalMs / 2 - clock.elapsed());
            states += host.isStable() ? QLatin1Char('S') : QLatin1Char('.');
        }
        return states;
    }

    PseudoTerminal line;
    RecordingPrompter prompter;
    ScaleReaderHost host{prompter};
    QElapsedTimer clock;
    QList<QPair<qint64, bool>> marks;
    QStringList shown;
};

// The text the weight boxes show for one frame of the weight.
QString shownFor(double weight)
{
    WeightDecoder decoder;
    decoder.setSettings({kProtocolA, 1, 30.0});
    decoder.beginStream();
    return decoder.decodeAll(ScaleFrames::frame(kProtocolA, weight)).value(0);
}

QList<double> repeated(std::initializer_list<double> pattern, int times)
{
    QList<double> weights;
    for (int i = 0; i < times; ++i) {
        weights.append(pattern);
    }
    return weights;
}

} // namespace

class TestStableWeight : public QObject
{
    Q_OBJECT

private slots:
    void streams_data();
    void streams();
    void silentScaleLosesItsMark();
};

void TestStableWeight::streams_data()
{
    QTest::addColumn<QList<double>>("weights");
    // After each frame: 'S' stable, '.' not, '?' either (a frame at the window's edge, whose
    // arrival the line may delay by a millisecond or two).
    QTest::addColumn<QString>("expected");
    QTest::newRow("parcel put down still") << repeated({1.25}, 6) << "..SSSS";
    QTest::newRow("swinging parcel settling")
        << QList<double>{1.2, 1.35, 1.18, 1.26, 1.249, 1.25, 1.25, 1.25, 1.251} << "......?SS";
    QTest::newRow("parcel never settling: two divisions apart") << repeated({1.25, 1.252}, 5) << "..........";
    QTest::newRow("one division apart is settled") << repeated({1.25, 1.251}, 3) << "..SSSS";
    QTest::newRow("a negative frame breaks the run")
        << QList<double>{1.25, 1.25, 1.25, -0.1, 1.25, 1.25, 1.25, 1.25} << "..S...SS";
    QTest::newRow("a new parcel is a new run")
        << QList<double>{1.25, 1.25, 1.25, 2.5, 2.5, 2.5, 2.5} << "..S..?S";
}

void TestStableWeight::streams()
{
    QFETCH(QList<double>, weights);
    QFETCH(QString, expected);
    Rig rig;
    QVERIFY(rig.start());
    const QString states = rig.send(weights);
    QCOMPARE(states.size(), expected.size());
    for (int i = 0; i < states.size(); ++i) {
        QVERIFY2(expected.at(i) == QLatin1Char('?') || states.at(i) == expected.at(i),
                 qPrintable(QStringLiteral("after frame %1: %2, expected %3").arg(i).arg(states, expected)));
    }
    // The box's text is the scale's, whatever the mark says.
    QCOMPARE(rig.shown.last(), shownFor(weights.last()));
}

void TestStableWeight::silentScaleLosesItsMark()
{
    Rig rig;
    QVERIFY(rig.start());
    QCOMPARE(rig.send(repeated({0.52}, 4)), QStringLiteral("..SS"));
    const qint64 lastFrame = 3 * kIntervalMs;
    // Silent for a whole 300 ms window: the mark goes, long before the reader says it is waiting
    // for data.
    QTRY_VERIFY_WITH_TIMEOUT(!rig.host.isStable(), 1000);
    QCOMPARE(rig.marks.size(), 2);
    QVERIFY(rig.marks.at(1).first >= lastFrame + 3 * kIntervalMs - 5);
    QVERIFY2(rig.marks.at(1).first < lastFrame + 4 * kIntervalMs,
             qPrintable(QString::number(rig.marks.at(1).first)));
    QCOMPARE(rig.shown.last(), QStringLiteral("0.52"));
    QTRY_COMPARE_WITH_TIMEOUT(rig.shown.last(), TComThread::readingText(), 2000);
    QVERIFY(!rig.host.isStable());
    // Frames again: settled again after three.
    QCOMPARE(rig.send(repeated({0.52}, 3)), QStringLiteral("..S"));
}

QTEST_GUILESS_MAIN(TestStableWeight)
#include "TestStableWeight.moc"
