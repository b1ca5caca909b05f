// Builds without the view toolkit make effects without an editor.
#include "editor/editor_effect.h"

AEffEditor* createPluginEditor(CPresetSystemEffect*, EditorEffect*) { return nullptr; }
