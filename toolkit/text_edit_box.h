#pragma once
// The single-line editor a frame shows over a text edit while the user types: drawn by
// the toolkit itself, fed with key events by the frame. Enter and Tab take the text,
// Escape drops it; the frame treats a loss of focus or a click elsewhere as taking it.
#include <string>

#include "toolkit/draw_context.h"
#include "toolkit/events.h"

// Receives the outcome of an edit; the box is already closed when it is called.
class ITextEditClient {
public:
    virtual ~ITextEditClient() = default;
    // `accepted` false means the user dropped the changes (Escape).
    virtual void textEditDone(const char* text, bool accepted) = 0;
};

struct TextEditBoxStyle {
    CFontDesc* font = nullptr;  // null: the toolkit's default face
    CHoriTxtAlign align = kLeftText;
    CColor fontColor = kBlackCColor;
    CColor backColor = kWhiteCColor;
    CColor frameColor = kGreyCColor;
};

class TextEditBox {
public:
    enum class KeyResult { Used, Accept, Cancel };

    TextEditBox(const CRect& frameRect, const char* text, const TextEditBoxStyle& style);
    ~TextEditBox();
    TextEditBox(const TextEditBox&) = delete;
    TextEditBox& operator=(const TextEditBox&) = delete;

    const CRect& rect() const { return rect_; }
    const std::string& text() const { return text_; }
    std::size_t caret() const { return caret_; }  // byte index into text()

    KeyResult onKey(const CKeyEvent& key);
    // Puts the caret at the end (a click inside the box).
    void onClick() { caret_ = text_.size(); }
    void draw(CDrawContext& context);

private:
    std::size_t previousCharStart(std::size_t index) const;
    std::size_t nextCharStart(std::size_t index) const;

    CRect rect_;            // frame coordinates
    std::string text_;      // UTF-8
    std::size_t caret_ = 0; // byte index, always at a character start
    TextEditBoxStyle style_;
};
