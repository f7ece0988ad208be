#include "app/gui/SoundEffectPlayer.h"

#include "base/Sounds.h"

#include <QDir>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

SoundEffectPlayer::SoundEffectPlayer(QObject* parent)
    : QObject(parent)
    , m_effect(std::make_unique<QSoundEffect>())
{
}

SoundEffectPlayer::~SoundEffectPlayer() = default;

QString SoundEffectPlayer::sourceOf(const QString& fileName)
{
    const QString local = QDir::current().filePath(fileName);
    if (QFileInfo(local).isFile()) {
        return QFileInfo(local).absoluteFilePath();
    }
    const QString builtIn = QStringLiteral(":/sounds/") + fileName;
    return QFileInfo::exists(builtIn) ? builtIn : QString();
}

void SoundEffectPlayer::play(const QString& fileName)
{
    const QString source = sourceOf(fileName);
    m_effect->stop();
    if (source.isEmpty()) {
        return;
    }
    const QUrl url = source.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + source)
                                                         : QUrl::fromLocalFile(source);
    if (m_effect->source() != url) {
        m_effect->setSource(url);
    }
    m_effect->play();
}
