#include "scale/WeightDecoder.h"

#include <QTest>

namespace {

const QString Negative = WeightDecoder::negativeText();
const QString WrongUnit = WeightDecoder::wrongUnitText();
const QString OverRange = WeightDecoder::overRangeText();

constexpr int A = 0;
constexpr int B = 1;
constexpr int C = 2;
constexpr int D = 4;

} // namespace

class TestWeightDecoder : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void ignoredSettings_data();
    void ignoredSettings();
    void stateOutlivesNewSettings();
};

void TestWeightDecoder::frames_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<double>("range");
    QTest::addColumn<bool>("joined"); // the stream is joined at an arbitrary point
    const auto row = [](const char* tag, int index, const QByteArray& bytes, const QStringList& shown,
                        double range = 30.0, bool joined = false) {
        QTest::newRow(tag) << index << bytes << shown << range << joined;
    };
    // Protocol A: characters as received, CR shows, LF resets.
    row("A blanks and unit", A, "  0.520kg\r\n", {"0.52"});
    row("A negative", A, "-0.2\r\n", {Negative});
    row("A pounds", A, " 1.000lb\r\n", {WrongUnit});
    row("A pieces", A, "3pcs\r\n", {WrongUnit});
    row("A a gram above range", A, "30.001kg\r\n", {OverRange});
    row("A equal to range", A, "30.000kg\r\n", {"30"});
    row("A equal to a range without exact binary", A, "0.3\r\n", {"0.3"}, 0.3);
    row("A second CR shows the formatted text", A, "1.50\r\r\n", {"1.5", "1.5"});
    row("A digits after a CR extend the formatted text", A, "1.2\r5\r\n", {"1.2", "1.25"});
    row("A over range then CR again", A, "31\r\r\n", {OverRange});
    row("A rounds half away from zero", A, "0.0625\r\n", {"0.063"});
    row("A rounding carries", A, "1.9999\r\n", {"2"});
    row("A no digits", A, "kg\r\n\r\n", {});
    row("A two points keep the boxes, next frame shows", A, "1.2.3\r\n0.5\r\n", {"0.5"});
    row("A minus cleared by LF", A, "-1\r\n1\r\n", {Negative, "1"});
    row("A noise between frames", A, QByteArray("\x00\xff\x7f ST,GS 1.5kg\r\n\x1b", 18), {"1.5"});
    row("A endless digits are cut", A, QByteArray(70, '0') + "\r\n", {"0"});
    row("A too large for single precision is over range", A, QByteArray(60, '9') + "\r\n", {OverRange}, 1e40);

    // Protocol B: eight numeric cells, leading zeros dropped.
    row("B zero", B, "0000.000\r\n", {"0.000"});
    row("B frames in a row", B, "+0000.520kg\r\n+0001.250kg\r\n", {"0.520", "1.250"});
    row("B short frame after a reset leaves filler", B, "\n1.5\r\n", {});
    row("B zeros without point", B, "\n00000000\r\n", {});
    row("B negative", B, "-0000.200kg\r\n", {Negative});
    row("B wrong unit", B, "0001.000lb\r\n", {WrongUnit});
    row("B above range", B, "0030.001\r\n", {OverRange});
    row("B overlong frame keeps its first eight", B, "0000.5201234567890\r\n0001.000\r\n",
        {"0.520", "1.000"});
    row("B endless digits stay in the buffer", B, QByteArray(5000, '7') + "\r\n\n0002.000\r\n",
        {OverRange, "2.000"});
    row("B second CR shows again", B, "0000.520\r\r\n", {"0.520", "0.520"});

    // Protocol C: six cells filled last first, '=' ends; the first '=' only synchronises.
    row("C example", C, "=025.00=", {"0.520"});
    row("C bytes before the first = are dropped", C, "025.00=025.00=", {"0.520"});
    row("C a partial first frame is dropped", C, "5.00=025.00=", {"0.520"});
    row("C minus shows at once", C, "=02-", {Negative});
    row("C after a minus the next = synchronises", C, "=025.00-025.00=025.00=", {Negative, "0.520"});
    row("C zeros without point", C, "=000000=", {});
    row("C overlong frame is cut", C, "=025.0099999=", {"0.520"});
    row("C above range", C, "=100.03=", {OverRange});
    row("C knows no unit letters", C, "=0b2p5.00\r\n=", {"0.520"});
    row("C short frame leaves filler", C, "=25.00=025.00=", {"0.520"});

    // Protocol D: text built last first, free length.
    row("D nothing collected", D, "=", {});
    row("D zero empties the boxes", D, "0=", {""});
    row("D one zero kept before the point", D, "5.00=", {"0.5"});
    row("D negative", D, "025.0-=", {Negative});
    row("D wrong unit", D, "bl1=", {WrongUnit});
    row("D state cleared by =", D, "-1=1=", {Negative, "1"});
    row("D above range", D, "100.03=", {OverRange});
    row("D two points keep the boxes", D, "1.2.3=025.000=", {"0.520"});
    row("D endless zeros are cut", D, QByteArray(100000, '0') + "=", {""});
    row("D CR and LF mean nothing", D, "02\r\n5.000=", {"0.520"});

    // Joined in the middle of 12.34: the tail must not pass for a weight.
    row("A joined", A, "2.34kg\r\n12.34kg\r\n", {"12.34"}, 30, true);
    row("B joined", B, "2.34\r\n00012.34\r\n", {"12.34"}, 30, true);
    row("C joined", C, "21=43.210=", {"12.34"}, 30, true);
    row("D joined", D, "21=43.210=", {"12.34"}, 30, true);
    row("A joined, minus in the dropped tail", A, "-2\r\n1\r\n", {"1"}, 30, true);
}

void TestWeightDecoder::frames()
{
    QFETCH(int, index);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, shown);
    QFETCH(double, range);
    QFETCH(bool, joined);
    WeightDecoder decoder;
    decoder.setSettings({index, 1, range});
    if (joined) {
        decoder.resynchronise();
    }
    QCOMPARE(decoder.decodeAll(bytes), shown);
}

void TestWeightDecoder::ignoredSettings_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("port");
    QTest::newRow("port 0") << A << 0;
    QTest::newRow("typed weights") << 3 << 1;
    QTest::newRow("unknown type") << 5 << 1;
    QTest::newRow("no type") << -1 << 1;
}

void TestWeightDecoder::ignoredSettings()
{
    QFETCH(int, index);
    QFETCH(int, port);
    WeightDecoder decoder;
    decoder.setSettings({index, port, 30.0});
    QVERIFY(decoder.decodeAll("1.5\r\n0000.520\r\n=025.00=025.00=025.000=").isEmpty());
}

void TestWeightDecoder::stateOutlivesNewSettings()
{
    // New settings alone leave the frame in progress as it is (the new range counts at once); it is
    // beginStream, which a new reader calls, that drops it.
    WeightDecoder decoder;
    decoder.setSettings({A, 1, 30.0});
    QVERIFY(decoder.decodeAll("0.5").isEmpty());
    decoder.setSettings({A, 2, 50.0});
    QCOMPARE(decoder.decodeAll("20\r\n60\r\n"), QStringList({"0.52", OverRange}));
    QVERIFY(decoder.decodeAll("0.5").isEmpty());
    decoder.beginStream();
    QCOMPARE(decoder.decodeAll("20\r\n"), QStringList{"20"});
}

QTEST_GUILESS_MAIN(TestWeightDecoder)
#include "TestWeightDecoder.moc"
