#pragma once
// Knobs: CKnob draws a handle line over its background and follows the mouse in the
// process-wide knob mode; CAnimKnob shows one frame of a stacked bitmap instead.
#include "toolkit/control.h"

// Circular: the value follows the mouse's angle around the centre (relative circular
// behaves the same). Linear: vertical movement, Shift for ten times finer steps.
enum CKnobMode : int { kCircularMode = 0, kRelativCircularMode = 1, kLinearMode = 2 };

class CKnob : public CControl {
public:
    CKnob(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
          CBitmap* handle = nullptr);
    ~CKnob() override;

    // Process-wide: how every knob follows the mouse (linear: vertical movement).
    static void setKnobMode(int mode);
    static int getKnobMode();

    void setHandleColor(CColor color) { handleColor_ = color; setDirty(true); }
    // Angles in radians, counter-clockwise from the right-hand horizontal.
    void setStartAngle(double radians) { startAngle_ = radians; setDirty(true); }
    void setRangeAngle(double radians) { rangeAngle_ = radians; setDirty(true); }
    // Pixels of vertical movement for the full range in linear mode.
    void setLinearRange(double pixels) { if (pixels > 0) linearRange_ = pixels; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    TOOLKIT_TYPE_NAME("CKnob", CControl)

protected:
    float valueFromAngleAt(const CPoint& where) const;

    CBitmap* handle_ = nullptr;         // optional handle image, one reference held
    CColor handleColor_ = kWhiteCColor;
    double startAngle_ = 1.25 * 3.14159265358979;   // radians: lower left
    double rangeAngle_ = -1.5 * 3.14159265358979;   // radians: clockwise three quarters
    double linearRange_ = 200;          // pixels for the full range
    CPoint dragStart_;                  // mouse position where the drag (re)started
    float dragStartValue_ = 0;          // value at that moment
    std::int32_t dragModifiers_ = 0;    // modifier bits the drag step was computed for
};

class CAnimKnob : public CKnob {
public:
    // `subPixmaps` frames of `heightOfOneImage` pixels; 0 frames: as many as fit the bitmap.
    CAnimKnob(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps,
              double heightOfOneImage, CBitmap* background);

    void draw(CDrawContext* context) override;
    int getNumSubPixmaps() const;
    void setNumSubPixmaps(int frames) { subPixmaps_ = frames; setDirty(true); }
    double getHeightOfOneImage() const { return heightOfOneImage_; }
    void setHeightOfOneImage(double height) { if (height > 0) heightOfOneImage_ = height; setDirty(true); }

    TOOLKIT_TYPE_NAME("CAnimKnob", CKnob)

protected:
    int subPixmaps_;           // frames in the bitmap, 0: derived from its height
    double heightOfOneImage_;  // pixels
};
