#pragma once
// Where the VST 2.4 effect gets its editor: the editor library defines it, a build without
// one defines it as null.
#include "core/editor_effect.h"

class AEffEditor;
class CPresetSystemEffect;

// Makes the plug-in's editor for an effect; null when it cannot be made (the effect then
// works without one). The editor links itself to the effect (AudioEffect::setEditor).
AEffEditor* createPluginEditor(CPresetSystemEffect* effect, EditorEffect* link);
