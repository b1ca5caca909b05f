#include "toolkit/text_edit_box.h"

#include "toolkit/utf8.h"

TextEditBox::TextEditBox(const CRect& frameRect, const char* text, const TextEditBoxStyle& style)
    : rect_(frameRect), text_(toolkit::repairUtf8(text)), caret_(text_.size()), style_(style) {
    if (style_.font) style_.font->remember();
}

TextEditBox::~TextEditBox() {
    if (style_.font) style_.font->forget();
}

std::size_t TextEditBox::previousCharStart(std::size_t index) const {
    if (index == 0) return 0;
    --index;
    while (index > 0 && (static_cast<unsigned char>(text_[index]) & 0xC0) == 0x80) --index;
    return index;
}

std::size_t TextEditBox::nextCharStart(std::size_t index) const {
    if (index >= text_.size()) return text_.size();
    ++index;
    while (index < text_.size() && (static_cast<unsigned char>(text_[index]) & 0xC0) == 0x80) ++index;
    return index;
}

TextEditBox::KeyResult TextEditBox::onKey(const CKeyEvent& key) {
    switch (key.virtualKey) {
        case VirtualKey::Return:
        case VirtualKey::Tab: return KeyResult::Accept;
        case VirtualKey::Escape: return KeyResult::Cancel;
        case VirtualKey::Back: {
            const std::size_t start = previousCharStart(caret_);
            text_.erase(start, caret_ - start);
            caret_ = start;
            return KeyResult::Used;
        }
        case VirtualKey::Delete: text_.erase(caret_, nextCharStart(caret_) - caret_); return KeyResult::Used;
        case VirtualKey::Left: caret_ = previousCharStart(caret_); return KeyResult::Used;
        case VirtualKey::Right: caret_ = nextCharStart(caret_); return KeyResult::Used;
        case VirtualKey::Home: caret_ = 0; return KeyResult::Used;
        case VirtualKey::End: caret_ = text_.size(); return KeyResult::Used;
        default: break;
    }
    // Control characters and shortcuts are swallowed, so the host does not act on them.
    if (key.character >= 0x20 && key.character != 0x7F && !(key.modifiers & kControl)) {
        std::string encoded;
        toolkit::appendUtf8(encoded, key.character);
        text_.insert(caret_, encoded);
        caret_ += encoded.size();
    }
    return KeyResult::Used;
}

void TextEditBox::draw(CDrawContext& context) {
    context.saveGlobalState();
    context.setClipRect(rect_);
    context.setFillColor(style_.backColor);
    context.setFrameColor(style_.frameColor);
    context.setLineWidth(1);
    context.drawRect(rect_, kDrawFilledAndStroked);
    context.setFont(style_.font ? style_.font : defaultFont());
    context.setFontColor(style_.fontColor);
    CRect inner = rect_;
    inner.inset(2, 0);
    const double width = context.getStringWidth(text_.c_str());
    double x = inner.left;
    if (style_.align == kCenterText) x = inner.left + (inner.getWidth() - width) / 2;
    else if (style_.align == kRightText) x = inner.right - width;
    context.drawString(text_.c_str(), CRect(x, inner.top, x + width + 1, inner.bottom), kLeftText);
    const double caretX = x + context.getStringWidth(text_.substr(0, caret_).c_str());
    context.setFrameColor(style_.fontColor);
    context.drawLine(CPoint(caretX + 0.5, inner.top + 2), CPoint(caretX + 0.5, inner.bottom - 2));
    context.restoreGlobalState();
}
