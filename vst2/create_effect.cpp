#include "vst2/create_effect.h"

#include <new>

#include "vst2/templete.h"

AEffect* createEffect(audioMasterCallback hostCallback) {
    if (!hostCallback) return nullptr;
    // Only a host that speaks VST gets an effect; it is asked twice, and must answer both.
    for (int i = 0; i < 2; ++i)
        if (hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    Templete* effect = new (std::nothrow) Templete(hostCallback);
    return effect ? effect->getAeffect() : nullptr;
}
