#include "editor/my_frame.h"

CMouseEventResult MyFrame::onMouseDown(CPoint& where, const CButtonState& buttons) {
    const CMouseEventResult result = CFrame::onMouseDown(where, buttons);
    contextPress_ = contextMenu_ && buttons.isRightButton() && result == kMouseEventNotHandled;
    return contextPress_ ? kMouseEventHandled : result;
}

CMouseEventResult MyFrame::onMouseUp(CPoint& where, const CButtonState& buttons) {
    SharedPointer<CView> keepAlive(this);  // the release may close the editor
    if (contextPress_) {
        contextPress_ = false;
        if (buttons.isRightButton()) {
            const auto handler = contextMenu_;  // the menu's answer may replace it
            handler(where);
            return kMouseEventHandled;
        }
    }
    const CMouseEventResult result = CFrame::onMouseUp(where, buttons);
    if (isOpen()) checkMouseViews(where, CButtonState(buttons.getModifierState()));
    return result;
}
