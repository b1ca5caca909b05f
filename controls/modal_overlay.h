#pragma once
// What the editor's overlays (messages, menus) share: a view over the whole window that takes
// every click, wheel step and key while it shows, so nothing under it reacts, and that leaves
// the frame when dismissed. It never blocks the host: it is only a view in the frame.
#include "toolkit/view.h"

class CModalOverlay : public CView {
public:
    bool isShowing() const { return isAttached(); }
    // Takes the overlay out of its frame; nothing when it is not showing.
    void dismiss();

    // The whole window belongs to the overlay, whatever size the frame takes while it shows.
    bool hitTest(const CPoint& where) const override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    TOOLKIT_TYPE_NAME("CModalOverlay", CView)

protected:
    CModalOverlay();
    // Puts `overlay` (a new one, its creator's reference) on top of everything in `frame` with
    // the keyboard focus, an open text edit ended first (its text taken); false, and the
    // overlay released, without a frame or when the frame did not take it.
    static bool attach(CFrame* frame, CModalOverlay* overlay);
    // Before the overlay leaves its frame (its state reset, its area repainted).
    virtual void onDismiss() {}
};
