#pragma once
// Editable text labels: a click opens the frame's edit box over the label; Enter, Tab or a
// loss of focus take the typed text, Escape drops it.
#include "controls/hint_control.h"
#include "toolkit/text_controls.h"

class CZEBTextEditTM : public CTextLabel, public ITextEditClient {
public:
    // Called with the taken text before the listener hears of it.
    using CommitFunction = void (*)(void* userData, const char* text);
    // Writes the text for `value` into `text` (256 bytes, terminated by the caller).
    using ValueToTextFunction = void (*)(float value, char* text, void* userData);

    // Colours of the edit box; each is used only when its flag is set, otherwise the
    // label's own colour serves.
    struct EditBoxColors {
        bool hasText = false;
        CColor text;
        bool hasBackground = false;
        CColor background;
        bool hasFrame = false;
        CColor frame;
        bool hasTextBackground = false;  // behind the text, where no box background is set
        CColor textBackground;
    };

    CZEBTextEditTM(const CRect& size, CControlListener* listener, std::int32_t tag, const char* text = nullptr,
                   CBitmap* background = nullptr, int style = 0);

    void setEditBoxColors(const EditBoxColors& colors) { boxColors_ = colors; }
    const EditBoxColors& getEditBoxColors() const { return boxColors_; }
    void setCommitFunction(CommitFunction function, void* userData);
    void setValueToTextFunction(ValueToTextFunction function, void* userData);
    bool isTextEditing() const { return editing_; }

    // Any thread; with a value-to-text function the label shows the function's text.
    void setValue(float value) override;
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    void textEditDone(const char* text, bool accepted) override;
    // A label taken out of its frame loses its edit box without being told.
    void removed() override;

    ZEB_CONTROL_TYPE_NAME("CZEBTextEditTM")

protected:
    // The label's rectangle the edit box opens over (view size coordinates).
    virtual CRect editRect() const { return size_; }
    // Opens the edit box; false when there is no frame or it could not open.
    bool openEditBox();

private:
    bool editing_ = false;
    char textBefore_[kMaxTextBytes + 1] = {};  // restored when the edit is dropped
    EditBoxColors boxColors_;
    CommitFunction commit_ = nullptr;
    void* commitUserData_ = nullptr;
    ValueToTextFunction valueToText_ = nullptr;
    void* valueToTextUserData_ = nullptr;
};

// Keeps its own copy of its rectangle in step with size changes; the edit box opens there.
class CMyTextEdit : public CZEBTextEditTM {
public:
    CMyTextEdit(const CRect& size, CControlListener* listener, std::int32_t tag, const char* text = nullptr,
                CBitmap* background = nullptr, int style = 0);
    void setViewSize(const CRect& size, bool invalidate = true) override;
    ZEB_CONTROL_TYPE_NAME("CMyTextEdit")

protected:
    CRect editRect() const override { return ownRect_; }

private:
    CRect ownRect_;  // view size coordinates
};

// With an active flag: inactive it does not open the edit box and explains on entry what
// would activate it.
class CMyTextEditAH : public CMyTextEdit, public CZEBHintControl {
public:
    using CMyTextEdit::CMyTextEdit;
    void setActive(bool active);
    bool isActive() const { return active_; }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    ZEB_CONTROL_TYPE_NAME("CMyTextEditAH")

private:
    bool active_ = true;
};

// The strip label (tag 69): its text in ink blue, and while it is edited the tape image
// (PNG 10008) in an animation rectangle that the owner moves.
class CZEBTapeLabel : public CMyTextEdit {
public:
    static constexpr std::int32_t kTag = 69;
    static constexpr int kTapeBitmapId = 10008;
    static constexpr CColor kTextColor{4, 45, 85, 205};
    static constexpr double kTapeRise = 20;  // pixels the tape starts above the label

    CZEBTapeLabel(const CRect& size, CControlListener* listener, const char* linkText);
    ~CZEBTapeLabel() override;

    // Where the tape is drawn while editing (view size coordinates).
    void setAnimationRect(const CRect& rect);
    const CRect& getAnimationRect() const { return animationRect_; }
    // Puts the tape back at its starting place.
    void resetAnimationRect();

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    void textEditDone(const char* text, bool accepted) override;
    ZEB_CONTROL_TYPE_NAME("CZEBTapeLabel")

private:
    CBitmap* tape_;          // one reference held
    CRect animationRect_;    // view size coordinates
};
