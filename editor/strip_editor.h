#pragma once
// A strip below the meter (the filters strip, the label strip): what the editor asks of it.
// Each strip comes in a variant per meter (VU, RMS, PPM), shown expanded or collapsed.
#include "vst/aeffect.h"

class CControl;
class CFrame;
class CHelpHintLabel;
struct CPoint;

class StripEditor {
public:
    virtual ~StripEditor() = default;
    virtual void open(CFrame* frame) = 0;
    virtual void close() = 0;
    // Shows the variant of `meter` (0 VU, 1 RMS, 2 PPM) with its top-left corner at `where`.
    virtual void showExpanded(const CPoint& where, int meter) = 0;
    virtual void showCollapsed(const CPoint& where, int meter) = 0;
    virtual void setParameter(VstInt32 index, float value) = 0;
    virtual void valueChanged(CControl* control) = 0;
    // The hint lines of the VU, RMS and PPM panels, for the variants of the same meter.
    virtual void setHintLabels(CHelpHintLabel* vu, CHelpHintLabel* rms, CHelpHintLabel* ppm) = 0;
    // "Process" switched: the strip's controls that it drives become active or inactive.
    virtual void setProcessActive(bool active) { (void)active; }
    virtual void idle() {}
};
