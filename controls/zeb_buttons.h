#pragma once
// Two-state buttons of the editor: the bitmap on/off button with its wheel rules and its
// hint and active-flag variants, the three-frame strip button and the hinting kick button.
#include "controls/hint_control.h"
#include "toolkit/buttons.h"

// Two frames stacked in the bitmap: off on top, on in the lower half. A left click toggles;
// the wheel toggles, or with the rocker flag only switches on (up) or off (down).
class CZEBOnOffButton : public CControl {
public:
    CZEBOnOffButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background);

    // Rocker: the wheel switches on in one direction and off in the other instead of toggling.
    void setRocker(bool rocker) { rocker_ = rocker; }
    bool getRocker() const { return rocker_; }
    // Without this flag the wheel distance is reversed before it is used.
    void setWheelDirection(bool natural) { wheelDirection_ = natural; }
    bool getWheelDirection() const { return wheelDirection_; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    ZEB_CONTROL_TYPE_NAME("CZEBOnOffButton")

protected:
    // The wheel rule; answers whether the value changed.
    bool wheelToggle(float distance);

    bool rocker_ = false;          // wheel switches on/off by direction instead of toggling
    bool wheelDirection_ = false;  // use the wheel distance as it comes (else reversed)
};

// Shows its hint on entry, after each click and each wheel step; clears it on exit.
class CZEBOnOffButtonH : public CZEBOnOffButton, public CZEBHintControl {
public:
    using CZEBOnOffButton::CZEBOnOffButton;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    ZEB_CONTROL_TYPE_NAME("CZEBOnOffButtonH")
};

// The toolkit's on/off button with a hint on entry; cleared on exit.
class COnOffButtonH : public COnOffButton, public CZEBHintControl {
public:
    using COnOffButton::COnOffButton;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    ZEB_CONTROL_TYPE_NAME("COnOffButtonH")
};

// With an active flag: inactive it swallows clicks and wheel and explains on entry what
// would activate it; active it works as CZEBOnOffButton.
class CZEBOnOffButtonAH : public CZEBOnOffButton, public CZEBHintControl {
public:
    using CZEBOnOffButton::CZEBOnOffButton;
    void setActive(bool active);
    bool isActive() const { return active_; }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    ZEB_CONTROL_TYPE_NAME("CZEBOnOffButtonAH")

protected:
    bool active_ = true;
};

// Three frames of a third of the bitmap each: off, on but inactive, on and active.
class StripActiveButton : public CZEBOnOffButtonAH {
public:
    using CZEBOnOffButtonAH::CZEBOnOffButtonAH;
    void draw(CDrawContext* context) override;
    ZEB_CONTROL_TYPE_NAME("StripActiveButton")
};

// Kick button with a hint on entry. The bitmap holds up, pressed and, when it has a third
// frame, mouse-inside faces, each as high as the view.
class CZEBKickButtonH : public CKickButton, public CZEBHintControl {
public:
    using CKickButton::CKickButton;
    bool isMouseInside() const { return mouseInside_; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    ZEB_CONTROL_TYPE_NAME("CZEBKickButtonH")

private:
    bool mouseInside_ = false;
};
