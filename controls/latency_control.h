#pragma once
// A three-digit number control, 0 to 999 (value x 999): the upper and lower step zones in
// the middle add or take one step (ten, or one with Shift); elsewhere a vertical drag
// changes the number and a double click asks for the default.
#include <cmath>

#include "controls/type_names.h"
#include "toolkit/knob.h"

class CZEBLatencyControl : public CKnob {
public:
    static constexpr int kMaxNumber = 999;
    static constexpr double kStepZoneHalfWidth = 10;  // pixels either side of the centre
    static constexpr double kUpZoneBottom = 14;       // pixels from the top
    static constexpr double kDownZoneTop = 26;        // pixels from the top
    static constexpr double kFrameHeight = 40;        // pixels per bitmap frame

    // `background` holds three frames of 40 pixels: body, glass, and the zone marks.
    CZEBLatencyControl(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background);
    ~CZEBLatencyControl() override;

    // The number the value shows.
    int getNumber() const;
    // Raised by a double click; the owner reads and clears it.
    bool getSetDefault() const { return setDefault_; }
    void clearSetDefault() { setDefault_ = false; }

    void setWheelStep(float step) { if (std::isfinite(step)) wheelStep_ = step; }
    float getWheelStep() const { return wheelStep_; }
    void setFineFactor(float factor) { if (std::isfinite(factor)) fineFactor_ = factor; }
    float getFineFactor() const { return fineFactor_; }
    // Digits: the small text font and a warm white unless set; one font reference held.
    void setDigitFont(CFontDesc* font);
    void setDigitColor(CColor color) { digitColor_ = color; setDirty(true); }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    ZEB_CONTROL_TYPE_NAME("CZEBLatencyControl")

private:
    // Clamps into the range; tells the listener when the value changed.
    void changeTo(float value);

    bool setDefault_ = false;            // a double click asked for the default
    bool dragging_ = false;
    double lastY_ = 0;                   // pixels, mouse position at the last drag step
    float wheelStep_ = 10.f / 999.f;     // value per notch
    float fineFactor_ = 0.1f;            // applied to the wheel step with Shift
    CFontDesc* digitFont_ = nullptr;     // null: the small text font
    CColor digitColor_{246, 226, 190, 255};
};
