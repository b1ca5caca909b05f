#include "toolkit/slider.h"

#include <algorithm>
#include <cmath>

#include "toolkit/bitmap.h"

CSlider::CSlider(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* handle,
                 CBitmap* background, int style)
    : CControl(size, listener, tag, background), style_(style) {
    setHandle(handle);
}

CSlider::~CSlider() {
    if (handle_) handle_->forget();
}

void CSlider::setHandle(CBitmap* handle) {
    if (handle) handle->remember();
    if (handle_) handle_->forget();
    handle_ = handle;
    setDirty(true);
}

void CSlider::setTravel(double start, double end) {
    if (!std::isfinite(start) || !std::isfinite(end) || end <= start) return;
    travelStart_ = start;
    travelEnd_ = end;
    setDirty(true);
}

double CSlider::handleLength() const {
    if (!handle_) return 0;
    return isHorizontal() ? handle_->getWidth() : handle_->getHeight();
}

double CSlider::axisCoordinate(const CPoint& point) const {
    return isHorizontal() ? point.x - size_.left : point.y - size_.top;
}

bool CSlider::minAtFarEnd() const {
    return isHorizontal() ? (style_ & kRight) != 0 : (style_ & kTop) == 0;
}

float CSlider::normalizedAtHandleEdge(double edge) const {
    const double end = travelEnd_ < 0 ? (isHorizontal() ? getWidth() : getHeight()) : travelEnd_;
    const double span = end - handleLength() - travelStart_;
    if (!(span > 0)) return 0;
    const double fraction = std::clamp((edge - travelStart_) / span, 0.0, 1.0);
    return static_cast<float>(minAtFarEnd() ? 1.0 - fraction : fraction);
}

CRect CSlider::getHandleRect() const {
    const double end = travelEnd_ < 0 ? (isHorizontal() ? getWidth() : getHeight()) : travelEnd_;
    const double span = std::max(0.0, end - handleLength() - travelStart_);
    double fraction = getValueNormalized();
    if (minAtFarEnd()) fraction = 1.0 - fraction;
    const double edge = std::round(travelStart_ + fraction * span);
    const double handleWidth = handle_ ? handle_->getWidth() : 0;
    const double handleHeight = handle_ ? handle_->getHeight() : 0;
    if (isHorizontal()) {
        const double top = size_.top + std::round((getHeight() - handleHeight) / 2);
        return CRect(size_.left + edge, top, size_.left + edge + handleWidth, top + handleHeight);
    }
    const double left = size_.left + std::round((getWidth() - handleWidth) / 2);
    return CRect(left, size_.top + edge, left + handleWidth, size_.top + edge + handleHeight);
}

void CSlider::draw(CDrawContext* context) {
    if (background_) context->drawBitmap(background_, size_);
    if (handle_) context->drawBitmap(handle_, getHandleRect());
    setDirty(false);
}

CMouseEventResult CSlider::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    if (checkDefaultValue(buttons)) return kMouseEventHandled;
    const CRect handle = getHandleRect();
    const double leading = isHorizontal() ? handle.left - size_.left : handle.top - size_.top;
    // Grabbing the handle keeps the spot under the mouse; elsewhere the handle jumps there.
    grabOffset_ = handle.pointInside(where) ? axisCoordinate(where) - leading : handleLength() / 2;
    beginEdit();
    changeValueByUser(getMin() + getRange() * normalizedAtHandleEdge(axisCoordinate(where) - grabOffset_));
    return kMouseEventHandled;
}

CMouseEventResult CSlider::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!isEditing() || !buttons.isLeftButton()) return kMouseEventNotHandled;
    changeValueByUser(getMin() + getRange() * normalizedAtHandleEdge(axisCoordinate(where) - grabOffset_));
    return kMouseEventHandled;
}

CMouseEventResult CSlider::onMouseUp(CPoint&, const CButtonState&) { return endDragEdit(); }

bool CSlider::onWheel(const CPoint&, float distance, const CButtonState& buttons) {
    return stepByWheel(distance, buttons, wheelInc_);
}
