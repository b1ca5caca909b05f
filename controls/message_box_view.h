#pragma once
// A message drawn inside the editor window, for systems that have no message box of their
// own: the window dimmed, and over it a small dark panel with the caption (if any), the text
// and an OK button. Modal within the window: while it shows it lies over every other view
// and takes every click, wheel step and key, so nothing under it reacts. OK, Enter or Escape
// dismiss it. It never blocks the host: it is only a view in the frame.
#include <string>

#include "controls/modal_overlay.h"

class CMessageBoxView : public CModalOverlay {
public:
    // Shows a new box on top of everything in `frame` and gives it the keyboard focus; an
    // open text edit is ended first (its text taken). The frame holds the box; the answer is
    // a reference for the caller (empty without a frame).
    static SharedPointer<CMessageBoxView> show(CFrame* frame, const char* caption, const char* text);

    const std::string& caption() const { return caption_; }
    const std::string& text() const { return text_; }

    // Frame coordinates, laid out for the frame's current size.
    CRect panelRect() const;
    CRect okButtonRect() const;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool onKeyDown(const CKeyEvent& key) override;

    TOOLKIT_TYPE_NAME("CMessageBoxView", CModalOverlay)

private:
    CMessageBoxView(const char* caption, const char* text);
    void onDismiss() override;
    void setPointerOnOk(bool on);

    std::string caption_;
    std::string text_;
    bool pressed_ = false;      // the OK button is held down
    bool pointerOnOk_ = false;  // the mouse is over the OK button
};
