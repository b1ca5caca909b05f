#include "controls/hint_control.h"

#include <algorithm>
#include <cmath>

namespace {

// Meter names in selector order: 0 VU, 1 RMS, 2 PPM.
constexpr const char* kMeterHints[3] = {
    "Changes current meter to VU3",
    "Changes current meter to RMS3",
    "Changes current meter to RAD3",
};

const char* meterSelectorHint(float value, int zone) {
    if (zone != 0 && zone != 1) return "";
    if (!std::isfinite(value) || std::fabs(value) > 8) return nullptr;
    const int meter = static_cast<int>(value * 2 + 0.5f);
    if (meter < 0 || meter > 2) return nullptr;
    return zone == 0 ? kMeterHints[(meter + 2) % 3] : kMeterHints[(meter + 1) % 3];
}

}  // namespace

const char* hintTextFor(std::int32_t tag, float value, int zone) {
    const bool off = value <= 0.5f;  // NaN counts as on, like any comparison that fails
    switch (tag) {
        case 0: return "Activates the Trim and FILTERS";
        case 1:
        case 68: return "Click PROCESS to activate the Trim";
        case 3: return meterSelectorHint(value, zone);
        case 6: return off ? "Shows Strips" : "Hides Strips";
        case 7: return off ? "Opens FILTERS editor" : "Closes FILTERS editor";
        case 8: case 9: case 10: case 11: case 12: case 13: case 14:
        case 70:
        case 71: return "Click PROCESS to activate FILTERS";
        case 15: return off ? "Opens LABEL editor" : "Closes LABEL editor";
        case 72: return "Click and drag to adjust RMS reference level";
        case 83: return "Click and drag to adjust VU reference level";
        case 93: return "Click and drag to adjust PPM reference level";
        case 121: return "Click to open the manual";
        default: return "";
    }
}

// ---- CHelpHintLabel

CHelpHintLabel::CHelpHintLabel(const CRect& size, const char* text, CBitmap* background, int style)
    : CTextLabel(size, text, background, style) {}

void CHelpHintLabel::showHint(std::int32_t tag, float value, int zone) {
    if (const char* text = hintTextFor(tag, value, zone)) setText(text);
    setDirty(true);
}

CFontDesc* CHelpHintLabel::fontFitting(CDrawContext& context, const char* text) {
    CFontDesc* own = getFont() ? getFont() : defaultFont();
    if (!text || !*text) return own;
    const double room = getViewSize().getWidth() - 2 * kTextMargin;
    context.setFont(own);
    const double width = context.getStringWidth(text);
    if (width <= room) return own;
    if (fitted_ && fittedText_ == text && fittedFamily_ == own->getName() && fittedFromSize_ == own->getSize() &&
        fittedRoom_ == room && fitted_->getStyle() == own->getStyle())
        return fitted_.get();
    // Advances grow with the size, so the first guess is close; each step down is re-measured
    // because hinting and rounding do not scale exactly.
    constexpr double kStep = 0.25, kSmallest = 1;  // px
    double size = std::max(kSmallest, std::floor(own->getSize() * room / width / kStep) * kStep);
    SharedPointer<CFontDesc> smaller;
    for (;; size -= kStep) {
        smaller = SharedPointer<CFontDesc>::adopt(new CFontDesc(own->getName().c_str(), size, own->getStyle()));
        context.setFont(smaller.get());
        if (size - kStep < kSmallest || context.getStringWidth(text) <= room) break;
    }
    fitted_ = smaller;
    fittedText_ = text;
    fittedFamily_ = own->getName();
    fittedFromSize_ = own->getSize();
    fittedRoom_ = room;
    return fitted_.get();
}

void CHelpHintLabel::draw(CDrawContext* context) {
    drawBack(context);
    char text[kMaxTextBytes + 1];
    getText(text, sizeof text);
    drawText(context, text, fontFitting(*context, text));
    setDirty(false);
}

// ---- CZEBHintControl

CZEBHintControl::~CZEBHintControl() {
    if (hintLabel_) hintLabel_->forget();
}

void CZEBHintControl::setHintLabel(CHelpHintLabel* label) {
    if (label == hintLabel_) return;
    if (label) label->remember();
    if (hintLabel_) hintLabel_->forget();
    hintLabel_ = label;
}

void CZEBHintControl::showHint(std::int32_t tag, float value, int zone) {
    if (hintLabel_) hintLabel_->showHint(tag, value, zone);
}

void CZEBHintControl::clearHint() {
    if (!hintLabel_) return;
    hintLabel_->setText("");
    hintLabel_->setDirty(true);
}
