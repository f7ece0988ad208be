// Weight texts to grams and back, the station log's order and its sounds: six built into the
// program, told apart, and a file of the same name in the current directory taking their place.
#include "RecordingSoundPlayer.h"
#include "TempDataFolder.h"

#include "app/gui/SoundEffectPlayer.h"
#include "base/Sounds.h"
#include "station/StationReport.h"
#include "station/WeightText.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QtEndian>
#include <QtTest>

#include <limits>

class TestStationText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Sounds::registerBuiltIn(); }

    void grams_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<int>("grams");
        // Binary floating point would lose the gram in each of these.
        QTest::newRow("1.005") << QStringLiteral("1.005") << true << 1005;
        QTest::newRow("4.35") << QStringLiteral("4.35") << true << 4350;
        QTest::newRow("truncated") << QStringLiteral("1.2345") << true << 1234;
        QTest::newRow("negative truncated toward zero") << QStringLiteral("-0.0127") << true << -12;
        QTest::newRow("whole") << QStringLiteral("3") << true << 3000;
        QTest::newRow("leading point") << QStringLiteral(".5") << true << 500;
        QTest::newRow("trailing point") << QStringLiteral("2.") << true << 2000;
        QTest::newRow("blanks") << QStringLiteral(" 1.25 ") << true << 1250;
        QTest::newRow("exponent") << QStringLiteral("1.5e-3") << true << 1;
        QTest::newRow("many digits") << QStringLiteral("0.000000000000000000001") << true << 0;
        QTest::newRow("beyond 32 bits")
            << QStringLiteral("99999999") << true << std::numeric_limits<qint32>::max();
        QTest::newRow("far below") << QStringLiteral("-99999999") << true
                                   << std::numeric_limits<qint32>::min();
        QTest::newRow("empty") << QString() << false << 0;
        QTest::newRow("point only") << QStringLiteral(".") << false << 0;
        QTest::newRow("two points") << QStringLiteral("1.2.3") << false << 0;
        QTest::newRow("unit") << QStringLiteral("1.25kg") << false << 0;
        QTest::newRow("comma") << QStringLiteral("1,25") << false << 0;
        QTest::newRow("bare exponent") << QStringLiteral("1e") << false << 0;
        QTest::newRow("infinity") << QStringLiteral("inf") << false << 0;
    }
    void grams()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(int, grams);
        const std::optional<qint32> result = WeightText::grams(text);
        QCOMPARE(result.has_value(), isNumber);
        if (isNumber) {
            QCOMPARE(*result, grams);
        }
    }

    void kilograms_data()
    {
        QTest::addColumn<double>("grams");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << QStringLiteral("0.000");
        QTest::newRow("parcel") << 1250.0 << QStringLiteral("1.250");
        QTest::newRow("small negative") << -12.0 << QStringLiteral("-0.012");
        QTest::newRow("half gram up") << 361.5 << QStringLiteral("0.362");
        QTest::newRow("half gram down") << -361.5 << QStringLiteral("-0.362");
        QTest::newRow("heavy") << 123456.0 << QStringLiteral("123.456");
    }
    void kilograms()
    {
        QFETCH(double, grams);
        QFETCH(QString, text);
        QCOMPARE(WeightText::kilograms(grams), text);
        if (grams == static_cast<qint64>(grams)) {
            QCOMPARE(WeightText::kilograms(static_cast<qint64>(grams)), text);
        }
    }

    void logOrderAndSounds()
    {
        RecordingSoundPlayer sounds;
        QStringList heard;
        StationReport report(sounds, [&](const QString& line) { heard << line; });
        report.reportResult(QStringLiteral("first"), true);
        report.reportAbnormal(QStringLiteral("second"));
        report.reportOverweight(QStringLiteral("third\nwith a break"));
        report.reportResult(QStringLiteral("fourth"), false);
        QCOMPARE(report.log().lines(),
                 (QStringList{QString(), QStringLiteral("fourth"), QStringLiteral("third with a break"),
                              QStringLiteral("second"), QStringLiteral("first")}));
        QCOMPARE(report.log().text().count(QLatin1Char('\n')), 4);
        QCOMPARE(sounds.played, (QStringList{QStringLiteral("True.wav"), QStringLiteral("Abnormal.wav"),
                                             QStringLiteral("1.wav"), QStringLiteral("False.wav")}));
        QCOMPARE(heard.size(), 4);
        QCOMPARE(heard.at(2), QStringLiteral("third with a break"));
    }

    void builtInAndDistinct()
    {
        QSet<QByteArray> contents;
        for (const char* name : {Sounds::kWelcome, Sounds::kSuccess, Sounds::kFailure, Sounds::kAbnormal,
                                 Sounds::kOverweight, Sounds::kDing}) {
            QFile file(QStringLiteral(":/sounds/") + QString::fromLatin1(name));
            QVERIFY2(file.open(QIODevice::ReadOnly), name);
            const QByteArray data = file.readAll();
            // A plain PCM file of a short sound: the data's bytes over the bytes per second.
            QVERIFY2(data.size() > 44 && data.startsWith("RIFF") && data.mid(8, 4) == "WAVE" &&
                         data.mid(36, 4) == "data",
                     name);
            const double seconds = double(qFromLittleEndian<quint32>(data.constData() + 40)) /
                                   qFromLittleEndian<quint32>(data.constData() + 28);
            QVERIFY2(seconds > 0.05 && seconds < 2.0, name);
            contents.insert(data);
        }
        QCOMPARE(contents.size(), 6);
    }

    void fileInTheCurrentDirectoryWins()
    {
        TempDataFolder folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const QString builtIn = SoundEffectPlayer::sourceOf(QStringLiteral("True.wav"));
        QVERIFY(QFile::copy(QStringLiteral(":/sounds/False.wav"), folder.file(QStringLiteral("True.wav"))));
        const QString local = SoundEffectPlayer::sourceOf(QStringLiteral("True.wav"));
        const QString other = SoundEffectPlayer::sourceOf(QStringLiteral("Ding.wav"));
        QDir::setCurrent(previous);
        QCOMPARE(builtIn, QStringLiteral(":/sounds/True.wav"));
        QCOMPARE(QFileInfo(local).fileName(), QStringLiteral("True.wav"));
        QVERIFY(!local.startsWith(QLatin1Char(':')));
        QCOMPARE(other, QStringLiteral(":/sounds/Ding.wav"));
    }
};

QTEST_MAIN(TestStationText)
#include "TestStationText.moc"
