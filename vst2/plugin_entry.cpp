// The library's entry points: what a host calls after loading it.
#include "vst2/create_effect.h"
#include "vst2/plugin_entry.h"

extern "C" VST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback hostCallback) {
    return createEffect(hostCallback);
}

VST_EXPORT_MAIN_ALIAS
