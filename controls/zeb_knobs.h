#pragma once
// Knobs of the editor: the anim knob with reset, fine mode and wheel steps, and the
// reference read-out that shows a caption over its plate.
#include <atomic>
#include <cmath>
#include <string>

#include "controls/hint_control.h"
#include "toolkit/knob.h"

// Stacked-frame knob dragged linearly: right and up increase. Control-click or a double
// click resets to the default; Shift makes the drag five times finer.
class CAnimKnob4 : public CAnimKnob {
public:
    CAnimKnob4(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps,
               double heightOfOneImage, CBitmap* background);

    // Scales the drag: pixels for the full range = 1000 x sensitivity.
    void setSensitivity(float sensitivity) { if (std::isfinite(sensitivity) && sensitivity > 0) sensitivity_ = sensitivity; }
    float getSensitivity() const { return sensitivity_; }
    void setWheelStep(float step) { if (std::isfinite(step)) wheelStep_ = step; }
    float getWheelStep() const { return wheelStep_; }
    void setFineFactor(float factor) { if (std::isfinite(factor)) fineFactor_ = factor; }
    float getFineFactor() const { return fineFactor_; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    ZEB_CONTROL_TYPE_NAME("CAnimKnob4")

private:
    float stepPerPixel(bool fine) const;

    float sensitivity_ = 1.f;      // 1: 1000 pixels for the full range
    float wheelStep_ = 0.01f;      // value per notch
    float fineFactor_ = 0.1f;      // applied to the wheel step with Shift
    bool dragging_ = false;
    bool dragFine_ = false;        // Shift was held when the step was last computed
    float dragStartValue_ = 0;     // value the drag distance is added to
    CPoint dragStartPoint_;        // pixels, where the drag began
    float dragStep_ = 0;           // value per pixel
};

// The reference level read-out: frame 0 of its plate bitmap and, when set, a caption in
// the plate's window (from 81 pixels right of the left edge to 2 pixels before the right).
class CFrontReferenceControl : public CKnob, public CZEBHintControl {
public:
    static constexpr CColor kCaptionColor{200, 193, 193, 255};
    static constexpr std::size_t kMaxCaptionBytes = 255;

    CFrontReferenceControl(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background);
    ~CFrontReferenceControl() override;

    // Any thread; null or "" removes the caption.
    void setCaption(const char* text);
    std::string getCaption() const;
    // Font of the caption (the small text font unless set); one reference held.
    void setCaptionFont(CFontDesc* font);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;

    ZEB_CONTROL_TYPE_NAME("CFrontReferenceControl")

private:
    mutable std::atomic_flag captionLock_ = ATOMIC_FLAG_INIT;  // held only while copying
    char caption_[kMaxCaptionBytes + 1] = {};                  // UTF-8, terminated
    CFontDesc* captionFont_ = nullptr;
};
