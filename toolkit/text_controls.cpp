#include "toolkit/text_controls.h"

#include <cstdio>
#include <cstring>

#include "toolkit/bitmap.h"
#include "toolkit/frame.h"

// ---- CParamDisplay

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, int style)
    : CControl(size, nullptr, -1, background), style_(style) {
    setFont(defaultFont());
}

CParamDisplay::~CParamDisplay() {
    if (font_) font_->forget();
}

void CParamDisplay::setFont(CFontDesc* font) {
    if (font) font->remember();
    if (font_) font_->forget();
    font_ = font;
    setDirty(true);
}

void CParamDisplay::drawBack(CDrawContext* context) {
    if (background_) {
        context->drawBitmap(background_, size_);
    } else if (!transparent_) {
        context->setFillColor(backColor_);
        context->drawRect(size_, kDrawFilled);
    }
    if (!transparent_ && !(style_ & (kNoFrame | kNoDrawStyle))) {
        context->setFrameColor(frameColor_);
        context->setLineWidth(1);
        CRect line = size_;
        context->drawRect(line.inset(0.5, 0.5), kDrawStroked);
    }
}

void CParamDisplay::drawText(CDrawContext* context, const char* text, CFontDesc* font) {
    if (!text || !*text || (style_ & (kNoTextStyle | kNoDrawStyle))) return;
    context->setFont(font ? font : font_ ? font_ : defaultFont());
    context->setFontColor(fontColor_);
    CRect area = size_;
    if (align_ != kCenterText) area.inset(2, 0);
    context->drawString(text, area, align_);
}

void CParamDisplay::draw(CDrawContext* context) {
    drawBack(context);
    char text[256] = {};
    if (valueToString_) {
        if (!valueToString_(getValue(), text)) text[0] = 0;
        text[255] = 0;
    } else {
        std::snprintf(text, sizeof text, "%.2f", static_cast<double>(getValue()));
    }
    drawText(context, text);
    setDirty(false);
}

// ---- CTextLabel

CTextLabel::CTextLabel(const CRect& size, const char* text, CBitmap* background, int style)
    : CParamDisplay(size, background, style) {
    setText(text);
}

void CTextLabel::setText(const char* text) {
    std::size_t length = text ? std::strlen(text) : 0;
    if (length > kMaxTextBytes) {
        length = kMaxTextBytes;
        // Do not cut a UTF-8 sequence in two.
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    while (textLock_.test_and_set(std::memory_order_acquire)) {}
    const bool changed = std::strncmp(text_, text ? text : "", length) != 0 || text_[length] != 0;
    if (length) std::memcpy(text_, text, length);
    text_[length] = 0;
    textLock_.clear(std::memory_order_release);
    if (changed) setDirty(true);
}

void CTextLabel::getText(char* out, std::size_t size) const {
    if (!out || size == 0) return;
    while (textLock_.test_and_set(std::memory_order_acquire)) {}
    const std::size_t length = std::min(std::strlen(text_), size - 1);
    std::memcpy(out, text_, length);
    out[length] = 0;
    textLock_.clear(std::memory_order_release);
}

std::string CTextLabel::getText() const {
    char copy[kMaxTextBytes + 1];
    getText(copy, sizeof copy);
    return copy;
}

void CTextLabel::draw(CDrawContext* context) {
    drawBack(context);
    char copy[kMaxTextBytes + 1];
    getText(copy, sizeof copy);
    drawText(context, copy);
    setDirty(false);
}

// ---- CTextEdit

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, std::int32_t tag, const char* text,
                     CBitmap* background, int style)
    : CTextLabel(size, text, background, style) {
    setListener(listener);
    setTag(tag);
}

void CTextEdit::draw(CDrawContext* context) {
    if (editing_) {
        drawBack(context);  // the editor draws the text meanwhile
        setDirty(false);
        return;
    }
    CTextLabel::draw(context);
}

CMouseEventResult CTextEdit::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    CFrame* frame = getFrame();
    if (!frame || editing_) return kMouseEventHandled;
    CRect inFrame = size_;
    localToFrame(inFrame);
    TextEditBoxStyle style;
    style.font = getFont();
    style.align = getHoriAlign();
    style.fontColor = getFontColor();
    style.backColor = getBackColor();
    style.frameColor = getFrameColor();
    editing_ = frame->openTextEdit(this, inFrame, getText().c_str(), style);
    invalid();
    return kMouseEventHandled;
}

void CTextEdit::textEditDone(const char* text, bool accepted) {
    editing_ = false;
    if (accepted) {
        setText(text);
        beginEdit();
        valueChanged();
        endEdit();
    }
    invalid();
}
