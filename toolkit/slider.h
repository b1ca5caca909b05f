#pragma once
// A slider: a handle bitmap that moves along the view, horizontally or vertically.
// Geometry: the handle's leading edge travels over [travel start, travel end - handle
// length] along the axis (view-relative pixels, the whole view by default); value min
// lies at the left (kLeft) or bottom (kBottom) end unless kRight/kTop is given.
// Mouse: grabbing the handle drags it without a jump, a click beside it centres it there,
// Control-click sets the default; the wheel steps by the wheel increment (Shift: a tenth).
#include "toolkit/control.h"

enum CSliderStyle : int {
    kHorizontal = 1 << 0,
    kVertical = 1 << 1,
    kLeft = 1 << 2,
    kRight = 1 << 3,
    kTop = 1 << 4,
    kBottom = 1 << 5,
};

class CSlider : public CControl {
public:
    CSlider(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* handle,
            CBitmap* background = nullptr, int style = kHorizontal | kLeft);
    ~CSlider() override;

    void setHandle(CBitmap* handle);
    CBitmap* getHandle() const { return handle_; }
    // Limits the handle's travel to [start, end] pixels from the view's left (or top) edge.
    void setTravel(double start, double end);
    int getStyle() const { return style_; }
    bool isHorizontal() const { return (style_ & kVertical) == 0; }

    // Where the handle is drawn, in the view's size coordinates.
    CRect getHandleRect() const;
    // The normalised value whose handle leading edge lies at `edge` (view size coordinates
    // along the axis), clamped to 0..1.
    float normalizedAtHandleEdge(double edge) const;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    TOOLKIT_TYPE_NAME("CSlider", CControl)

protected:
    double handleLength() const;      // pixels along the axis
    double axisCoordinate(const CPoint& point) const;
    bool minAtFarEnd() const;         // value min at the right (kRight) or bottom (vertical, not kTop)

    CBitmap* handle_ = nullptr;       // one reference held
    int style_;
    double travelStart_ = 0;          // pixels from the view's leading edge
    double travelEnd_ = -1;           // pixels; negative: the view's full length
    double grabOffset_ = 0;           // pixels from the handle's leading edge to the mouse
};
