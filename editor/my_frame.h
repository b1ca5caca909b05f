#pragma once
// The editor's frame: after a mouse release it checks at once which view lies under the
// mouse, so hover faces and hints follow a click without waiting for the next move; and a
// right click no control takes opens the editor's context menu when the button comes up
// (the moment system menus open).
#include <functional>

#include "toolkit/frame.h"

class MyFrame : public CFrame {
public:
    using CFrame::CFrame;
    // Called with the frame position of the release; GUI thread, inside the mouse event.
    void setContextMenuHandler(std::function<void(const CPoint&)> handler) { contextMenu_ = std::move(handler); }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    TOOLKIT_TYPE_NAME("MyFrame", CFrame)

private:
    std::function<void(const CPoint&)> contextMenu_;
    bool contextPress_ = false;  // the right button went down where no view took it
};
