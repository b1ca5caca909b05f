#pragma once
// The editor's frame: after a mouse release it checks at once which view lies under the
// mouse, so hover faces and hints follow a click without waiting for the next move.
#include "toolkit/frame.h"

class MyFrame : public CFrame {
public:
    using CFrame::CFrame;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    TOOLKIT_TYPE_NAME("MyFrame", CFrame)
};
