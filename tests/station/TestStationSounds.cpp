// The station's six sounds: built into the program, told apart, and a file of the same name in the
// current directory taking their place.
#include "TempDataFolder.h"

#include "app/gui/SoundEffectPlayer.h"
#include "base/Sounds.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QtEndian>
#include <QtTest>

class TestStationSounds : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Sounds::registerBuiltIn(); }

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

QTEST_MAIN(TestStationSounds)
#include "TestStationSounds.moc"
