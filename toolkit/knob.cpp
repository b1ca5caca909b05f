#include "toolkit/knob.h"

#include <atomic>
#include <cmath>

#include "toolkit/bitmap.h"
#include "toolkit/buttons.h"

namespace {
std::atomic<int> knobMode{kCircularMode};
constexpr double kPi = 3.14159265358979323846;
}  // namespace

void CKnob::setKnobMode(int mode) { knobMode.store(mode, std::memory_order_relaxed); }
int CKnob::getKnobMode() { return knobMode.load(std::memory_order_relaxed); }

CKnob::CKnob(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background, CBitmap* handle)
    : CControl(size, listener, tag, background) {
    if (handle) handle->remember();
    handle_ = handle;
}

CKnob::~CKnob() {
    if (handle_) handle_->forget();
}

void CKnob::draw(CDrawContext* context) {
    if (background_) context->drawBitmap(background_, size_);
    const double angle = startAngle_ + getValueNormalized() * rangeAngle_;
    const CPoint centre = size_.getCenter();
    const double radius = std::min(getWidth(), getHeight()) / 2;
    if (handle_) {
        const CPoint at(centre.x + radius * 0.7 * std::cos(angle), centre.y - radius * 0.7 * std::sin(angle));
        const double w = handle_->getWidth();
        const double h = handle_->getHeight();
        context->drawBitmap(handle_, CRect(std::round(at.x - w / 2), std::round(at.y - h / 2),
                                           std::round(at.x - w / 2) + w, std::round(at.y - h / 2) + h));
    } else {
        context->saveGlobalState();
        context->setFrameColor(handleColor_);
        context->setLineWidth(2);
        context->setLineCap(toolkit::LineCap::Round);
        context->drawLine(CPoint(centre.x + radius * 0.2 * std::cos(angle), centre.y - radius * 0.2 * std::sin(angle)),
                          CPoint(centre.x + radius * 0.85 * std::cos(angle), centre.y - radius * 0.85 * std::sin(angle)));
        context->restoreGlobalState();
    }
    setDirty(false);
}

float CKnob::valueFromAngleAt(const CPoint& where) const {
    const CPoint centre = size_.getCenter();
    double angle = std::atan2(centre.y - where.y, where.x - centre.x);
    // Measure from the start angle in the direction of the range.
    double along = (angle - startAngle_) * (rangeAngle_ < 0 ? -1 : 1);
    while (along < 0) along += 2 * kPi;
    const double span = std::fabs(rangeAngle_);
    if (along > span) along = along - span < 2 * kPi - along ? span : 0;  // nearest end in the dead zone
    return getMin() + getRange() * static_cast<float>(along / span);
}

CMouseEventResult CKnob::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    if (checkDefaultValue(buttons)) return kMouseEventHandled;
    beginEdit();
    dragStart_ = where;
    dragStartValue_ = getValue();
    dragModifiers_ = buttons.getModifierState();
    if (getKnobMode() == kCircularMode) changeValueByUser(valueFromAngleAt(where));
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!isEditing() || !buttons.isLeftButton()) return kMouseEventNotHandled;
    if (getKnobMode() != kLinearMode) {
        changeValueByUser(valueFromAngleAt(where));
        return kMouseEventHandled;
    }
    if (buttons.getModifierState() != dragModifiers_) {
        // Fine mode switched mid-drag: continue from here so the value does not jump.
        dragStart_ = where;
        dragStartValue_ = getValue();
        dragModifiers_ = buttons.getModifierState();
    }
    double pixels = linearRange_;
    if (buttons & kShift) pixels *= 10;
    const double distance = dragStart_.y - where.y;
    changeValueByUser(dragStartValue_ + static_cast<float>(distance / pixels) * getRange());
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseUp(CPoint&, const CButtonState&) { return endDragEdit(); }

bool CKnob::onWheel(const CPoint&, float distance, const CButtonState& buttons) {
    return stepByWheel(distance, buttons, wheelInc_);
}

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps,
                     double heightOfOneImage, CBitmap* background)
    : CKnob(size, listener, tag, background),
      subPixmaps_(std::max(subPixmaps, 0)),
      heightOfOneImage_(heightOfOneImage > 0 ? heightOfOneImage : size.getHeight()) {}

int CAnimKnob::getNumSubPixmaps() const {
    if (subPixmaps_ > 0) return subPixmaps_;
    if (!background_ || !(heightOfOneImage_ > 0)) return 1;
    return std::max(1, static_cast<int>(background_->getHeight() / heightOfOneImage_));
}

void CAnimKnob::draw(CDrawContext* context) {
    if (background_) {
        const int frame = stackedFrameIndex(getValueNormalized(), getNumSubPixmaps());
        context->drawBitmap(background_, size_, CPoint(0, frame * heightOfOneImage_));
    }
    setDirty(false);
}
