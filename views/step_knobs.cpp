#include "views/step_knobs.h"

#include "toolkit/bitmap.h"

CStepKnob::CStepKnob(const CRect& size, CControlListener* listener, std::int32_t tag, int frames, CBitmap* strip,
                     settings_layout::Kind kind)
    : CAnimKnob(size, listener, tag, frames, size.getHeight(), strip), kind_(kind) {
    const int steps = settings_layout::stepCount(kind);
    if (steps > 1) setWheelInc(1.0f / static_cast<float>(steps - 1));
}

int CStepKnob::shownFrame() const {
    // The setting value as it is (a value below the range has its own frame).
    return settings_layout::stepFrame(kind_, getValue(), getNumSubPixmaps());
}

void CStepKnob::draw(CDrawContext* context) {
    if (background_) context->drawBitmap(background_, size_, CPoint(0, shownFrame() * heightOfOneImage_));
    setDirty(false);
}
