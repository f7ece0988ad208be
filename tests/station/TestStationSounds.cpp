// The station's six sounds: built into the program, told apart, and a file of the same name in the
// current directory taking their place.
#include "RecordingSoundPlayer.h"
#include "TempDataFolder.h"

#include "app/gui/SoundEffectPlayer.h"
#include "base/Sounds.h"
#include "station/StationReport.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QtEndian>
#include <QtTest>

namespace {

const char* const kNames[] = {Sounds::kWelcome,  Sounds::kSuccess,    Sounds::kFailure,
                              Sounds::kAbnormal, Sounds::kOverweight, Sounds::kDing};

// Seconds of sound in a PCM WAV file; -1 when it is not one.
double wavSeconds(const QByteArray& data)
{
    if (data.size() < 44 || !data.startsWith("RIFF") || data.mid(8, 4) != "WAVE") {
        return -1;
    }
    qsizetype at = 12;
    quint32 byteRate = 0;
    while (at + 8 <= data.size()) {
        const QByteArray id = data.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(data.constData() + at + 4);
        if (id == "fmt " && at + 16 <= data.size()) {
            byteRate = qFromLittleEndian<quint32>(data.constData() + at + 8 + 8);
        } else if (id == "data" && byteRate > 0) {
            return double(size) / byteRate;
        }
        at += 8 + size + (size % 2);
    }
    return -1;
}

} // namespace

class TestStationSounds : public QObject
{
    Q_OBJECT

private slots:
    void builtInAndDistinct()
    {
        RecordingSoundPlayer silent;
        StationReport report(silent);
        QSet<QByteArray> contents;
        for (const char* name : kNames) {
            QFile file(QStringLiteral(":/sounds/") + QString::fromLatin1(name));
            QVERIFY2(file.open(QIODevice::ReadOnly), name);
            const QByteArray data = file.readAll();
            const double seconds = wavSeconds(data);
            QVERIFY2(seconds > 0.05 && seconds < 2.0, name);
            contents.insert(data);
        }
        QCOMPARE(contents.size(), int(std::size(kNames)));
    }

    void fileInTheCurrentDirectoryWins()
    {
        Sounds::registerBuiltIn();
        TempDataFolder folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const QString builtIn = SoundEffectPlayer::sourceOf(QStringLiteral("True.wav"));
        QFile own(folder.file(QStringLiteral("True.wav")));
        QVERIFY(own.open(QIODevice::WriteOnly));
        QFile builtInFile(QStringLiteral(":/sounds/False.wav"));
        QVERIFY(builtInFile.open(QIODevice::ReadOnly));
        own.write(builtInFile.readAll());
        own.close();
        const QString local = SoundEffectPlayer::sourceOf(QStringLiteral("True.wav"));
        const QString other = SoundEffectPlayer::sourceOf(QStringLiteral("Ding.wav"));
        QDir::setCurrent(previous);
        QCOMPARE(builtIn, QStringLiteral(":/sounds/True.wav"));
        QCOMPARE(QFileInfo(local).fileName(), QStringLiteral("True.wav"));
        QVERIFY(!local.startsWith(QLatin1Char(':')));
        QCOMPARE(other, QStringLiteral(":/sounds/Ding.wav"));
    }
};

QTEST_MAIN(TestStationSounds)
#include "TestStationSounds.moc"
