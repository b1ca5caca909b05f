#pragma once
// A menu drawn inside the editor window (the editor's context menu): a small dark panel with
// a caption and a column of items, the current one ticked, placed at the click that opened
// it and kept inside the window. Modal within the window like a system menu: while it shows
// it takes every click, wheel step and key. A click on an item chooses it; a click beside the
// panel, Escape or the window's loss of the menu closes it without a choice. Up, Down and
// Return choose from the keyboard. It never blocks the host: it is only a view in the frame.
#include <functional>
#include <string>
#include <vector>

#include "controls/modal_overlay.h"

class CPopupMenuView : public CModalOverlay {
public:
    // Logical pixels.
    static constexpr double kWidth = 120;
    static constexpr double kRowHeight = 18;
    static constexpr double kCaptionHeight = 20;
    static constexpr double kInnerMargin = 4;  // around the caption and the items

    // Called with the chosen item's index, after the menu has left the frame.
    using Chosen = std::function<void(int)>;

    // Shows a new menu with its top-left corner at `at` (frame coordinates), moved as little as
    // needed to fit the frame, and gives it the keyboard focus; an open text edit is ended
    // first. `ticked` (-1 for none) is the item shown as current. The frame holds the menu;
    // the answer is a reference for the caller (empty without a frame or items).
    static SharedPointer<CPopupMenuView> show(CFrame* frame, const CPoint& at, const char* caption,
                                              std::vector<std::string> items, int ticked, Chosen chosen);

    const std::vector<std::string>& items() const { return items_; }
    int ticked() const { return ticked_; }
    int highlighted() const { return highlighted_; }

    // Frame coordinates.
    CRect panelRect() const { return panel_; }
    CRect itemRect(int index) const;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool onKeyDown(const CKeyEvent& key) override;

    TOOLKIT_TYPE_NAME("CPopupMenuView", CModalOverlay)

private:
    CPopupMenuView(const char* caption, std::vector<std::string> items, int ticked, Chosen chosen);
    void onDismiss() override { invalidRect(panel_); }
    void place(const CPoint& at, double frameWidth, double frameHeight);
    int itemAt(const CPoint& where) const;
    void setHighlighted(int index);
    void choose(int index);

    std::string caption_;
    std::vector<std::string> items_;
    int ticked_;
    Chosen chosen_;
    CRect panel_;           // frame coordinates
    int highlighted_ = -1;  // the item under the mouse or picked by the arrow keys
    int pressed_ = -1;      // the item the button went down on
};
