#pragma once
// Mouse-wheel stepping shared by the editor's controls.
#include "toolkit/control.h"

namespace editor {

// A wheel distance as notches: beyond +-0.1 one whole notch, anything smaller as it is.
float wheelNotches(float distance);

// Continuous controls: value += notches x step (x fine factor with Shift), clamped to the
// control's range; a change is invalidated and bracketed as one edit. Answers whether the
// value changed.
bool stepByWheel(CControl& control, float distance, const CButtonState& buttons, float step, float fineFactor);

// Controls with `positions` evenly spaced positions over their range: one position per
// notch, snapped to the nearest position and clamped; a change is told to the listener and
// invalidated. Answers whether the value changed.
bool stepPositionByWheel(CControl& control, float distance, int positions);

}  // namespace editor
