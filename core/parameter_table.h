#pragma once
// The parameters as the VST 2.4 host sees them: names, defaults and properties.
#include "model/parameter_ids.h"
#include "vst2/aeffectx.h"

namespace parameters {

// The host-visible name (at most 7 characters); "" for spare and internal indices.
const char* name(int index);
// The value a new instance starts with (spares 0.5). Scope and meter come from the
// process-wide defaults, so they are not in here.
float defaultValue(int index);
// Fills the properties of indices 0..16; false for any other index.
bool properties(int index, VstParameterProperties* out);

}  // namespace parameters
