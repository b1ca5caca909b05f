#include "toolkit/control.h"

#include <algorithm>
#include <cmath>

CControl::CControl(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background)
    : CView(size), listener_(listener), tag_(tag) {
    setBackground(background);
}

void CControl::setValue(float value) {
    if (std::isnan(value)) return;
    if (value_.exchange(value, std::memory_order_acq_rel) != value) setDirty(true);
}

float CControl::getValueNormalized() const {
    const float range = getRange();
    if (!(range != 0)) return 0;
    return std::clamp((getValue() - min_) / range, 0.f, 1.f);
}

void CControl::setValueNormalized(float normalized) {
    if (std::isnan(normalized)) return;
    setValue(min_ + std::clamp(normalized, 0.f, 1.f) * getRange());
}

void CControl::bounceValue() {
    const float low = std::min(min_, max_);
    const float high = std::max(min_, max_);
    const float value = getValue();
    if (value < low) setValue(low);
    else if (value > high) setValue(high);
}

void CControl::valueChanged() {
    if (listener_) listener_->valueChanged(this);
}

void CControl::beginEdit() {
    ++editDepth_;
    if (listener_) listener_->controlBeginEdit(this);
}

void CControl::endEdit() {
    if (editDepth_ == 0) return;  // unbalanced end: nothing to close
    --editDepth_;
    if (listener_) listener_->controlEndEdit(this);
}

bool CControl::checkDefaultValue(const CButtonState& buttons) {
    if ((buttons & kControl) == 0) return false;
    beginEdit();
    changeValueByUser(default_);
    endEdit();
    return true;
}

bool CControl::changeValueByUser(float value) {
    if (std::isnan(value)) return false;
    const float low = std::min(min_, max_);
    const float high = std::max(min_, max_);
    value = std::clamp(value, low, high);
    if (value == getValue()) return false;
    setValue(value);
    invalid();
    valueChanged();
    return true;
}

CMouseEventResult CControl::endDragEdit() {
    if (!isEditing()) return kMouseEventNotHandled;
    endEdit();
    return kMouseEventHandled;
}

bool CControl::stepByWheel(float distance, const CButtonState& buttons, float increment) {
    if (!std::isfinite(distance)) return false;
    float step = distance * increment * getRange();
    if (buttons & kShift) step *= 0.1f;
    beginEdit();
    changeValueByUser(getValue() + step);
    endEdit();
    return true;
}
