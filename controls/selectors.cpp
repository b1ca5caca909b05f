#include "controls/selectors.h"

#include <algorithm>
#include <cmath>

#include "controls/wheel_steps.h"
#include "toolkit/bitmap.h"

namespace {

int positionOf(float value) {
    if (!std::isfinite(value)) return 0;
    return static_cast<int>(std::clamp(value, -4.f, 4.f) * 2 + 0.5f);
}

void drawFrame(CDrawContext* context, CBitmap* bitmap, const CRect& size, int frame) {
    if (bitmap) context->drawBitmap(bitmap, size, CPoint(0, frame * size.getHeight()));
}

}  // namespace

// ---- CZEBCalibrationControl

CZEBCalibrationControl::CZEBCalibrationControl(const CRect& size, CControlListener* listener, std::int32_t tag,
                                               CBitmap* background)
    : CControl(size, listener, tag, background) {}

void CZEBCalibrationControl::draw(CDrawContext* context) {
    drawFrame(context, background_, size_, std::clamp(positionOf(getValue()), 0, 2));
    setDirty(false);
}

CMouseEventResult CZEBCalibrationControl::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!listener_ || !buttons.isLeftButton()) return kMouseEventNotHandled;
    const double x = where.x - size_.left;
    int position = std::clamp(positionOf(getValue()), 0, 2);
    if (x < 14) position = 0;
    else if (x < 26) position = 1;
    else if (x < 38) position = 2;
    setValue(static_cast<float>(position) * 0.5f);
    valueChanged();
    invalid();
    return kMouseEventHandled;
}

bool CZEBCalibrationControl::onWheel(const CPoint&, float distance, const CButtonState&) {
    if (!std::isfinite(distance)) return false;
    editor::stepPositionByWheel(*this, distance, 3);
    return true;
}

// ---- CZEBMeterSelectorControl

CZEBMeterSelectorControl::CZEBMeterSelectorControl(const CRect& size, CControlListener* listener, std::int32_t tag,
                                                   CBitmap* background)
    : CControl(size, listener, tag, background),
      innerButton_(new CZEBOnOffButton(size, listener, kInnerButtonTag, background)) {}

CZEBMeterSelectorControl::~CZEBMeterSelectorControl() { innerButton_->forget(); }

void CZEBMeterSelectorControl::setViewSize(const CRect& size, bool invalidate) {
    CControl::setViewSize(size, invalidate);
    innerButton_->setViewSize(getViewSize(), false);
}

int CZEBMeterSelectorControl::zoneAt(const CPoint& where) const {
    if (where.x <= size_.left + kZoneWidth) return kLeftZone;
    if (where.x >= size_.right - kZoneWidth) return kRightZone;
    return kMiddleZone;
}

void CZEBMeterSelectorControl::setZone(int zone) {
    if (zone == zone_) return;
    zone_ = zone;
    invalid();
    setDirty(true);
}

void CZEBMeterSelectorControl::draw(CDrawContext* context) {
    const int frame = zone_ == kLeftZone ? 1 : zone_ == kRightZone ? 2 : 0;
    drawFrame(context, background_, size_, frame);
    setDirty(false);
}

CMouseEventResult CZEBMeterSelectorControl::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!listener_ || !buttons.isLeftButton()) return kMouseEventNotHandled;
    const int zone = zoneAt(where);
    if (zone == kMiddleZone) {
        innerButton_->setListener(listener_);
        innerButton_->onMouseDown(where, buttons);
        return kMouseEventHandled;
    }
    int meter = positionOf(getValue());
    if (zone == kLeftZone) meter = meter - 1 < 0 ? 2 : meter - 1;
    else meter = meter + 1 > 2 ? 0 : meter + 1;
    setValue(std::clamp(static_cast<float>(meter) * 0.5f, 0.f, 1.f));
    valueChanged();
    invalid();
    setZone(zone);
    showHint(getTag(), getValue(), zone_);
    return kMouseEventHandled;
}

CMouseEventResult CZEBMeterSelectorControl::onMouseMoved(CPoint& where, const CButtonState&) {
    setZone(zoneAt(where));
    showHint(getTag(), getValue(), zone_);
    return kMouseEventHandled;
}

CMouseEventResult CZEBMeterSelectorControl::onMouseEntered(CPoint& where, const CButtonState&) {
    setZone(zoneAt(where));
    showHint(getTag(), getValue(), zone_);
    return kMouseEventHandled;
}

CMouseEventResult CZEBMeterSelectorControl::onMouseExited(CPoint&, const CButtonState&) {
    setZone(kMiddleZone);
    showHint(getTag(), getValue(), kMiddleZone);
    return kMouseEventHandled;
}

bool CZEBMeterSelectorControl::onWheel(const CPoint&, float distance, const CButtonState&) {
    if (!std::isfinite(distance)) return false;
    editor::stepPositionByWheel(*this, distance, 3);
    return true;
}

// ---- CZEBHorizontalSwitch

CMouseEventResult CZEBHorizontalSwitch::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!listener_) return kMouseEventNotHandled;
    return CHorizontalSwitch::onMouseDown(where, buttons);
}

bool CZEBHorizontalSwitch::onWheel(const CPoint&, float distance, const CButtonState&) {
    if (!std::isfinite(distance)) return false;
    editor::stepPositionByWheel(*this, distance, getPositions());
    return true;
}
