#pragma once
// Position selectors: the three-way scope selector, the meter selector with its left and
// right zones, and the toolkit's horizontal switch with wheel steps.
#include "controls/hint_control.h"
#include "controls/zeb_buttons.h"
#include "toolkit/buttons.h"

// Three positions picked by clicking: x below 14, 26 and 38 pixels from the left edge.
// The bitmap holds three frames as high as the view.
class CZEBCalibrationControl : public CControl {
public:
    CZEBCalibrationControl(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    ZEB_CONTROL_TYPE_NAME("CZEBCalibrationControl")
};

// Cycles VU -> RMS -> PPM: a click within 20 pixels of the left edge selects the previous
// meter, within 20 pixels of the right edge the next one; a click in the middle is passed
// on as a click of the inner on/off button (tag 65). The bitmap holds three frames as high
// as the view: idle, left zone lit, right zone lit.
class CZEBMeterSelectorControl : public CControl, public CZEBHintControl {
public:
    enum Zone : int { kLeftZone = 0, kRightZone = 1, kMiddleZone = 2 };
    static constexpr std::int32_t kInnerButtonTag = 65;
    static constexpr double kZoneWidth = 20;  // pixels

    CZEBMeterSelectorControl(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background);
    ~CZEBMeterSelectorControl() override;

    int getZone() const { return zone_; }
    // The button that middle clicks go to; not shown itself.
    CZEBOnOffButton* getInnerButton() const { return innerButton_; }
    // The zone of a point in the view's size coordinates.
    int zoneAt(const CPoint& where) const;

    void draw(CDrawContext* context) override;
    void setViewSize(const CRect& size, bool invalidate = true) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    ZEB_CONTROL_TYPE_NAME("CZEBMeterSelectorControl")

private:
    void setZone(int zone);

    int zone_ = kMiddleZone;
    CZEBOnOffButton* innerButton_;  // owned, tag 65, same rectangle and bitmap
};

// The toolkit's horizontal switch; the wheel moves it one position per notch.
class CZEBHorizontalSwitch : public CHorizontalSwitch {
public:
    using CHorizontalSwitch::CHorizontalSwitch;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    ZEB_CONTROL_TYPE_NAME("CZEBHorizontalSwitch")
};
