#include "controls/zeb_buttons.h"

#include <cmath>

#include "toolkit/bitmap.h"

namespace {

bool isOn(float value) { return value >= 0.5f; }

}  // namespace

// ---- CZEBOnOffButton

CZEBOnOffButton::CZEBOnOffButton(const CRect& size, CControlListener* listener, std::int32_t tag,
                                 CBitmap* background)
    : CControl(size, listener, tag, background) {}

void CZEBOnOffButton::draw(CDrawContext* context) {
    if (background_) {
        const double offset = isOn(getValue()) ? background_->getHeight() / 2 : 0;
        context->drawBitmap(background_, size_, CPoint(0, offset), 1.f);
    }
    setDirty(false);
}

CMouseEventResult CZEBOnOffButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!listener_ || !buttons.isLeftButton()) return kMouseEventNotHandled;
    beginEdit();
    const bool wasOff = static_cast<int>(getValue() + 0.5f) == 0;
    setValue(wasOff ? 1.f : 0.f);
    invalid();
    valueChanged();
    endEdit();
    return kMouseEventHandled;
}

bool CZEBOnOffButton::wheelToggle(float distance) {
    if (!std::isfinite(distance)) return false;
    if (!wheelDirection_) distance = -distance;
    const bool on = isOn(getValue());
    bool toggle = false;
    if (!rocker_) toggle = std::fabs(distance) > 0.1f;
    else toggle = (distance < -0.1f && on) || (distance > 0.1f && !on);
    if (!toggle) return false;
    setValue(on ? 0.f : 1.f);
    invalid();
    beginEdit();
    valueChanged();
    endEdit();
    return true;
}

bool CZEBOnOffButton::onWheel(const CPoint&, float distance, const CButtonState&) {
    if (!std::isfinite(distance)) return false;
    wheelToggle(distance);
    return true;
}

// ---- CZEBOnOffButtonH

CMouseEventResult CZEBOnOffButtonH::onMouseDown(CPoint& where, const CButtonState& buttons) {
    const CMouseEventResult result = CZEBOnOffButton::onMouseDown(where, buttons);
    if (result == kMouseEventHandled) showHint(getTag(), getValue());
    return result;
}

CMouseEventResult CZEBOnOffButtonH::onMouseEntered(CPoint&, const CButtonState&) {
    showHint(getTag(), getValue());
    return kMouseEventHandled;
}

CMouseEventResult CZEBOnOffButtonH::onMouseExited(CPoint&, const CButtonState&) {
    clearHint();
    return kMouseEventHandled;
}

bool CZEBOnOffButtonH::onWheel(const CPoint&, float distance, const CButtonState&) {
    if (!std::isfinite(distance)) return false;
    if (wheelToggle(distance)) showHint(getTag(), getValue());
    return true;
}

// ---- COnOffButtonH

CMouseEventResult COnOffButtonH::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!listener_) return kMouseEventNotHandled;
    return COnOffButton::onMouseDown(where, buttons);
}

CMouseEventResult COnOffButtonH::onMouseEntered(CPoint&, const CButtonState&) {
    showHint(getTag(), getValue());
    return kMouseEventHandled;
}

CMouseEventResult COnOffButtonH::onMouseExited(CPoint&, const CButtonState&) {
    clearHint();
    return kMouseEventHandled;
}

// ---- CZEBOnOffButtonAH

void CZEBOnOffButtonAH::setActive(bool active) {
    if (active_ == active) return;
    active_ = active;
    setDirty(true);
}

CMouseEventResult CZEBOnOffButtonAH::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!active_) return kMouseEventHandled;  // swallowed, so nothing underneath reacts
    return CZEBOnOffButton::onMouseDown(where, buttons);
}

CMouseEventResult CZEBOnOffButtonAH::onMouseEntered(CPoint&, const CButtonState&) {
    if (active_) clearHint();
    else showHint(getTag(), 0.f);
    return kMouseEventHandled;
}

CMouseEventResult CZEBOnOffButtonAH::onMouseExited(CPoint&, const CButtonState&) {
    clearHint();
    return kMouseEventHandled;
}

bool CZEBOnOffButtonAH::onWheel(const CPoint&, float distance, const CButtonState&) {
    if (!std::isfinite(distance)) return false;
    if (active_ && wheelToggle(distance)) showHint(getTag(), getValue());
    return true;
}

// ---- StripActiveButton

void StripActiveButton::draw(CDrawContext* context) {
    if (background_) {
        const double frameHeight = background_->getHeight() / 3;
        double offset = 0;
        if (isOn(getValue())) offset = active_ ? 2 * frameHeight : frameHeight;
        context->drawBitmap(background_, size_, CPoint(0, offset), 1.f);
    }
    setDirty(false);
}

// ---- CZEBKickButtonH

void CZEBKickButtonH::draw(CDrawContext* context) {
    if (background_) {
        const double frameHeight = getHeight();
        const int frames = frameHeight > 0 ? static_cast<int>(background_->getHeight() / frameHeight) : 0;
        int frame = 0;
        if (getValue() >= getMax()) frame = 1;
        else if (mouseInside_ && frames >= 3) frame = 2;
        context->drawBitmap(background_, size_, CPoint(0, frame * frameHeight));
    }
    setDirty(false);
}

CMouseEventResult CZEBKickButtonH::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!listener_) return kMouseEventNotHandled;
    return CKickButton::onMouseDown(where, buttons);
}

CMouseEventResult CZEBKickButtonH::onMouseEntered(CPoint&, const CButtonState&) {
    mouseInside_ = true;
    showHint(getTag(), 0.f);
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CZEBKickButtonH::onMouseExited(CPoint&, const CButtonState&) {
    mouseInside_ = false;
    clearHint();
    invalid();
    return kMouseEventHandled;
}
