#pragma once
// Creates the effect for a host, as the library's entry point does: null when the host does
// not answer the version query or the effect cannot be made.
#include "vst2/aeffect.h"

AEffect* createEffect(audioMasterCallback hostCallback);
