#pragma once

#include "base/SoundPlayer.h"

#include <QObject>

#include <memory>

class QSoundEffect;

// Sounds through Qt Multimedia. A file of the same name in the current directory wins over the
// one built into the program.
class SoundEffectPlayer : public QObject, public SoundPlayer
{
    Q_OBJECT

public:
    explicit SoundEffectPlayer(QObject* parent = nullptr);
    ~SoundEffectPlayer() override;
    void play(const QString& fileName) override;

    // Where a sound of this name is taken from; empty when there is none.
    static QString sourceOf(const QString& fileName);

private:
    std::unique_ptr<QSoundEffect> m_effect;
};
