#include "controls/modal_overlay.h"

#include "toolkit/frame.h"

namespace {

// Large enough for any window the editor can have, so the overlay keeps covering the frame
// when the editor resizes while it shows; drawing and repaints are bounded by the frame.
constexpr double kCoverSize = 10000;

}  // namespace

CModalOverlay::CModalOverlay() : CView(CRect(0, 0, kCoverSize, kCoverSize)) {}

bool CModalOverlay::attach(CFrame* frame, CModalOverlay* overlay) {
    if (!frame) {
        overlay->forget();
        return false;
    }
    frame->closeTextEdit(true);
    if (!frame->addView(overlay)) {  // the frame did not take the creator's reference
        overlay->forget();
        return false;
    }
    frame->setFocusView(overlay);
    return true;
}

void CModalOverlay::dismiss() {
    CViewContainer* parent = getParentView();
    if (!parent) return;
    SharedPointer<CView> keepAlive(this);  // the parent may hold the last reference
    onDismiss();
    parent->removeView(this, true);
}

bool CModalOverlay::hitTest(const CPoint&) const { return isVisible(); }

bool CModalOverlay::onWheel(const CPoint&, float, const CButtonState&) { return true; }
