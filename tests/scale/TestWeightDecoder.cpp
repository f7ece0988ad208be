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

QStringList decodeFresh(int index, double range, const QByteArray& bytes, bool joined = false)
{
    WeightDecoder decoder;
    decoder.setSettings({index, 1, range});
    if (joined) {
        decoder.resynchronise();
    }
    return decoder.decodeAll(bytes);
}

} // namespace

class TestWeightDecoder : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void joinedStream_data();
    void joinedStream();
    void ignoredSettings_data();
    void ignoredSettings();
    void stateOutlivesReaderSettings();
};

void TestWeightDecoder::frames_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("range");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("shown");

    // Protocol A: characters as received, CR shows, LF resets.
    QTest::newRow("A plain") << A << 30.0 << QByteArray("1.5\r\n") << QStringList{"1.5"};
    QTest::newRow("A blanks and unit") << A << 30.0 << QByteArray("  0.520kg\r\n") << QStringList{"0.52"};
    QTest::newRow("A negative") << A << 30.0 << QByteArray("-0.2\r\n") << QStringList{Negative};
    QTest::newRow("A pounds") << A << 30.0 << QByteArray(" 1.000lb\r\n") << QStringList{WrongUnit};
    QTest::newRow("A pieces") << A << 30.0 << QByteArray("3pcs\r\n") << QStringList{WrongUnit};
    QTest::newRow("A a gram above range")
        << A << 30.0 << QByteArray("30.001kg\r\n") << QStringList{OverRange};
    QTest::newRow("A equal to range") << A << 30.0 << QByteArray("30.000kg\r\n") << QStringList{"30"};
    QTest::newRow("A equal to a range without exact binary")
        << A << 0.3 << QByteArray("0.3\r\n") << QStringList{"0.3"};
    QTest::newRow("A second CR shows the formatted text")
        << A << 30.0 << QByteArray("1.50\r\r\n") << QStringList{"1.5", "1.5"};
    QTest::newRow("A digits after a CR extend the formatted text")
        << A << 30.0 << QByteArray("1.2\r5\r\n") << QStringList{"1.2", "1.25"};
    QTest::newRow("A over range then CR again")
        << A << 30.0 << QByteArray("31\r\r\n") << QStringList{OverRange};
    QTest::newRow("A rounds half away from zero")
        << A << 30.0 << QByteArray("0.0625\r\n") << QStringList{"0.063"};
    QTest::newRow("A rounding carries") << A << 30.0 << QByteArray("1.9999\r\n") << QStringList{"2"};
    QTest::newRow("A no digits") << A << 30.0 << QByteArray("kg\r\n\r\n") << QStringList{};
    QTest::newRow("A two points keep the boxes, next frame shows")
        << A << 30.0 << QByteArray("1.2.3\r\n0.5\r\n") << QStringList{"0.5"};
    QTest::newRow("A minus cleared by LF")
        << A << 30.0 << QByteArray("-1\r\n1\r\n") << QStringList{Negative, "1"};
    QTest::newRow("A noise between frames")
        << A << 30.0 << QByteArray("\x00\xff\x7f ST,GS 1.5kg\r\n\x1b", 18) << QStringList{"1.5"};
    QTest::newRow("A endless digits are cut") << A << 30.0 << QByteArray(70, '0') + "\r\n"
                                              << QStringList{"0"};
    QTest::newRow("A too large for single precision") << A << 1e40 << QByteArray(60, '9') + "\r\n"
                                                      << QStringList{};

    // Protocol B: eight numeric cells, leading zeros dropped.
    QTest::newRow("B example") << B << 30.0 << QByteArray("0000.520\r\n") << QStringList{"0.520"};
    QTest::newRow("B zero") << B << 30.0 << QByteArray("0000.000\r\n") << QStringList{"0.000"};
    QTest::newRow("B frames in a row")
        << B << 30.0 << QByteArray("+0000.520kg\r\n+0001.250kg\r\n") << QStringList{"0.520", "1.250"};
    QTest::newRow("B short frame after a reset leaves filler")
        << B << 30.0 << QByteArray("\n1.5\r\n") << QStringList{};
    QTest::newRow("B zeros without point") << B << 30.0 << QByteArray("\n00000000\r\n") << QStringList{};
    QTest::newRow("B negative") << B << 30.0 << QByteArray("-0000.200kg\r\n") << QStringList{Negative};
    QTest::newRow("B wrong unit") << B << 30.0 << QByteArray("0001.000lb\r\n") << QStringList{WrongUnit};
    QTest::newRow("B above range") << B << 30.0 << QByteArray("0030.001\r\n") << QStringList{OverRange};
    QTest::newRow("B overlong frame keeps its first eight")
        << B << 30.0 << QByteArray("0000.5201234567890\r\n0001.000\r\n") << QStringList{"0.520", "1.000"};
    QTest::newRow("B endless digits stay in the buffer")
        << B << 30.0 << QByteArray(5000, '7') + "\r\n\n0002.000\r\n"
        << QStringList{OverRange, "2.000"};
    QTest::newRow("B second CR shows again")
        << B << 30.0 << QByteArray("0000.520\r\r\n") << QStringList{"0.520", "0.520"};

    // Protocol C: six cells filled last first, '=' ends; the first '=' only synchronises.
    QTest::newRow("C example") << C << 30.0 << QByteArray("=025.00=") << QStringList{"0.520"};
    QTest::newRow("C bytes before the first = are dropped")
        << C << 30.0 << QByteArray("025.00=025.00=") << QStringList{"0.520"};
    QTest::newRow("C a partial first frame is dropped")
        << C << 30.0 << QByteArray("5.00=025.00=") << QStringList{"0.520"};
    QTest::newRow("C minus shows at once") << C << 30.0 << QByteArray("=02-") << QStringList{Negative};
    QTest::newRow("C after a minus the next = synchronises")
        << C << 30.0 << QByteArray("=025.00-025.00=025.00=") << QStringList{Negative, "0.520"};
    QTest::newRow("C zeros without point") << C << 30.0 << QByteArray("=000000=") << QStringList{};
    QTest::newRow("C overlong frame is cut")
        << C << 30.0 << QByteArray("=025.0099999=") << QStringList{"0.520"};
    QTest::newRow("C above range") << C << 30.0 << QByteArray("=100.03=") << QStringList{OverRange};
    QTest::newRow("C knows no unit letters")
        << C << 30.0 << QByteArray("=0b2p5.00\r\n=") << QStringList{"0.520"};
    QTest::newRow("C short frame leaves filler")
        << C << 30.0 << QByteArray("=25.00=025.00=") << QStringList{"0.520"};

    // Protocol D: text built last first, free length.
    QTest::newRow("D example") << D << 30.0 << QByteArray("025.000=") << QStringList{"0.520"};
    QTest::newRow("D nothing collected") << D << 30.0 << QByteArray("=") << QStringList{};
    QTest::newRow("D zero empties the boxes") << D << 30.0 << QByteArray("0=") << QStringList{""};
    QTest::newRow("D one zero kept before the point")
        << D << 30.0 << QByteArray("5.00=") << QStringList{"0.5"};
    QTest::newRow("D negative") << D << 30.0 << QByteArray("025.0-=") << QStringList{Negative};
    QTest::newRow("D wrong unit") << D << 30.0 << QByteArray("bl1=") << QStringList{WrongUnit};
    QTest::newRow("D state cleared by =") << D << 30.0 << QByteArray("-1=1=") << QStringList{Negative, "1"};
    QTest::newRow("D above range") << D << 30.0 << QByteArray("100.03=") << QStringList{OverRange};
    QTest::newRow("D two points keep the boxes")
        << D << 30.0 << QByteArray("1.2.3=025.000=") << QStringList{"0.520"};
    QTest::newRow("D endless zeros are cut") << D << 30.0 << QByteArray(100000, '0') + "=" << QStringList{""};
    QTest::newRow("D CR and LF mean nothing")
        << D << 30.0 << QByteArray("02\r\n5.000=") << QStringList{"0.520"};
}

void TestWeightDecoder::frames()
{
    QFETCH(int, index);
    QFETCH(double, range);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, shown);
    QCOMPARE(decodeFresh(index, range, bytes), shown);
}

void TestWeightDecoder::joinedStream_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("shown");

    // Joined in the middle of 12.34: the tail must not pass for a weight.
    QTest::newRow("A") << A << QByteArray("2.34kg\r\n12.34kg\r\n") << QStringList{"12.34"};
    QTest::newRow("B") << B << QByteArray("2.34\r\n00012.34\r\n") << QStringList{"12.34"};
    QTest::newRow("C") << C << QByteArray("21=43.210=") << QStringList{"12.34"};
    QTest::newRow("D") << D << QByteArray("21=43.210=") << QStringList{"12.34"};
    QTest::newRow("A minus in the dropped tail") << A << QByteArray("-2\r\n1\r\n") << QStringList{"1"};
}

void TestWeightDecoder::joinedStream()
{
    QFETCH(int, index);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, shown);
    QCOMPARE(decodeFresh(index, 30.0, bytes, true), shown);
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

void TestWeightDecoder::stateOutlivesReaderSettings()
{
    // A frame split across two readers of the same protocol is still one frame.
    WeightDecoder decoder;
    decoder.setSettings({A, 1, 30.0});
    QVERIFY(decoder.decodeAll("0.5").isEmpty());
    decoder.setSettings({A, 2, 50.0});
    QCOMPARE(decoder.decodeAll("20\r\n60\r\n"), QStringList({"0.52", OverRange}));
}

QTEST_GUILESS_MAIN(TestWeightDecoder)
#include "TestWeightDecoder.moc"
