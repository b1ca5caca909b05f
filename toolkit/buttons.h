#pragma once
// Bitmap controls whose face is one frame of a vertically stacked bitmap: on/off button,
// kick button, horizontal switch and movie bitmap.
#include "toolkit/control.h"

// Frame to show for a normalised value among `frames` frames (rounded, clamped).
int stackedFrameIndex(float normalized, int frames);

// Two frames of the view's height: off on top, on below. A left click toggles.
class COnOffButton : public CControl {
public:
    COnOffButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background);
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    TOOLKIT_TYPE_NAME("COnOffButton", CControl)
};

// Pressed while the mouse is held on it: the listener sees max on press and min on
// release. Two frames of the view's height: up on top, down below.
class CKickButton : public CControl {
public:
    CKickButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background);
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    TOOLKIT_TYPE_NAME("CKickButton", CControl)
};

// `positions` positions across the width; clicking or dragging picks the one under the
// mouse. The bitmap holds `subPixmaps` frames of `heightOfOneImage` pixels.
class CHorizontalSwitch : public CControl {
public:
    CHorizontalSwitch(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps,
                      double heightOfOneImage, int positions, CBitmap* background);
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    int getNumSubPixmaps() const { return subPixmaps_; }
    double getHeightOfOneImage() const { return heightOfOneImage_; }
    int getPositions() const { return positions_; }
    TOOLKIT_TYPE_NAME("CHorizontalSwitch", CControl)

protected:
    void setPositionAt(const CPoint& where);

    int subPixmaps_;           // frames in the bitmap
    double heightOfOneImage_;  // pixels
    int positions_;            // selectable positions, at least 2
};

// Shows the frame that matches its value; takes no mouse input.
class CMovieBitmap : public CControl {
public:
    CMovieBitmap(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps,
                 double heightOfOneImage, CBitmap* background);
    void draw(CDrawContext* context) override;
    int getNumSubPixmaps() const { return subPixmaps_; }
    TOOLKIT_TYPE_NAME("CMovieBitmap", CControl)

protected:
    int subPixmaps_;           // frames in the bitmap
    double heightOfOneImage_;  // pixels
};
