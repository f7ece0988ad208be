#include "base/Sounds.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the resource's initialiser, which lives in the global namespace: it
// cannot be used inside a namespace, an unnamed one included.
static void initSoundResources()
{
    Q_INIT_RESOURCE(sounds);
}

void Sounds::registerBuiltIn()
{
    initSoundResources();
}
