#pragma once

#include "base/SoundPlayer.h"

#include <QStringList>

// Records the sounds asked for instead of playing them.
class RecordingSoundPlayer : public SoundPlayer
{
public:
    void play(const QString& fileName) override { played.append(fileName); }
    QStringList played;
};
