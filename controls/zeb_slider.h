#pragma once
// A slider with an active flag: inactive it is drawn at half opacity, ignores the mouse and
// the wheel and explains on entry what would activate it.
#include <cmath>

#include "controls/hint_control.h"
#include "toolkit/slider.h"

class CZEBSliderAH : public CSlider, public CZEBHintControl {
public:
    CZEBSliderAH(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* handle,
                 CBitmap* background = nullptr, int style = kHorizontal | kLeft);

    void setActive(bool active);
    bool isActive() const { return active_; }
    // Value change per wheel notch, and the factor applied to it with Shift.
    void setWheelStep(float step) { if (std::isfinite(step)) wheelStep_ = step; }
    float getWheelStep() const { return wheelStep_; }
    void setFineFactor(float factor) { if (std::isfinite(factor)) fineFactor_ = factor; }
    float getFineFactor() const { return fineFactor_; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    ZEB_CONTROL_TYPE_NAME("CZEBSliderAH")

private:
    bool active_ = true;
    float wheelStep_ = 0.01f;   // value per notch
    float fineFactor_ = 0.1f;   // applied to the step with Shift
};
