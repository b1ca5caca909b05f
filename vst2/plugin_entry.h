#pragma once
// The entry points a plug-in library exports. The library defines VSTPluginMain; hosts that
// predate 2.4 look for the same function under the name "main", which a C++ program cannot
// declare with this signature, so VST_EXPORT_MAIN_ALIAS defines it under a link-level name.
#include "vst2/aeffect.h"

extern "C" VST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback hostCallback);

#define VST_ENTRY_STRINGIFY_(x) #x
#define VST_ENTRY_STRINGIFY(x) VST_ENTRY_STRINGIFY_(x)
// The object-file name of "main": 32-bit Windows prefixes C names with an underscore.
#define VST_ENTRY_MAIN_SYMBOL VST_ENTRY_STRINGIFY(__USER_LABEL_PREFIX__) "main"

// How "main" gets exported. The Windows linker would look the dllexport name of a renamed
// symbol up with a second underscore on x86, so there the export is requested through the
// linker directive section instead, by its plain name.
#if defined(_WIN32)
#define VST_ENTRY_MAIN_EXPORT
#define VST_ENTRY_MAIN_DIRECTIVE                                                       \
    [[gnu::section(".drectve"), gnu::used]] static const char vstLegacyMainExport[] = { \
        ' ', '-', 'e', 'x', 'p', 'o', 'r', 't', ':', 'm', 'a', 'i', 'n', ' '};
#else
#define VST_ENTRY_MAIN_EXPORT VST_EXPORT
#define VST_ENTRY_MAIN_DIRECTIVE
#endif

// Defines the export "main" forwarding to `function`; use once per library.
#define VST_EXPORT_MAIN_ALIAS_OF(function)                                                                    \
    extern "C" VST_ENTRY_MAIN_EXPORT AEffect* VSTCALLBACK vstLegacyMainEntry(audioMasterCallback hostCallback) \
        __asm__(VST_ENTRY_MAIN_SYMBOL);                                                                        \
    extern "C" AEffect* VSTCALLBACK vstLegacyMainEntry(audioMasterCallback hostCallback) {                    \
        return function(hostCallback);                                                                         \
    }                                                                                                          \
    VST_ENTRY_MAIN_DIRECTIVE

// The usual case: "main" is VSTPluginMain under its old name. Use in the file that defines
// VSTPluginMain.
#define VST_EXPORT_MAIN_ALIAS VST_EXPORT_MAIN_ALIAS_OF(VSTPluginMain)
