#include "controls/text_edits.h"

#include <cmath>
#include <cstring>

#include "controls/custom_font.h"
#include "toolkit/bitmap.h"
#include "toolkit/frame.h"

// ---- CZEBTextEditTM

CZEBTextEditTM::CZEBTextEditTM(const CRect& size, CControlListener* listener, std::int32_t tag, const char* text,
                               CBitmap* background, int style)
    : CTextLabel(size, text, background, style) {
    setListener(listener);
    setTag(tag);
}

void CZEBTextEditTM::setCommitFunction(CommitFunction function, void* userData) {
    commit_ = function;
    commitUserData_ = userData;
}

void CZEBTextEditTM::setValueToTextFunction(ValueToTextFunction function, void* userData) {
    valueToText_ = function;
    valueToTextUserData_ = userData;
}

void CZEBTextEditTM::setValue(float value) {
    CTextLabel::setValue(value);
    if (!valueToText_ || std::isnan(value)) return;
    char text[kMaxTextBytes + 1] = {};
    valueToText_(value, text, valueToTextUserData_);
    text[kMaxTextBytes] = 0;
    setText(text);
}

void CZEBTextEditTM::draw(CDrawContext* context) {
    if (editing_) {
        drawBack(context);  // the edit box shows the text meanwhile
        setDirty(false);
        return;
    }
    CTextLabel::draw(context);
}

bool CZEBTextEditTM::openEditBox() {
    CFrame* frame = getFrame();
    if (!frame) return false;
    CRect inFrame = editRect();
    localToFrame(inFrame);
    // The box uses the label's face at the label's size, always in normal weight.
    CFontDesc* labelFont = getFont() ? getFont() : defaultFont();
    const auto* custom = dynamic_cast<const CZEBCustomFont*>(labelFont);
    const char* family = custom ? CZEBCustomFont::kFaceName : labelFont->getName().c_str();
    SharedPointer<CFontDesc> boxFont =
        SharedPointer<CFontDesc>::adopt(new CFontDesc(family, labelFont->getSize(), toolkit::kNormalFace));
    TextEditBoxStyle style;
    style.font = boxFont.get();
    style.align = getHoriAlign();
    style.fontColor = boxColors_.hasText ? boxColors_.text : getFontColor();
    style.backColor = boxColors_.hasBackground      ? boxColors_.background
                      : boxColors_.hasTextBackground ? boxColors_.textBackground
                                                     : getBackColor();
    style.frameColor = boxColors_.hasFrame ? boxColors_.frame : getFrameColor();
    getText(textBefore_, sizeof textBefore_);
    editing_ = true;  // before opening: the box may report at once
    invalid();
    if (!frame->openTextEdit(this, inFrame, textBefore_, style)) {
        editing_ = false;
        return false;
    }
    return true;
}

CMouseEventResult CZEBTextEditTM::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!listener_ || !buttons.isLeftButton()) return kMouseEventNotHandled;
    if (!editing_) openEditBox();
    return kMouseEventHandled;
}

void CZEBTextEditTM::textEditDone(const char* text, bool accepted) {
    if (!editing_) return;
    editing_ = false;
    if (accepted) {
        setText(text);
        setDirty(true);
        beginEdit();
        char taken[kMaxTextBytes + 1];
        getText(taken, sizeof taken);
        if (commit_) commit_(commitUserData_, taken);
        valueChanged();
        endEdit();
    } else {
        setText(textBefore_);
    }
    invalid();
}

void CZEBTextEditTM::removed() {
    editing_ = false;
    CTextLabel::removed();
}

// ---- CMyTextEdit

CMyTextEdit::CMyTextEdit(const CRect& size, CControlListener* listener, std::int32_t tag, const char* text,
                         CBitmap* background, int style)
    : CZEBTextEditTM(size, listener, tag, text, background, style), ownRect_(size) {}

void CMyTextEdit::setViewSize(const CRect& size, bool invalidate) {
    CZEBTextEditTM::setViewSize(size, invalidate);
    ownRect_ = getViewSize();
}

// ---- CMyTextEditAH

void CMyTextEditAH::setActive(bool active) {
    if (active_ == active) return;
    active_ = active;
    setDirty(true);
}

CMouseEventResult CMyTextEditAH::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!active_) return kMouseEventHandled;
    return CMyTextEdit::onMouseDown(where, buttons);
}

CMouseEventResult CMyTextEditAH::onMouseEntered(CPoint&, const CButtonState&) {
    if (active_) clearHint();
    else showHint(getTag(), 0.f);
    return kMouseEventHandled;
}

CMouseEventResult CMyTextEditAH::onMouseExited(CPoint&, const CButtonState&) {
    clearHint();
    return kMouseEventHandled;
}

// ---- CZEBTapeLabel

CZEBTapeLabel::CZEBTapeLabel(const CRect& size, CControlListener* listener, const char* linkText)
    : CMyTextEdit(size, listener, kTag, linkText), tape_(new CBitmap(kTapeBitmapId)) {
    setFontColor(kTextColor);
    setTransparency(true);
    resetAnimationRect();
}

CZEBTapeLabel::~CZEBTapeLabel() { tape_->forget(); }

void CZEBTapeLabel::setAnimationRect(const CRect& rect) {
    if (!isFinite(rect)) return;
    // The tape reaches beyond the label: repaint where it was and where it goes.
    invalidRect(animationRect_);
    animationRect_ = rect;
    invalidRect(animationRect_);
    setDirty(true);
}

CMouseEventResult CZEBTapeLabel::onMouseDown(CPoint& where, const CButtonState& buttons) {
    const CMouseEventResult result = CMyTextEdit::onMouseDown(where, buttons);
    invalidRect(animationRect_);
    return result;
}

void CZEBTapeLabel::textEditDone(const char* text, bool accepted) {
    CMyTextEdit::textEditDone(text, accepted);
    invalidRect(animationRect_);
}

void CZEBTapeLabel::resetAnimationRect() {
    const double width = tape_->isLoaded() ? tape_->getWidth() : 47;
    const double height = tape_->isLoaded() ? tape_->getHeight() : 33;
    setAnimationRect(CRect(size_.left, size_.top - kTapeRise, size_.left + width, size_.top - kTapeRise + height));
}

void CZEBTapeLabel::draw(CDrawContext* context) {
    if (isTextEditing()) {
        context->drawBitmap(tape_, animationRect_);
        setDirty(false);
        return;
    }
    CMyTextEdit::draw(context);
}
