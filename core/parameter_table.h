#pragma once
// The parameters as a host sees them: names, defaults and stepping, in no format's types.
#include "model/parameter_ids.h"

namespace parameters {

// The host-visible name (at most 7 characters); "" for spare and internal indices.
const char* name(int index);
// The value a new instance starts with (spares 0.5). Scope and meter come from the
// process-wide defaults, so they are not in here.
float defaultValue(int index);
// How a generic host control steps through a parameter (normalised steps).
struct Properties {
    bool isSwitch;    // two states, off and on
    float step;       // the plain step
    float smallStep;  // the fine step
    float largeStep;  // the coarse step
};

// The properties of indices 0..16; false (and `out` untouched) for any other index.
bool properties(int index, Properties* out);

}  // namespace parameters
