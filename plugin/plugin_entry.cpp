// The library's entry points: what a host calls after loading it.
#include "plugin/create_effect.h"
#include "vst/plugin_entry.h"

extern "C" VST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback hostCallback) {
    return createEffect(hostCallback);
}

VST_EXPORT_MAIN_ALIAS
