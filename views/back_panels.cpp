#include "views/back_panels.h"

#include "views/step_knobs.h"

namespace {

// Makes the one of `Knobs` that shows the positions of the entry's kind (null for none).
template <class... Knobs>
CStepKnob* stepKnobOf(const settings_layout::Control& c, const CRect& size, CControlListener* listener, int frames,
                      CBitmap* strip) {
    CStepKnob* knob = nullptr;
    ((knob = knob || c.kind != Knobs::kKind ? knob : new Knobs(size, listener, c.tag, frames, strip)), ...);
    return knob;
}

}  // namespace

RMSBackPanel::RMSBackPanel(CControlListener* editor, EditorEffect* effect)
    : BackPanel(settings_layout::kRmsPanel, editor, effect) {}

bool RMSBackPanel::build() { return buildControls(&stepKnobOf<CRmsLedRefKnob, CRmsOverLedKnob>); }

VUBackPanel::VUBackPanel(CControlListener* editor, EditorEffect* effect)
    : BackPanel(settings_layout::kVuPanel, editor, effect) {}

bool VUBackPanel::build() { return buildControls(&stepKnobOf<CVuLedRefKnob, CVuOverLedKnob, CVuBackLitKnob>); }

PPMBackPanel::PPMBackPanel(CControlListener* editor, EditorEffect* effect)
    : BackPanel(settings_layout::kPpmPanel, editor, effect) {}

bool PPMBackPanel::build() { return buildControls(&stepKnobOf<CPpmLedRefKnob, CPpmOverLedKnob>); }
