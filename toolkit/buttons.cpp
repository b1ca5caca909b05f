#include "toolkit/buttons.h"

#include <algorithm>
#include <cmath>

#include "toolkit/bitmap.h"

int stackedFrameIndex(float normalized, int frames) {
    if (frames <= 1 || !(normalized > 0)) return 0;
    const int index = static_cast<int>(std::min(normalized, 1.f) * static_cast<float>(frames - 1) + 0.5f);
    return std::clamp(index, 0, frames - 1);
}

// ---- COnOffButton

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background)
    : CControl(size, listener, tag, background) {}

void COnOffButton::draw(CDrawContext* context) {
    if (background_) {
        const double offset = getValue() == getMax() ? getHeight() : 0;
        context->drawBitmap(background_, size_, CPoint(0, offset));
    }
    setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    beginEdit();
    changeValueByUser(getValue() == getMax() ? getMin() : getMax());
    endEdit();
    return kMouseEventHandled;
}

// ---- CKickButton

CKickButton::CKickButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background)
    : CControl(size, listener, tag, background) {}

void CKickButton::draw(CDrawContext* context) {
    if (background_) {
        const double offset = getValue() == getMax() ? getHeight() : 0;
        context->drawBitmap(background_, size_, CPoint(0, offset));
    }
    setDirty(false);
}

CMouseEventResult CKickButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    beginEdit();
    changeValueByUser(getMax());
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!isEditing() || !buttons.isLeftButton()) return kMouseEventNotHandled;
    changeValueByUser(hitTest(where) ? getMax() : getMin());
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint&, const CButtonState&) {
    if (!isEditing()) return kMouseEventNotHandled;
    changeValueByUser(getMin());
    endEdit();
    return kMouseEventHandled;
}

// ---- CHorizontalSwitch

CHorizontalSwitch::CHorizontalSwitch(const CRect& size, CControlListener* listener, std::int32_t tag,
                                     int subPixmaps, double heightOfOneImage, int positions,
                                     CBitmap* background)
    : CControl(size, listener, tag, background),
      subPixmaps_(std::max(subPixmaps, 1)),
      heightOfOneImage_(heightOfOneImage > 0 ? heightOfOneImage : size.getHeight()),
      positions_(std::max(positions, 2)) {}

void CHorizontalSwitch::draw(CDrawContext* context) {
    if (background_) {
        const int frame = stackedFrameIndex(getValueNormalized(), subPixmaps_);
        context->drawBitmap(background_, size_, CPoint(0, frame * heightOfOneImage_));
    }
    setDirty(false);
}

void CHorizontalSwitch::setPositionAt(const CPoint& where) {
    const double width = getWidth();
    if (!(width > 0)) return;
    const int position = std::clamp(static_cast<int>((where.x - size_.left) / width * positions_), 0, positions_ - 1);
    changeValueByUser(getMin() + getRange() * static_cast<float>(position) / static_cast<float>(positions_ - 1));
}

CMouseEventResult CHorizontalSwitch::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    beginEdit();
    setPositionAt(where);
    return kMouseEventHandled;
}

CMouseEventResult CHorizontalSwitch::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!isEditing() || !buttons.isLeftButton()) return kMouseEventNotHandled;
    setPositionAt(where);
    return kMouseEventHandled;
}

CMouseEventResult CHorizontalSwitch::onMouseUp(CPoint&, const CButtonState&) {
    if (!isEditing()) return kMouseEventNotHandled;
    endEdit();
    return kMouseEventHandled;
}

// ---- CMovieBitmap

CMovieBitmap::CMovieBitmap(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps,
                           double heightOfOneImage, CBitmap* background)
    : CControl(size, listener, tag, background),
      subPixmaps_(std::max(subPixmaps, 1)),
      heightOfOneImage_(heightOfOneImage > 0 ? heightOfOneImage : size.getHeight()) {}

void CMovieBitmap::draw(CDrawContext* context) {
    if (background_) {
        const int frame = stackedFrameIndex(getValueNormalized(), subPixmaps_);
        context->drawBitmap(background_, size_, CPoint(0, frame * heightOfOneImage_));
    }
    setDirty(false);
}
