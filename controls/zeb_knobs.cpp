#include "controls/zeb_knobs.h"

#include <algorithm>
#include <cstring>

#include "controls/editor_fonts.h"
#include "controls/wheel_steps.h"
#include "toolkit/bitmap.h"

// ---- CAnimKnob4

CAnimKnob4::CAnimKnob4(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps,
                       double heightOfOneImage, CBitmap* background)
    : CAnimKnob(size, listener, tag, subPixmaps, heightOfOneImage, background) {}

float CAnimKnob4::stepPerPixel(bool fine) const {
    float pixels = 1000.f * sensitivity_;
    if (fine) pixels *= 5.f;
    return getRange() / pixels;
}

void CAnimKnob4::draw(CDrawContext* context) {
    if (background_) {
        const int frames = getNumSubPixmaps();
        const float value = getValueNormalized();
        int frame = 0;
        if (value > 0) frame = std::clamp(static_cast<int>(static_cast<float>(frames - 1) * value + 0.5f), 0, frames - 1);
        context->drawBitmap(background_, size_, CPoint(0, frame * heightOfOneImage_));
    }
    setDirty(false);
}

CMouseEventResult CAnimKnob4::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!listener_ || !buttons.isLeftButton()) return kMouseEventNotHandled;
    beginEdit();
    if ((buttons & kControl) || buttons.isDoubleClick()) {
        setValue(getDefaultValue());
        bounceValue();
        invalid();
        valueChanged();
        endEdit();
        return kMouseEventHandled;
    }
    dragging_ = true;
    dragFine_ = (buttons & kShift) != 0;
    dragStartValue_ = getValue();
    dragStartPoint_ = where;
    dragStep_ = stepPerPixel(dragFine_);
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob4::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!dragging_ || !buttons.isLeftButton()) return kMouseEventNotHandled;
    const float distance = static_cast<float>((where.x - dragStartPoint_.x) + (dragStartPoint_.y - where.y));
    const bool fine = (buttons & kShift) != 0;
    if (fine != dragFine_) {
        // Continue from the current value at the new rate, so the knob does not jump.
        dragFine_ = fine;
        dragStep_ = stepPerPixel(fine);
        dragStartValue_ = getValue() - distance * dragStep_;
    }
    const float low = std::min(getMin(), getMax());
    const float high = std::max(getMin(), getMax());
    const float value = std::clamp(dragStartValue_ + distance * dragStep_, low, high);
    if (std::isfinite(value) && value != getValue()) {
        setValue(value);
        invalid();
        valueChanged();
    }
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob4::onMouseUp(CPoint&, const CButtonState&) {
    if (!dragging_) return kMouseEventNotHandled;
    dragging_ = false;
    endEdit();
    return kMouseEventHandled;
}

bool CAnimKnob4::onWheel(const CPoint&, float distance, const CButtonState& buttons) {
    if (!std::isfinite(distance)) return false;
    editor::stepByWheel(*this, distance, buttons, wheelStep_, fineFactor_);
    return true;
}

// ---- CFrontReferenceControl

CFrontReferenceControl::CFrontReferenceControl(const CRect& size, CControlListener* listener, std::int32_t tag,
                                               CBitmap* background)
    : CKnob(size, listener, tag, background) {}

CFrontReferenceControl::~CFrontReferenceControl() {
    if (captionFont_) captionFont_->forget();
}

void CFrontReferenceControl::setCaption(const char* text) {
    std::size_t length = text ? std::strlen(text) : 0;
    if (length > kMaxCaptionBytes) {
        length = kMaxCaptionBytes;
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    while (captionLock_.test_and_set(std::memory_order_acquire)) {}
    if (length) std::memcpy(caption_, text, length);
    caption_[length] = 0;
    captionLock_.clear(std::memory_order_release);
    setDirty(true);
}

std::string CFrontReferenceControl::getCaption() const {
    char copy[kMaxCaptionBytes + 1];
    while (captionLock_.test_and_set(std::memory_order_acquire)) {}
    std::memcpy(copy, caption_, sizeof copy);
    captionLock_.clear(std::memory_order_release);
    return copy;
}

void CFrontReferenceControl::setCaptionFont(CFontDesc* font) {
    if (font) font->remember();
    if (captionFont_) captionFont_->forget();
    captionFont_ = font;
    setDirty(true);
}

void CFrontReferenceControl::draw(CDrawContext* context) {
    if (background_) context->drawBitmap(background_, size_, CPoint(0, 0));
    const std::string caption = getCaption();
    if (!caption.empty()) {
        context->saveGlobalState();
        context->setFont(captionFont_ ? captionFont_ : smallTextFont());
        context->setFontColor(kCaptionColor);
        const CRect window(size_.left + 81, size_.top, size_.right - 2, size_.bottom);
        // A caption too long for the window is cut at its edges rather than spill over the plate.
        CRect clip = context->getClipRect();
        clip.bound(window);
        if (!clip.isEmpty()) {
            context->setClipRect(clip);
            context->drawString(caption.c_str(), window, kCenterText);
        }
        context->restoreGlobalState();
    }
    setDirty(false);
}

CMouseEventResult CFrontReferenceControl::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!listener_) return kMouseEventNotHandled;
    return CKnob::onMouseDown(where, buttons);
}

CMouseEventResult CFrontReferenceControl::onMouseEntered(CPoint&, const CButtonState&) {
    showHint(getTag(), 0.f);
    return kMouseEventHandled;
}

CMouseEventResult CFrontReferenceControl::onMouseExited(CPoint&, const CButtonState&) {
    clearHint();
    return kMouseEventHandled;
}
