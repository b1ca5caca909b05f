#include "controls/zeb_slider.h"

#include <cmath>

#include "controls/wheel_steps.h"

CZEBSliderAH::CZEBSliderAH(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* handle,
                           CBitmap* background, int style)
    : CSlider(size, listener, tag, handle, background, style) {}

void CZEBSliderAH::setActive(bool active) {
    if (active_ == active) return;
    active_ = active;
    if (!active && isEditing()) endEdit();  // a drag cut short by deactivation still closes
    setDirty(true);
}

void CZEBSliderAH::draw(CDrawContext* context) {
    if (active_) {
        CSlider::draw(context);
        return;
    }
    context->saveGlobalState();
    context->setGlobalAlpha(context->getGlobalAlpha() * 0.5f);
    CSlider::draw(context);
    context->restoreGlobalState();
}

CMouseEventResult CZEBSliderAH::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!active_) return kMouseEventHandled;
    if (!listener_ || !buttons.isLeftButton()) return kMouseEventNotHandled;
    if (buttons.isDoubleClick()) {
        beginEdit();
        const float value = getDefaultValue();
        if (value != getValue()) {
            setValue(value);
            bounceValue();
            invalid();
            valueChanged();
        }
        endEdit();
        return kMouseEventHandled;
    }
    // Grabbing the handle keeps the spot under the mouse; a click beside it moves it there.
    return CSlider::onMouseDown(where, buttons);
}

CMouseEventResult CZEBSliderAH::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!active_) return kMouseEventHandled;
    return CSlider::onMouseMoved(where, buttons);
}

CMouseEventResult CZEBSliderAH::onMouseUp(CPoint& where, const CButtonState& buttons) {
    if (!active_) return kMouseEventHandled;
    return CSlider::onMouseUp(where, buttons);
}

CMouseEventResult CZEBSliderAH::onMouseEntered(CPoint&, const CButtonState&) {
    if (active_) clearHint();
    else showHint(getTag(), 0.f);
    return kMouseEventHandled;
}

CMouseEventResult CZEBSliderAH::onMouseExited(CPoint&, const CButtonState&) {
    clearHint();
    return kMouseEventHandled;
}

bool CZEBSliderAH::onWheel(const CPoint&, float distance, const CButtonState& buttons) {
    if (!std::isfinite(distance)) return false;
    if (active_) editor::stepByWheel(*this, distance, buttons, wheelStep_, fineFactor_);
    return true;
}
