#include "controls/wheel_steps.h"

#include <algorithm>
#include <cmath>

namespace editor {

float wheelNotches(float distance) {
    if (!std::isfinite(distance)) return 0;
    if (distance > 0.1f) return 1;
    if (distance < -0.1f) return -1;
    return distance;
}

namespace {

float clampToRange(const CControl& control, float value) {
    const float low = std::min(control.getMin(), control.getMax());
    const float high = std::max(control.getMin(), control.getMax());
    return std::clamp(value, low, high);
}

}  // namespace

bool stepByWheel(CControl& control, float distance, const CButtonState& buttons, float step, float fineFactor) {
    float change = wheelNotches(distance) * step;
    if (buttons & kShift) change *= fineFactor;
    if (!std::isfinite(change)) return false;
    const float before = control.getValue();
    const float after = clampToRange(control, before + change);
    if (after == before) return false;
    control.setValue(after);
    control.invalid();
    control.beginEdit();
    control.valueChanged();
    control.endEdit();
    return true;
}

bool stepPositionByWheel(CControl& control, float distance, int positions) {
    if (positions < 2) return false;
    const float intervals = static_cast<float>(positions - 1);
    const float range = control.getRange();
    if (!(range != 0) || !std::isfinite(range)) return false;
    const float before = control.getValue();
    float position = (before - control.getMin()) / range * intervals;
    const float notches = wheelNotches(distance);
    if (notches >= 1) position += 1;
    else if (notches <= -1) position -= 1;
    if (!std::isfinite(position)) return false;
    position = std::clamp(position, -1.f, intervals + 1);
    const float snapped = std::floor(position + 0.5f);
    const float after = clampToRange(control, control.getMin() + snapped / intervals * range);
    if (after == before) return false;
    control.setValue(after);
    control.valueChanged();
    control.invalid();
    return true;
}

}  // namespace editor
