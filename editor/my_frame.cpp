#include "editor/my_frame.h"

CMouseEventResult MyFrame::onMouseUp(CPoint& where, const CButtonState& buttons) {
    SharedPointer<CView> keepAlive(this);  // the release may close the editor
    const CMouseEventResult result = CFrame::onMouseUp(where, buttons);
    if (isOpen()) checkMouseViews(where, CButtonState(buttons.getModifierState()));
    return result;
}
