// Builds without the view toolkit make effects without an editor.
#include "vst2/create_editor.h"

AEffEditor* createPluginEditor(CPresetSystemEffect*, EditorEffect*) { return nullptr; }
