#pragma once

#include <QString>

// Plays one of the station's sound files ("True.wav" …) without waiting; a new sound replaces one
// still playing, and a missing file or audio device means silence.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString& fileName) = 0;
};
