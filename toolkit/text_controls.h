#pragma once
// Text views: CParamDisplay shows its value as text, CTextLabel a fixed text, CTextEdit
// a text the user can change in the frame's text editor.
#include <atomic>
#include <functional>
#include <string>

#include "toolkit/control.h"
#include "toolkit/text_edit_box.h"

enum CParamDisplayStyle : int {
    kNoFrame = 1 << 0,      // no frame line
    kNoTextStyle = 1 << 1,  // no text
    kNoDrawStyle = 1 << 2,  // nothing but the background bitmap
};

class CParamDisplay : public CControl {
public:
    // Writes the text for a value into `text` (256 bytes); false shows nothing.
    using ValueToString = std::function<bool(float value, char text[256])>;

    CParamDisplay(const CRect& size, CBitmap* background = nullptr, int style = 0);
    ~CParamDisplay() override;

    void setFont(CFontDesc* font);
    CFontDesc* getFont() const { return font_; }
    void setFontColor(CColor color) { fontColor_ = color; setDirty(true); }
    CColor getFontColor() const { return fontColor_; }
    void setBackColor(CColor color) { backColor_ = color; setDirty(true); }
    CColor getBackColor() const { return backColor_; }
    void setFrameColor(CColor color) { frameColor_ = color; setDirty(true); }
    CColor getFrameColor() const { return frameColor_; }
    void setHoriAlign(CHoriTxtAlign align) { align_ = align; setDirty(true); }
    CHoriTxtAlign getHoriAlign() const { return align_; }
    // A transparent display draws neither back colour nor frame.
    void setTransparency(bool transparent) { transparent_ = transparent; setDirty(true); }
    bool getTransparency() const { return transparent_; }
    void setStyle(int style) { style_ = style; setDirty(true); }
    int getStyle() const { return style_; }
    void setValueToStringFunction(ValueToString function) { valueToString_ = std::move(function); }

    void draw(CDrawContext* context) override;

    TOOLKIT_TYPE_NAME("CParamDisplay", CControl)

protected:
    void drawBack(CDrawContext* context);
    // Draws `text` in `font`, or in the display's own font when `font` is null.
    void drawText(CDrawContext* context, const char* text, CFontDesc* font = nullptr);

    CFontDesc* font_ = nullptr;  // one reference held
    CColor fontColor_ = kWhiteCColor;
    CColor backColor_ = kBlackCColor;
    CColor frameColor_ = kBlackCColor;
    CHoriTxtAlign align_ = kCenterText;
    bool transparent_ = false;
    int style_;
    ValueToString valueToString_;
};

class CTextLabel : public CParamDisplay {
public:
    static constexpr std::size_t kMaxTextBytes = 255;

    CTextLabel(const CRect& size, const char* text = nullptr, CBitmap* background = nullptr, int style = 0);

    // Any thread: copies up to kMaxTextBytes bytes (cut at a character boundary) and marks
    // the label dirty. Null clears the text.
    virtual void setText(const char* text);
    std::string getText() const;
    // Copies the text into `out` (always terminated when size > 0).
    void getText(char* out, std::size_t size) const;

    void draw(CDrawContext* context) override;

    TOOLKIT_TYPE_NAME("CTextLabel", CParamDisplay)

private:
    mutable std::atomic_flag textLock_ = ATOMIC_FLAG_INIT;  // held only while copying text
    char text_[kMaxTextBytes + 1] = {};                     // UTF-8, terminated
};

class CTextEdit : public CTextLabel, public ITextEditClient {
public:
    CTextEdit(const CRect& size, CControlListener* listener, std::int32_t tag, const char* text = nullptr,
              CBitmap* background = nullptr, int style = 0);

    bool isTextEditing() const { return editing_; }
    void draw(CDrawContext* context) override;
    // A left click opens the frame's text editor over the label.
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    // Enter/Tab/focus loss take the text and tell the listener; Escape keeps the old one.
    void textEditDone(const char* text, bool accepted) override;

    TOOLKIT_TYPE_NAME("CTextEdit", CTextLabel)

private:
    bool editing_ = false;
};
