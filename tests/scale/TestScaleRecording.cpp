#include "scale/PseudoTerminal.h"
#include "scale/ScaleFrames.h"
#include "scale/ScaleReaderHost.h"
#include "scale/ScaleRecording.h"
#include "scale/ScaleReplay.h"
#include "scale/TComThread.h"

#include "support/EventSpin.h"
#include "support/RecordingPrompter.h"
#include "support/TempDataFolder.h"
#include "support/ToolRun.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>

namespace {

using Chunks = QList<RecordedChunk>;

// What the weight boxes were given, with when (ms since the first text).
struct Shown
{
    QStringList texts;
    QList<qint64> times;
};

// Reads a line with the program's reader and notes every text the boxes are given.
struct Station
{
    explicit Station(const QString& device)
    {
        QObject::connect(&host, &ScaleReaderHost::weightText, &host, [this](const QString& text) {
            if (shown.texts.isEmpty()) {
                clock.start();
            }
            shown.texts.append(text);
            shown.times.append(clock.elapsed());
        });
        started = host.start(ReaderConfig{0, 1, device, 9600, 30.0});
    }

    RecordingPrompter prompter;
    ScaleReaderHost host{prompter};
    QElapsedTimer clock;
    Shown shown;
    bool started = false;
};

} // namespace

Q_DECLARE_METATYPE(Chunks)

class TestScaleRecording : public QObject
{
    Q_OBJECT

private slots:
    void fileKeepsBytesAndTimes_data();
    void fileKeepsBytesAndTimes();
    void brokenFiles_data();
    void brokenFiles();
    void chunking_data();
    void chunking();
    void historyKeepsTheLastSpan();
    void replayShowsTheSameTextsAtTheSameMoments();
    void toolRecordsAndReplays();

private:
    TempDataFolder m_folder;
};

void TestScaleRecording::fileKeepsBytesAndTimes_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::newRow("frames") << Chunks{{5000, "  1.250kg\r\n"}, {5100, "  1.250kg\r\n"}, {5950, "0.5"}};
    QTest::newRow("escapes and line noise")
        << Chunks{{0, QByteArray("\\\t\x00\xff=\x7f", 6)}, {1, "#not a comment"}, {2, "\xe5\x85\x8b"}};
    QTest::newRow("nothing") << Chunks{};
}

void TestScaleRecording::fileKeepsBytesAndTimes()
{
    QFETCH(Chunks, chunks);
    const QString path = m_folder.file("record.txt");
    QString error;
    QVERIFY2(ScaleRecording::save(path, chunks, &error), qPrintable(error));
    Chunks loaded;
    QVERIFY2(ScaleRecording::load(path, &loaded, &error), qPrintable(error));
    // Times are kept counted from the first chunk.
    Chunks expected = chunks;
    for (RecordedChunk& chunk : expected) {
        chunk.ms -= chunks.first().ms;
    }
    QCOMPARE(loaded, expected);
}

void TestScaleRecording::brokenFiles_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("badLine"); // 0: the file loads
    QTest::newRow("comments and empty lines") << QByteArray("# x\n\n0\tab\n# y\n10\tc\n") << 0;
    QTest::newRow("broken escape") << QByteArray("# x\n0\ta\\q\n") << 2;
    QTest::newRow("no tab") << QByteArray("0 ab\n") << 1;
    QTest::newRow("time not a number") << QByteArray("0\ta\nx\tb\n") << 2;
    QTest::newRow("time going back") << QByteArray("10\ta\n5\tb\n") << 2;
}

void TestScaleRecording::brokenFiles()
{
    QFETCH(QByteArray, text);
    QFETCH(int, badLine);
    const QString path = m_folder.file("broken.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();
    Chunks loaded;
    QString error;
    QCOMPARE(ScaleRecording::load(path, &loaded, &error), badLine == 0);
    if (badLine == 0) {
        QCOMPARE(loaded, (Chunks{{0, "ab"}, {10, "c"}}));
    } else {
        QVERIFY2(error.contains(QStringLiteral("第%1行").arg(badLine)), qPrintable(error));
    }
}

void TestScaleRecording::chunking_data()
{
    QTest::addColumn<QList<qint64>>("arrivals"); // one byte each, 'a', 'b', …
    QTest::addColumn<QStringList>("chunks");     // "ms:bytes"
    QTest::newRow("a frame byte by byte") << QList<qint64>{100, 101, 102, 104} << QStringList{"100:abcd"};
    QTest::newRow("a pause splits") << QList<qint64>{100, 101, 104, 105} << QStringList{"100:ab", "104:cd"};
    QList<qint64> stream;
    for (qint64 ms = 0; ms <= 25; ++ms) {
        stream.append(ms);
    }
    QTest::newRow("a chunk stays short") << stream << QStringList{"0:abcdefghijklmnopqrstu", "21:vwxyz"};
}

void TestScaleRecording::chunking()
{
    QFETCH(QList<qint64>, arrivals);
    QFETCH(QStringList, chunks);
    RawByteHistory history;
    for (int i = 0; i < arrivals.size(); ++i) {
        history.add(arrivals.at(i), char('a' + i));
    }
    QStringList seen;
    for (const RecordedChunk& chunk : history.chunks()) {
        seen.append(QString::number(chunk.ms) + ':' + QString::fromLatin1(chunk.bytes));
    }
    QCOMPARE(seen, chunks);
}

void TestScaleRecording::historyKeepsTheLastSpan()
{
    // A frame every 100 ms for an hour, against a ten-minute span.
    RawByteHistory history;
    const QByteArray frame = ScaleFrames::frame(0, 1.25);
    for (qint64 ms = 0; ms < 3600 * 1000; ms += 100) {
        for (int i = 0; i < frame.size(); ++i) {
            history.add(ms + i, frame.at(i));
        }
    }
    const Chunks chunks = history.chunks();
    const qint64 last = 3600 * 1000 - 100;
    QCOMPARE(chunks.last().ms, last);
    QVERIFY(chunks.first().ms >= last - RawByteHistory::kDefaultSpanMs);
    QVERIFY(chunks.first().ms <= last - RawByteHistory::kDefaultSpanMs + 100);
    QCOMPARE(history.byteCount(), qsizetype(chunks.size()) * frame.size());
    QCOMPARE(chunks.size(), 6000);

    // A line that never pauses is held to its byte limit.
    RawByteHistory fast;
    for (qint64 i = 0; i < RawByteHistory::kMaxBytes + 100000; ++i) {
        fast.add(i / 20, 'x');
    }
    QVERIFY(fast.byteCount() <= RawByteHistory::kMaxBytes);
    QVERIFY(fast.byteCount() > RawByteHistory::kMaxBytes - 1000);
}

void TestScaleRecording::replayShowsTheSameTextsAtTheSameMoments()
{
    // A support case: weights, a pause long enough for "读取数据中!", a negative frame, a broken
    // frame and a frame sent in two pieces.
    PseudoTerminal scale;
    Station original(scale.devicePath());
    QVERIFY(original.started);
    const QList<QPair<int, QByteArray>> session = {{0, ScaleFrames::frame(0, 1.25)},
                                                   {100, ScaleFrames::frame(0, 1.25)},
                                                   {230, ScaleFrames::frame(0, 1.3)},
                                                   {330, "  1.3"},
                                                   {345, "00kg\r\n"},
                                                   {1400, ScaleFrames::frame(0, -0.2)},
                                                   {1500, "1.2.3\r\n"},
                                                   {1650, ScaleFrames::frame(0, 0.75)}};
    QElapsedTimer clock;
    clock.start();
    for (const auto& [at, bytes] : session) {
        spin(at - clock.elapsed());
        QVERIFY(scale.write(bytes));
    }
    spin(300);
    // Ended before it would say again that it waits for data.
    original.host.stopAndWait();
    QVERIFY(original.shown.texts.contains(TComThread::readingText()));
    const QString path = m_folder.file("session.txt");
    QString error;
    QVERIFY2(ScaleRecording::save(path, original.host.history().chunks(), &error), qPrintable(error));

    Chunks chunks;
    QVERIFY2(ScaleRecording::load(path, &chunks, &error), qPrintable(error));
    PseudoTerminal line;
    Station replayed(line.devicePath());
    QVERIFY(replayed.started);
    ScaleReplay player(line, chunks);
    bool finished = false;
    connect(&player, &ScaleReplay::finished, &player, [&finished] { finished = true; });
    player.start();
    spin(2300);
    QVERIFY(finished);

    QCOMPARE(replayed.shown.texts, original.shown.texts);
    for (int i = 0; i < original.shown.times.size(); ++i) {
        const qint64 apart = std::abs(replayed.shown.times.at(i) - original.shown.times.at(i));
        QVERIFY2(
            apart <= 50,
            qPrintable(
                QStringLiteral("%1 (%2): %3 ms apart").arg(i).arg(original.shown.texts.at(i)).arg(apart)));
    }
}

void TestScaleRecording::toolRecordsAndReplays()
{
    if (qEnvironmentVariableIsEmpty("ZELVO_TOOLS_DIR")) {
        QSKIP("ZELVO_TOOLS_DIR names no tools folder");
    }
    const QString input = m_folder.file("support-case.txt");
    const Chunks session = {{0, "  1.250kg\r\n"}, {100, "  1.250kg\r\n"}, {400, "  2.500kg\r\n"}};
    QVERIFY(ScaleRecording::save(input, session, nullptr));

    QProcess scale;
    scale.start(ToolRun::path("zelvo-scale"), {"simulate", "--replay", input, "--delay", "1000"});
    QVERIFY(scale.waitForStarted());
    QTRY_VERIFY(scale.canReadLine());
    const QString device = QString::fromUtf8(scale.readLine()).trimmed();
    QVERIFY2(device.startsWith(QStringLiteral("/dev/")), qPrintable(device));

    const QString output = m_folder.file("monitored.txt");
    QProcess monitor;
    monitor.start(ToolRun::path("zelvo-scale"),
                  {"monitor", "--device", device, "--protocol", "A", "--record", output});
    QVERIFY(monitor.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(scale.canReadLine(), 5000);
    QCOMPARE(QString::fromUtf8(scale.readLine()).trimmed(), QStringLiteral("replay finished"));
    QTRY_VERIFY(QString::fromUtf8(monitor.peek(4096)).contains(QStringLiteral("2.5")));
    monitor.terminate();
    QVERIFY(monitor.waitForFinished());
    QCOMPARE(monitor.exitCode(), 0);
    scale.terminate();
    QVERIFY(scale.waitForFinished());

    Chunks recorded;
    QString error;
    QVERIFY2(ScaleRecording::load(output, &recorded, &error), qPrintable(error));
    QByteArray bytes;
    QList<qint64> frameEnds;
    for (const RecordedChunk& chunk : recorded) {
        bytes += chunk.bytes;
        if (chunk.bytes.endsWith('\n')) {
            frameEnds.append(chunk.ms);
        }
    }
    QCOMPARE(bytes, session.at(0).bytes + session.at(1).bytes + session.at(2).bytes);
    QCOMPARE(frameEnds.size(), 3);
    QVERIFY2(std::abs(frameEnds.at(1) - 100) <= 50 && std::abs(frameEnds.at(2) - 400) <= 50,
             qPrintable(QString::number(frameEnds.at(1)) + ' ' + QString::number(frameEnds.at(2))));
}

QTEST_GUILESS_MAIN(TestScaleRecording)
#include "TestScaleRecording.moc"
