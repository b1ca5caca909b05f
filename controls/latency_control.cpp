#include "controls/latency_control.h"

#include <algorithm>

#include "controls/editor_fonts.h"
#include "controls/wheel_steps.h"
#include "toolkit/bitmap.h"

namespace {
// Left edges of the hundreds, tens and units cells (pixels from the control's left edge)
// and their width; they sit in the digit window of the body.
constexpr double kDigitLeft[3] = {3, 10, 17};
constexpr double kDigitWidth = 7;
constexpr float kStep = 10.f / 999.f;
constexpr float kFineStep = 1.f / 999.f;
}  // namespace

CZEBLatencyControl::CZEBLatencyControl(const CRect& size, CControlListener* listener, std::int32_t tag,
                                       CBitmap* background)
    : CKnob(size, listener, tag, background) {}

CZEBLatencyControl::~CZEBLatencyControl() {
    if (digitFont_) digitFont_->forget();
}

void CZEBLatencyControl::setDigitFont(CFontDesc* font) {
    if (font) font->remember();
    if (digitFont_) digitFont_->forget();
    digitFont_ = font;
    setDirty(true);
}

int CZEBLatencyControl::getNumber() const {
    const float value = getValueNormalized();
    return std::clamp(static_cast<int>(value * kMaxNumber + 0.5f), 0, kMaxNumber);
}

void CZEBLatencyControl::draw(CDrawContext* context) {
    if (background_) context->drawBitmap(background_, size_, CPoint(0, 0));
    const int number = getNumber();
    const int digits[3] = {number / 100, number / 10 % 10, number % 10};
    context->saveGlobalState();
    context->setFont(digitFont_ ? digitFont_ : smallTextFont());
    context->setFontColor(digitColor_);
    for (int i = 0; i < 3; ++i) {
        const char text[2] = {static_cast<char>('0' + digits[i]), 0};
        const double left = size_.left + kDigitLeft[i];
        context->drawString(text, CRect(left, size_.top, left + kDigitWidth, size_.top + kFrameHeight), kCenterText);
    }
    context->restoreGlobalState();
    if (background_) {
        context->drawBitmap(background_, size_, CPoint(0, kFrameHeight));
        context->drawBitmap(background_, size_, CPoint(0, 2 * kFrameHeight));
    }
    setDirty(false);
}

void CZEBLatencyControl::changeTo(float value) {
    const float low = std::min(getMin(), getMax());
    const float high = std::max(getMin(), getMax());
    value = std::clamp(value, low, high);
    if (!std::isfinite(value) || value == getValue()) return;
    setValue(value);
    invalid();
    valueChanged();
}

CMouseEventResult CZEBLatencyControl::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!listener_ || !buttons.isLeftButton()) return kMouseEventNotHandled;
    beginEdit();
    const double fromTop = where.y - size_.top;
    const bool centre = std::fabs(where.x - size_.getCenter().x) <= kStepZoneHalfWidth;
    if (centre && (fromTop < kUpZoneBottom || fromTop >= kDownZoneTop)) {
        const float step = (buttons & kShift) ? kFineStep : kStep;
        changeTo(getValue() + (fromTop < kUpZoneBottom ? step : -step) * getRange());
        endEdit();
        return kMouseEventHandled;
    }
    if (buttons.isDoubleClick()) {
        setDefault_ = true;
        setValue(getDefaultValue());
        bounceValue();
        invalid();
        valueChanged();
        endEdit();
        return kMouseEventHandled;
    }
    dragging_ = true;
    lastY_ = where.y;
    return kMouseEventHandled;
}

CMouseEventResult CZEBLatencyControl::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!dragging_ || !buttons.isLeftButton()) return kMouseEventNotHandled;
    const double pixels = lastY_ - where.y;
    const double perPixel = (buttons & kShift) ? 1.0 / 10.0 / kMaxNumber : 2.0 / kMaxNumber;
    changeTo(getValue() + static_cast<float>(pixels * perPixel) * getRange());
    lastY_ = where.y;
    return kMouseEventHandled;
}

CMouseEventResult CZEBLatencyControl::onMouseUp(CPoint&, const CButtonState&) {
    if (!dragging_) return kMouseEventNotHandled;
    dragging_ = false;
    endEdit();
    return kMouseEventHandled;
}

bool CZEBLatencyControl::onWheel(const CPoint&, float distance, const CButtonState& buttons) {
    if (!std::isfinite(distance)) return false;
    editor::stepByWheel(*this, distance, buttons, wheelStep_, fineFactor_);
    return true;
}
